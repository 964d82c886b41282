<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="vi_VN" sourcelanguage="zh_CN">
    <context>
        <name>AlignSetForm</name>
        <message>
            <source>开始校准</source>
            <translation>Bắt đầu hiệu chỉnh</translation>
        </message>
        <message>
            <source>保存校准</source>
            <translation>Lưu hiệu chỉnh</translation>
        </message>
        <message>
            <source>打开ADC</source>
            <translation>Mở ADC</translation>
        </message>
        <message>
            <source>关闭ADC</source>
            <translation>Đóng ADC</translation>
        </message>
        <message>
            <source>温馨提示：请单个按压键盘按键，完全按压直到触底并保持触底，（上下左右四个方向）晃动一下，持续2秒以上，最后完全松开，每个按键建议重复整个过程两到三次。
警告提示：关闭软件或者退出校准界面之前，请保存校准。如果意外关闭了软件，没有退出校准，导致键盘一直常量灯或者键盘工作不正常，请重新插拔键盘。</source>
            <translation>Gợi ý: nhấn từng phím một xuống hết hành trình và giữ ở đáy, lắc phím theo bốn hướng (lên, xuống, trái, phải) trong hơn 2 giây, rồi nhả hoàn toàn. Nên lặp lại quá trình này hai đến ba lần cho mỗi phím.
Cảnh báo: hãy lưu hiệu chỉnh trước khi đóng Zentaro hoặc rời trang hiệu chỉnh. Nếu Zentaro bị đóng khi đang hiệu chỉnh khiến bàn phím luôn sáng đèn hoặc hoạt động không bình thường, hãy rút bàn phím ra và cắm lại.</translation>
        </message>
        <message>
            <source>打开校准失败</source>
            <translation>Không bắt đầu được hiệu chỉnh</translation>
        </message>
        <message>
            <source>保存校准失败</source>
            <translation>Không lưu được hiệu chỉnh</translation>
        </message>
    </context>
    <context>
        <name>AutoSwitchController</name>
        <message>
            <source>键盘上没有配置表“%1”，未切换</source>
            <translation>Bàn phím không có cấu hình “%1”; không chuyển gì cả</translation>
        </message>
        <message>
            <source>Wayland 不告知哪个窗口拥有焦点：这里只有“运行时”规则有效。</source>
            <translation>Wayland không cho biết cửa sổ nào đang được chọn: ở đây chỉ các quy tắc “khi đang chạy” có hiệu lực.</translation>
        </message>
        <message>
            <source>无法得知哪个窗口拥有焦点：这里只有“运行时”规则有效。</source>
            <translation>Không thể biết cửa sổ nào đang được chọn: ở đây chỉ các quy tắc “khi đang chạy” có hiệu lực.</translation>
        </message>
        <message>
            <source>%1 配置表</source>
            <translation>Cấu hình %1</translation>
        </message>
        <message>
            <source>%1 配置表，用于 %2</source>
            <translation>Cấu hình %1 cho %2</translation>
        </message>
    </context>
    <context>
        <name>AutoSwitchDialog</name>
        <message>
            <source>自动切换配置表</source>
            <translation>Tự động chuyển cấu hình</translation>
        </message>
        <message>
            <source>按顺序检查规则，第一条匹配的规则决定键盘使用的配置表。</source>
            <translation>Các quy tắc được kiểm tra theo thứ tự; quy tắc khớp đầu tiên quyết định cấu hình của bàn phím.</translation>
        </message>
        <message>
            <source>程序或窗口</source>
            <translation>Chương trình hoặc cửa sổ</translation>
        </message>
        <message>
            <source>配置表</source>
            <translation>Cấu hình</translation>
        </message>
        <message>
            <source>何时</source>
            <translation>Khi nào</translation>
        </message>
        <message>
            <source>上移</source>
            <translation>Lên</translation>
        </message>
        <message>
            <source>下移</source>
            <translation>Xuống</translation>
        </message>
        <message>
            <source>删除规则</source>
            <translation>Xóa quy tắc</translation>
        </message>
        <message>
            <source>添加规则</source>
            <translation>Thêm quy tắc</translation>
        </message>
        <message>
            <source>程序</source>
            <translation>Chương trình</translation>
        </message>
        <message>
            <source>窗口类</source>
            <translation>Lớp cửa sổ</translation>
        </message>
        <message>
            <source>窗口标题</source>
            <translation>Tiêu đề cửa sổ</translation>
        </message>
        <message>
            <source>正在运行的程序</source>
            <translation>Chương trình đang chạy</translation>
        </message>
        <message>
            <source>配置表：</source>
            <translation>Cấu hình:</translation>
        </message>
        <message>
            <source>仅在它拥有焦点时（否则在它运行时）</source>
            <translation>Chỉ khi nó đang được chọn (nếu không thì khi nó đang chạy)</translation>
        </message>
        <message>
            <source>添加</source>
            <translation>Thêm</translation>
        </message>
        <message>
            <source>没有规则匹配时：</source>
            <translation>Khi không có quy tắc nào khớp:</translation>
        </message>
        <message>
            <source>现在匹配哪条规则？</source>
            <translation>Quy tắc nào đang khớp?</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Lưu</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Hủy</translation>
        </message>
        <message>
            <source>保持不变</source>
            <translation>Giữ nguyên</translation>
        </message>
        <message>
            <source>%1（键盘上没有）</source>
            <translation>%1 (không có trên bàn phím)</translation>
        </message>
        <message>
            <source>拥有焦点时</source>
            <translation>Khi đang được chọn</translation>
        </message>
        <message>
            <source>运行时</source>
            <translation>Khi đang chạy</translation>
        </message>
        <message>
            <source>规则 %1：%2</source>
            <translation>Quy tắc %1: %2</translation>
        </message>
        <message>
            <source>没有规则匹配：配置表保持不变</source>
            <translation>Không có quy tắc nào khớp: cấu hình giữ nguyên</translation>
        </message>
        <message>
            <source>没有规则匹配：默认 %1</source>
            <translation>Không có quy tắc nào khớp: mặc định %1</translation>
        </message>
        <message>
            <source>键盘上没有配置表“%1”，不会切换</source>
            <translation>Bàn phím không có cấu hình “%1”: sẽ không chuyển.</translation>
        </message>
    </context>
    <context>
        <name>BackupListForm</name>
        <message>
            <source>配置备份</source>
            <translation>Sao lưu cấu hình</translation>
        </message>
        <message>
            <source>每次更新固件前自动备份键盘上的所有配置；保留最近 10 个自动备份，手动备份不会被自动删除。</source>
            <translation>Mọi cấu hình trên bàn phím được sao lưu trước mỗi lần cập nhật firmware; giữ 10 bản sao lưu tự động gần nhất, bản sao lưu thủ công không bao giờ tự bị xóa.</translation>
        </message>
        <message>
            <source>立即备份</source>
            <translation>Sao lưu ngay</translation>
        </message>
        <message>
            <source>备份列表</source>
            <translation>Danh sách sao lưu</translation>
        </message>
        <message>
            <source>日期</source>
            <translation>Ngày</translation>
        </message>
        <message>
            <source>固件版本</source>
            <translation>Firmware</translation>
        </message>
        <message>
            <source>配置数</source>
            <translation>Số cấu hình</translation>
        </message>
        <message>
            <source>类型</source>
            <translation>Loại</translation>
        </message>
        <message>
            <source>配置</source>
            <translation>Tên cấu hình</translation>
        </message>
        <message>
            <source>恢复所选备份</source>
            <translation>Khôi phục bản sao lưu đã chọn</translation>
        </message>
        <message>
            <source>恢复</source>
            <translation>Khôi phục</translation>
        </message>
        <message>
            <source>删除所选备份</source>
            <translation>Xóa bản sao lưu đã chọn</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Xóa</translation>
        </message>
        <message>
            <source>已损坏</source>
            <translation>Bị hỏng</translation>
        </message>
        <message>
            <source>自动</source>
            <translation>Tự động</translation>
        </message>
        <message>
            <source>手动</source>
            <translation>Thủ công</translation>
        </message>
    </context>
    <context>
        <name>ConfigFileActions</name>
        <message>
            <source>导入配置失败：此文件来自按键布局不同的键盘，缺少按键 %1</source>
            <translation>Nhập cấu hình thất bại: tệp này được lưu từ bàn phím có bố cục phím khác, thiếu phím %1</translation>
        </message>
        <message>
            <source>导入配置失败：此文件来自按键布局不同的键盘，含有本键盘没有的按键 %1</source>
            <translation>Nhập cấu hình thất bại: tệp này được lưu từ bàn phím có bố cục phím khác, có phím %1 mà bàn phím này không có</translation>
        </message>
        <message>
            <source>保存文件</source>
            <translation>Lưu tệp</translation>
        </message>
        <message>
            <source>配置文件 (*.aaa);; 可读配置 (*.json);; 所有文件 (*.*)</source>
            <translation>Tệp cấu hình (*.aaa);; Cấu hình dễ đọc (*.json);; Tất cả tệp (*.*)</translation>
        </message>
        <message>
            <source>写入配置成功</source>
            <translation>Đã xuất cấu hình</translation>
        </message>
        <message>
            <source>写入配置失败</source>
            <translation>Không xuất được cấu hình</translation>
        </message>
        <message>
            <source>选择配置文件</source>
            <translation>Chọn tệp cấu hình</translation>
        </message>
        <message>
            <source>配置文件(*.aaa *.json);;可读配置(*.json);;所有文件(*)</source>
            <translation>Tệp cấu hình (*.aaa *.json);;Cấu hình dễ đọc (*.json);;Tất cả tệp (*)</translation>
        </message>
        <message>
            <source>导入配置失败</source>
            <translation>Nhập cấu hình thất bại</translation>
        </message>
        <message>
            <source>导入配置成功</source>
            <translation>Đã nhập cấu hình</translation>
        </message>
        <message>
            <source>导入配置失败：此文件的高级键多于本键盘能保存的数量</source>
            <translation>Nhập cấu hình thất bại: tệp này chứa nhiều phím nâng cao hơn số bàn phím này có thể lưu</translation>
        </message>
        <message>
            <source>导入已取消，已写入的部分保留在键盘中</source>
            <translation>Đã hủy nhập; phần đã ghi vẫn giữ trong bàn phím</translation>
        </message>
        <message>
            <source>还有 %1 处</source>
            <translation>và %1 điểm nữa</translation>
        </message>
        <message>
            <source>键盘中的值与写入的不一致：
%1</source>
            <translation>Bàn phím giữ giá trị khác với giá trị đã ghi:
%1</translation>
        </message>
        <message>
            <source>分享码已复制，可以粘贴到聊天中</source>
            <translation>Đã chép mã chia sẻ, có thể dán vào cuộc trò chuyện</translation>
        </message>
        <message>
            <source>剪贴板中没有分享码。请先复制一个分享码。</source>
            <translation>Bộ nhớ tạm không có mã chia sẻ. Hãy chép một mã chia sẻ trước.</translation>
        </message>
        <message>
            <source>剪贴板中的文字太长，不是分享码。</source>
            <translation>Văn bản trong bộ nhớ tạm quá dài, không phải mã chia sẻ.</translation>
        </message>
        <message>
            <source>这个分享码来自更新的版本，请先更新本程序。</source>
            <translation>Mã chia sẻ này đến từ phiên bản mới hơn. Hãy cập nhật Zentaro trước.</translation>
        </message>
        <message>
            <source>这个分享码解开后太大，不是配置。</source>
            <translation>Mã chia sẻ này khi giải nén lớn hơn một cấu hình.</translation>
        </message>
        <message>
            <source>剪贴板中的文字不是分享码。</source>
            <translation>Văn bản trong bộ nhớ tạm không phải mã chia sẻ.</translation>
        </message>
    </context>
    <context>
        <name>ConfigTablePanel</name>
        <message>
            <source>切换配置表失败</source>
            <translation>Không chuyển được cấu hình</translation>
        </message>
        <message>
            <source>设置配置表信息失败！</source>
            <translation>Không đổi được cấu hình</translation>
        </message>
        <message>
            <source>增加配置表失败！</source>
            <translation>Không thêm được cấu hình</translation>
        </message>
        <message>
            <source>删除配置表失败！</source>
            <translation>Không xóa được cấu hình</translation>
        </message>
    </context>
    <context>
        <name>DeviceManageForm</name>
        <message>
            <source>打开设备</source>
            <translation>Mở thiết bị</translation>
        </message>
        <message>
            <source>正在搜索蓝牙，请稍候...</source>
            <translation>Đang tìm thiết bị Bluetooth, vui lòng chờ...</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Hủy</translation>
        </message>
        <message>
            <source>未搜索到蓝牙</source>
            <translation>Không tìm thấy bàn phím Bluetooth</translation>
        </message>
        <message>
            <source>键盘数据同步中</source>
            <translation>Đang đồng bộ dữ liệu bàn phím</translation>
        </message>
        <message>
            <source>没有匹配的产品，请联系厂家同步更新</source>
            <translation>Bàn phím này chưa có trong danh sách sản phẩm; hãy hỏi nhà sản xuất bản cập nhật</translation>
        </message>
        <message>
            <source>更新错误</source>
            <translation>Lỗi cập nhật: </translation>
        </message>
        <message>
            <source>打开设备失败</source>
            <translation>Không mở được thiết bị</translation>
        </message>
        <message>
            <source>未找到可用的蓝牙适配器</source>
            <translation>Không tìm thấy bộ điều hợp Bluetooth khả dụng</translation>
        </message>
        <message>
            <source>蓝牙未开启</source>
            <translation>Bluetooth đang tắt</translation>
        </message>
        <message>
            <source>读取配置失败</source>
            <translation>Không đọc được cấu hình</translation>
        </message>
        <message>
            <source>这台电脑不允许当前用户打开键盘（缺少 udev 规则）。请在终端运行下面的命令安装规则，然后重新插拔键盘：</source>
            <translation>Máy tính này không cho phép người dùng hiện tại mở bàn phím (thiếu quy tắc udev). Hãy chạy lệnh dưới đây trong terminal để cài quy tắc, rồi rút và cắm lại bàn phím:</translation>
        </message>
        <message>
            <source>修复</source>
            <translation>Sửa</translation>
        </message>
        <message>
            <source>无法安装 udev 规则</source>
            <translation>Không thể cài quy tắc udev</translation>
        </message>
        <message>
            <source>修复失败：%1</source>
            <translation>Sửa thất bại: %1</translation>
        </message>
        <message>
            <source>udev 规则已安装，正在重新打开键盘</source>
            <translation>Đã cài quy tắc udev, đang mở lại bàn phím</translation>
        </message>
    </context>
    <context>
        <name>DownloadManager</name>
        <message>
            <source>无法写入文件</source>
            <translation>Không ghi được tệp</translation>
        </message>
    </context>
    <context>
        <name>FirewareManageForm</name>
        <message>
            <source>固件管理</source>
            <translation>Quản lý firmware</translation>
        </message>
        <message>
            <source>下载固件中，请不要执行其他操作</source>
            <translation>Đang tải firmware, vui lòng chờ</translation>
        </message>
        <message>
            <source>下载固件失败</source>
            <translation>Không tải được firmware</translation>
        </message>
        <message>
            <source>固件没有签名</source>
            <translation>Firmware không có chữ ký</translation>
        </message>
        <message>
            <source>%1 没有签名，无法确认它来自键盘厂商。未签名的固件可能被人篡改，写入后键盘可能无法再使用。

仍要写入这个固件吗？</source>
            <translation>%1 không có chữ ký, nên không thể biết nó có đến từ nhà sản xuất bàn phím hay không. Firmware không có chữ ký có thể đã bị sửa đổi, và sau khi ghi, bàn phím có thể không còn hoạt động.

Vẫn ghi firmware này?</translation>
        </message>
        <message>
            <source>固件更新前的备份</source>
            <translation>Bản sao lưu trước khi cập nhật firmware</translation>
        </message>
        <message>
            <source>引导模式下的键盘无法读取，这次更新前不能再备份。将以 %1 的备份为准（%2 个配置：%3）；更新后如果设置丢失，请在“其他”页面恢复这个备份。

继续更新吗？</source>
            <translation>Không thể đọc bàn phím ở chế độ khởi động nên không thể sao lưu trước lần cập nhật này. Bản sao lưu lúc %1 (%2 cấu hình: %3) sẽ được dùng thay; nếu cài đặt bị mất sau khi cập nhật, hãy khôi phục bản sao lưu này ở trang Khác.

Tiếp tục cập nhật?</translation>
        </message>
        <message>
            <source>更新</source>
            <translation>Cập nhật</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Hủy</translation>
        </message>
        <message>
            <source>最新的备份是 %1 做的，已超过 %2 天。</source>
            <translation>Bản sao lưu mới nhất được tạo lúc %1, đã hơn %2 ngày.</translation>
        </message>
        <message>
            <source>这个键盘还没有可用的备份。</source>
            <translation>Bàn phím này chưa có bản sao lưu dùng được.</translation>
        </message>
        <message>
            <source>无法备份</source>
            <translation>Không thể sao lưu</translation>
        </message>
        <message>
            <source>引导模式下的键盘无法读取，不能在更新前备份它的配置。%1更新固件可能清除键盘上的配置。

仍要不备份直接更新吗？</source>
            <translation>Không thể đọc bàn phím ở chế độ khởi động nên không thể sao lưu cấu hình trước khi cập nhật. %1 Cập nhật firmware có thể xóa các cấu hình trên bàn phím.

Vẫn cập nhật không sao lưu?</translation>
        </message>
        <message>
            <source>不备份直接更新</source>
            <translation>Cập nhật không sao lưu</translation>
        </message>
    </context>
    <context>
        <name>HighKeyForm</name>
        <message>
            <source>切换开关</source>
            <translation>TGL</translation>
        </message>
        <message>
            <source>按住/单击</source>
            <translation>MT</translation>
        </message>
        <message>
            <source>动态键程</source>
            <translation>DKS</translation>
        </message>
        <message>
            <source>首先选择任意按键来绑定高级键。每个配置文件最多可使用 32 个高级键。 当前绑定项：</source>
            <translation>Chọn một phím để gán phím nâng cao. Mỗi cấu hình dùng được tối đa 32 phím nâng cao. Đã gán: </translation>
        </message>
        <message>
            <source>请先选择要设置的按键</source>
            <translation>Hãy chọn phím cần đặt trước</translation>
        </message>
        <message>
            <source>重置键盘数据成功！</source>
            <translation>Đã đặt lại dữ liệu bàn phím</translation>
        </message>
        <message>
            <source>修改没有保存到键盘，页面已恢复为键盘上的设置</source>
            <translation>Thay đổi chưa được lưu vào bàn phím; trang đã hiển thị lại cài đặt trên bàn phím.</translation>
        </message>
    </context>
    <context>
        <name>ImportPreviewDialog</name>
        <message>
            <source>导入预览</source>
            <translation>Xem trước khi nhập</translation>
        </message>
        <message>
            <source>不同之处</source>
            <translation>Các điểm khác nhau</translation>
        </message>
        <message>
            <source>导入摘要</source>
            <translation>Tóm tắt nhập</translation>
        </message>
        <message>
            <source>应用</source>
            <translation>Áp dụng</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Hủy</translation>
        </message>
        <message>
            <source>配置“%1”来自另一款产品（%2），按键按名称匹配。选择要写入的部分：</source>
            <translation>Cấu hình "%1" đến từ sản phẩm khác (%2); phím được ghép theo tên. Chọn các phần cần ghi:</translation>
        </message>
        <message>
            <source>配置“%1”。选择要写入的部分：</source>
            <translation>Cấu hình "%1". Chọn các phần cần ghi:</translation>
        </message>
        <message>
            <source>%1：%2 处不同</source>
            <translation>%1: %2 điểm khác</translation>
        </message>
        <message>
            <source>%1：文件中没有</source>
            <translation>%1: không có trong tệp</translation>
        </message>
        <message>
            <source>按键</source>
            <translation>Phím</translation>
        </message>
        <message>
            <source>灯光</source>
            <translation>Đèn</translation>
        </message>
        <message>
            <source>高级键</source>
            <translation>Phím nâng cao</translation>
        </message>
        <message>
            <source>宏</source>
            <translation>Macro</translation>
        </message>
        <message>
            <source>性能</source>
            <translation>Hiệu năng</translation>
        </message>
        <message>
            <source>参数</source>
            <translation>Tham số</translation>
        </message>
        <message>
            <source>按键 %1</source>
            <translation>phím %1</translation>
        </message>
        <message>
            <source>%1（按键 %2）</source>
            <translation>%1 (phím %2)</translation>
        </message>
        <message>
            <source>%1，Fn 层</source>
            <translation>%1, lớp Fn</translation>
        </message>
        <message>
            <source>灯效 %1 %2</source>
            <translation>hiệu ứng %1 %2</translation>
        </message>
        <message>
            <source>高级键位置 %1</source>
            <translation>vị trí phím nâng cao %1</translation>
        </message>
        <message>
            <source>宏 M%1</source>
            <translation>macro M%1</translation>
        </message>
        <message>
            <source>%1：%2 → %3</source>
            <translation>%1: %2 → %3</translation>
        </message>
        <message>
            <source>无法匹配：%1，本键盘没有这个按键，保持不变</source>
            <translation>Không ghép được: %1, bàn phím này không có phím đó; giữ nguyên</translation>
        </message>
        <message>
            <source>无法匹配：灯效 %1，本键盘没有这个灯效，保持不变</source>
            <translation>Không ghép được: hiệu ứng %1, bàn phím này không có hiệu ứng đó; giữ nguyên</translation>
        </message>
        <message>
            <source>无法匹配：高级键位置 %1，本键盘的位置更少，保持不变</source>
            <translation>Không ghép được: vị trí phím nâng cao %1, bàn phím này có ít vị trí hơn; giữ nguyên</translation>
        </message>
        <message>
            <source>文件不是 JSON：%1（第 %2 字节）</source>
            <translation>Tệp không phải JSON: %1 (byte %2)</translation>
        </message>
        <message>
            <source>文件太大（超过 %1 字节）</source>
            <translation>Tệp quá lớn (hơn %1 byte)</translation>
        </message>
        <message>
            <source>%1 不是%2</source>
            <translation>%1 không phải %2</translation>
        </message>
        <message>
            <source>未知字段</source>
            <translation>trường không xác định</translation>
        </message>
        <message>
            <source>缺少此字段</source>
            <translation>thiếu trường này</translation>
        </message>
        <message>
            <source>%1 不是 %2 格式</source>
            <translation>%1 không phải định dạng %2</translation>
        </message>
        <message>
            <source>不支持版本 %1（本程序读取版本 %2）</source>
            <translation>không hỗ trợ phiên bản %1 (chương trình này đọc phiên bản %2)</translation>
        </message>
        <message>
            <source>%1 超出范围 %2</source>
            <translation>%1 nằm ngoài %2</translation>
        </message>
        <message>
            <source>重复出现</source>
            <translation>xuất hiện hai lần</translation>
        </message>
        <message>
            <source>%1 重复出现</source>
            <translation>%1 được liệt kê hai lần</translation>
        </message>
        <message>
            <source>%1 不是颜色（#rrggbb）</source>
            <translation>%1 không phải màu (#rrggbb)</translation>
        </message>
        <message>
            <source>%1 不是按键功能</source>
            <translation>%1 không phải chức năng phím</translation>
        </message>
        <message>
            <source>%1 的小数超过两位</source>
            <translation>%1 có hơn hai chữ số thập phân</translation>
        </message>
        <message>
            <source>数据字节数 %1 不对（应为 %2）</source>
            <translation>số byte dữ liệu %1 không đúng (cần %2)</translation>
        </message>
        <message>
            <source>%1：%2</source>
            <translation>%1: %2</translation>
        </message>
        <message numerus="yes">
            <source>%1：%n 处不同</source>
            <translation>
                <numerusform>%1: %n chỗ khác</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>JobRunner</name>
        <message>
            <source>键盘数据同步中</source>
            <translation>Đang đồng bộ dữ liệu bàn phím</translation>
        </message>
        <message>
            <source>导出配置中......</source>
            <translation>Đang xuất cấu hình...</translation>
        </message>
        <message>
            <source>导入配置中......</source>
            <translation>Đang nhập cấu hình...</translation>
        </message>
        <message>
            <source>键盘连接已断开</source>
            <translation>bàn phím đã bị ngắt kết nối</translation>
        </message>
        <message>
            <source>键盘没有应答</source>
            <translation>bàn phím không phản hồi</translation>
        </message>
        <message>
            <source>被另一个操作打断</source>
            <translation>bị một thao tác khác cắt ngang</translation>
        </message>
        <message>
            <source>无法写入键盘</source>
            <translation>không thể ghi vào bàn phím</translation>
        </message>
        <message>
            <source>%1：%2</source>
            <translation>%1: %2</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Hủy</translation>
        </message>
        <message>
            <source>校验键盘中的配置......</source>
            <translation>Đang kiểm tra cấu hình trong bàn phím...</translation>
        </message>
    </context>
    <context>
        <name>KeyPictureAccessible</name>
        <message>
            <source>按键功能</source>
            <translation>Chức năng phím</translation>
        </message>
        <message>
            <source>键盘</source>
            <translation>Bàn phím</translation>
        </message>
    </context>
    <context>
        <name>KeySetForm</name>
        <message>
            <source>普通层</source>
            <translation>Cơ bản</translation>
        </message>
        <message>
            <source>键盘按键</source>
            <translation>Bàn phím</translation>
        </message>
        <message>
            <source>系统按键</source>
            <translation>Đa phương tiện</translation>
        </message>
        <message>
            <source>宏按键</source>
            <translation>Macro</translation>
        </message>
        <message>
            <source>灯效按键</source>
            <translation>Đèn</translation>
        </message>
        <message>
            <source>扩展按键</source>
            <translation>Khác</translation>
        </message>
        <message>
            <source>重置键盘数据成功！</source>
            <translation>Đã đặt lại dữ liệu bàn phím</translation>
        </message>
        <message>
            <source>撤销</source>
            <translation>Hoàn tác</translation>
        </message>
        <message>
            <source>搜索按键</source>
            <translation>Tìm phím</translation>
        </message>
        <message>
            <source>修改没有保存到键盘，页面已恢复为键盘上的设置</source>
            <translation>Thay đổi chưa được lưu vào bàn phím; trang đã hiển thị lại cài đặt trên bàn phím.</translation>
        </message>
        <message>
            <source>搜索按键功能</source>
            <translation>Tìm chức năng phím</translation>
        </message>
    </context>
    <context>
        <name>LightSetForm</name>
        <message>
            <source>全选</source>
            <translation>Chọn tất cả</translation>
        </message>
        <message>
            <source>反选</source>
            <translation>Đảo chọn</translation>
        </message>
        <message>
            <source>取消全选</source>
            <translation>Bỏ chọn tất cả</translation>
        </message>
        <message>
            <source>选择模式</source>
            <translation>Hiệu ứng</translation>
        </message>
        <message>
            <source>亮度</source>
            <translation>Độ sáng</translation>
        </message>
        <message>
            <source>速度</source>
            <translation>Tốc độ</translation>
        </message>
        <message>
            <source>全彩</source>
            <translation>Màu RGB</translation>
        </message>
        <message>
            <source>自定义</source>
            <translation>Tùy chỉnh</translation>
        </message>
        <message>
            <source>请先选择要设置的按键，再修改亮度或颜色！</source>
            <translation>Hãy chọn phím trước, rồi chỉnh độ sáng hoặc màu</translation>
        </message>
        <message>
            <source>请先选择一种灯光模式</source>
            <translation>Hãy chọn một hiệu ứng đèn trước</translation>
        </message>
        <message>
            <source>在键盘上选择按键，再设置它们的亮度和颜色</source>
            <translation>Chọn phím trên bàn phím, rồi đặt độ sáng và màu cho chúng</translation>
        </message>
        <message>
            <source>这个模式没有可调整的参数</source>
            <translation>Hiệu ứng này không có thông số để chỉnh</translation>
        </message>
        <message>
            <source>修改没有保存到键盘，页面已恢复为键盘上的设置</source>
            <translation>Thay đổi chưa được lưu vào bàn phím; trang đã hiển thị lại cài đặt trên bàn phím.</translation>
        </message>
        <message>
            <source>紫色</source>
            <translation>Tím</translation>
        </message>
        <message>
            <source>粉色</source>
            <translation>Hồng</translation>
        </message>
        <message>
            <source>红色</source>
            <translation>Đỏ</translation>
        </message>
        <message>
            <source>橙色</source>
            <translation>Cam</translation>
        </message>
        <message>
            <source>琥珀色</source>
            <translation>Hổ phách</translation>
        </message>
        <message>
            <source>黄色</source>
            <translation>Vàng</translation>
        </message>
        <message>
            <source>浅绿色</source>
            <translation>Xanh lá nhạt</translation>
        </message>
        <message>
            <source>绿色</source>
            <translation>Xanh lá</translation>
        </message>
        <message>
            <source>蓝色</source>
            <translation>Xanh dương</translation>
        </message>
        <message>
            <source>紫罗兰色</source>
            <translation>Tím violet</translation>
        </message>
        <message>
            <source>色轮</source>
            <translation>Vòng màu</translation>
        </message>
        <message>
            <source>左右方向键转动色相</source>
            <translation>Phím mũi tên trái và phải xoay sắc màu</translation>
        </message>
        <message>
            <source>颜色深浅</source>
            <translation>Độ đậm nhạt của màu</translation>
        </message>
        <message>
            <source>颜色代码</source>
            <translation>Mã màu</translation>
        </message>
    </context>
    <context>
        <name>MacroSetForm</name>
        <message>
            <source>开始录制</source>
            <translation>Ghi</translation>
        </message>
        <message>
            <source>停止录制</source>
            <translation>Dừng</translation>
        </message>
        <message>
            <source>清除全部</source>
            <translation>Xóa hết</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Lưu</translation>
        </message>
        <message>
            <source>按键内容</source>
            <translation>Phím</translation>
        </message>
        <message>
            <source>按键类型</source>
            <translation>Thao tác</translation>
        </message>
        <message>
            <source>按下</source>
            <translation>Nhấn</translation>
        </message>
        <message>
            <source>抬起</source>
            <translation>Nhả</translation>
        </message>
        <message>
            <source>持续时间(ms)</source>
            <translation>Độ trễ (ms)</translation>
        </message>
        <message>
            <source>最大添加20个按键</source>
            <translation>Mỗi macro chứa tối đa 20 phím</translation>
        </message>
        <message>
            <source>宏数据同步成功!</source>
            <translation>Đã lưu macro vào bàn phím</translation>
        </message>
        <message>
            <source>修改没有写入键盘，请再试一次</source>
            <translation>Thay đổi chưa được ghi vào bàn phím. Vui lòng thử lại.</translation>
        </message>
    </context>
    <context>
        <name>MainWindow</name>
        <message>
            <source>设备</source>
            <translation>Thiết bị</translation>
        </message>
        <message>
            <source>固件</source>
            <translation>Firmware</translation>
        </message>
        <message>
            <source>设置</source>
            <translation>Cài đặt</translation>
        </message>
        <message>
            <source>通讯方式</source>
            <translation>Kết nối</translation>
        </message>
        <message>
            <source>蓝牙</source>
            <translation>Bluetooth</translation>
        </message>
        <message>
            <source>常用配置</source>
            <translation>Cấu hình</translation>
        </message>
        <message>
            <source>设置配置表信息失败！</source>
            <translation>Không đổi được cấu hình</translation>
        </message>
        <message>
            <source>增加配置表失败！</source>
            <translation>Không thêm được cấu hình</translation>
        </message>
        <message>
            <source>删除配置表失败！</source>
            <translation>Không xóa được cấu hình</translation>
        </message>
        <message>
            <source>键盘数据同步中</source>
            <translation>Đang đồng bộ dữ liệu bàn phím</translation>
        </message>
        <message>
            <source>读取配置失败</source>
            <translation>Không đọc được cấu hình</translation>
        </message>
        <message>
            <source>保存文件</source>
            <translation>Lưu tệp</translation>
        </message>
        <message>
            <source>配置文件 (*.aaa);; 所有文件 (*.*)</source>
            <translation>Tệp cấu hình (*.aaa);;Tất cả tệp (*.*)</translation>
        </message>
        <message>
            <source>导出配置中......</source>
            <translation>Đang xuất cấu hình...</translation>
        </message>
        <message>
            <source>写入配置成功</source>
            <translation>Đã xuất cấu hình</translation>
        </message>
        <message>
            <source>写入配置失败</source>
            <translation>Không xuất được cấu hình</translation>
        </message>
        <message>
            <source>选择配置文件</source>
            <translation>Chọn tệp cấu hình</translation>
        </message>
        <message>
            <source>配置文件(*.aaa);;所有文件(*)</source>
            <translation>Tệp cấu hình (*.aaa);;Tất cả tệp (*)</translation>
        </message>
        <message>
            <source>导入配置中......</source>
            <translation>Đang nhập cấu hình...</translation>
        </message>
        <message>
            <source>导入配置成功</source>
            <translation>Đã nhập cấu hình</translation>
        </message>
        <message>
            <source>导入配置失败</source>
            <translation>Nhập cấu hình thất bại</translation>
        </message>
        <message>
            <source>磁性键盘</source>
            <translation>Zentaro</translation>
        </message>
        <message>
            <source>点击恢复显示</source>
            <translation>Nhấp để hiện lại cửa sổ</translation>
        </message>
        <message>
            <source>MainWindow</source>
            <translation>MainWindow</translation>
        </message>
        <message>
            <source>增加</source>
            <translation>Thêm</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Xóa</translation>
        </message>
        <message>
            <source>导入</source>
            <translation>Nhập</translation>
        </message>
        <message>
            <source>导出</source>
            <translation>Xuất</translation>
        </message>
        <message>
            <source>导入配置失败：此文件来自按键布局不同的键盘，缺少按键 %1</source>
            <translation>Nhập cấu hình thất bại: tệp này được lưu từ bàn phím có bố cục phím khác, thiếu phím %1</translation>
        </message>
        <message>
            <source>导入配置失败：此文件来自按键布局不同的键盘，含有本键盘没有的按键 %1</source>
            <translation>Nhập cấu hình thất bại: tệp này được lưu từ bàn phím có bố cục phím khác, có phím %1 mà bàn phím này không có</translation>
        </message>
        <message>
            <source>导入配置失败：此文件的高级键多于本键盘能保存的数量</source>
            <translation>Nhập cấu hình thất bại: tệp này chứa nhiều phím nâng cao hơn số bàn phím này có thể lưu</translation>
        </message>
        <message>
            <source>键盘连接已断开</source>
            <translation>bàn phím đã bị ngắt kết nối</translation>
        </message>
        <message>
            <source>键盘没有应答</source>
            <translation>bàn phím không phản hồi</translation>
        </message>
        <message>
            <source>被另一个操作打断</source>
            <translation>bị một thao tác khác cắt ngang</translation>
        </message>
        <message>
            <source>无法写入键盘</source>
            <translation>không thể ghi vào bàn phím</translation>
        </message>
        <message>
            <source>%1：%2</source>
            <translation>%1: %2</translation>
        </message>
        <message>
            <source>切换配置表失败</source>
            <translation>Không chuyển được cấu hình</translation>
        </message>
        <message>
            <source>配置文件 (*.aaa);; 可读配置 (*.json);; 所有文件 (*.*)</source>
            <translation>Tệp cấu hình (*.aaa);; Cấu hình dễ đọc (*.json);; Tất cả tệp (*.*)</translation>
        </message>
        <message>
            <source>配置文件(*.aaa *.json);;可读配置(*.json);;所有文件(*)</source>
            <translation>Tệp cấu hình (*.aaa *.json);;Cấu hình dễ đọc (*.json);;Tất cả tệp (*)</translation>
        </message>
        <message>
            <source>导入已取消，已写入的部分保留在键盘中</source>
            <translation>Đã hủy nhập; phần đã ghi vẫn giữ trong bàn phím</translation>
        </message>
        <message>
            <source>还有 %1 处</source>
            <translation>và %1 điểm nữa</translation>
        </message>
        <message>
            <source>键盘中的值与写入的不一致：
%1</source>
            <translation>Bàn phím giữ giá trị khác với giá trị đã ghi:
%1</translation>
        </message>
        <message>
            <source>复制分享码</source>
            <translation>Chép mã</translation>
        </message>
        <message>
            <source>粘贴分享码</source>
            <translation>Dán mã</translation>
        </message>
        <message>
            <source>最小化</source>
            <translation>Thu nhỏ</translation>
        </message>
        <message>
            <source>最大化</source>
            <translation>Phóng to</translation>
        </message>
        <message>
            <source>关闭</source>
            <translation>Đóng</translation>
        </message>
    </context>
    <context>
        <name>NavigationBar</name>
        <message>
            <source>按键设置</source>
            <translation>Phím</translation>
        </message>
        <message>
            <source>灯光设置</source>
            <translation>Đèn</translation>
        </message>
        <message>
            <source>高级键</source>
            <translation>Phím nâng cao</translation>
        </message>
        <message>
            <source>宏设置</source>
            <translation>Macro</translation>
        </message>
        <message>
            <source>性能设置</source>
            <translation>Hiệu năng</translation>
        </message>
        <message>
            <source>校准</source>
            <translation>Hiệu chỉnh</translation>
        </message>
        <message>
            <source>其他</source>
            <translation>Khác</translation>
        </message>
    </context>
    <context>
        <name>OtherSetForm</name>
        <message>
            <source>更新固件</source>
            <translation>Cập nhật firmware</translation>
        </message>
        <message>
            <source>暂无新版本</source>
            <translation>Firmware đã là bản mới nhất</translation>
        </message>
        <message>
            <source>查看新版本</source>
            <translation>Xem bản mới</translation>
        </message>
        <message>
            <source>恢复出厂设置</source>
            <translation>Khôi phục cài đặt gốc</translation>
        </message>
        <message>
            <source>立即恢复</source>
            <translation>Khôi phục ngay</translation>
        </message>
        <message>
            <source>所有设置将恢复到出厂状态，请谨慎操作。</source>
            <translation>Mọi cài đặt trên bàn phím sẽ trở về trạng thái gốc. Không thể hoàn tác.</translation>
        </message>
        <message>
            <source>磁性键盘固件数据</source>
            <translation>Dữ liệu firmware bàn phím</translation>
        </message>
        <message>
            <source>更新数据</source>
            <translation>Cập nhật dữ liệu</translation>
        </message>
        <message>
            <source>键盘固件版本：V</source>
            <translation>Phiên bản firmware: V</translation>
        </message>
        <message>
            <source>发现新版本</source>
            <translation>Có bản cập nhật</translation>
        </message>
        <message>
            <source>发现新版本 %1

更新内容:
%2

是否立即下载更新?</source>
            <translation>Đã có phiên bản %1

Có gì mới:
%2

Tải về ngay?</translation>
        </message>
        <message>
            <source>是</source>
            <translation>Có</translation>
        </message>
        <message>
            <source>否</source>
            <translation>Không</translation>
        </message>
        <message>
            <source>正在下载更新...</source>
            <translation>Đang tải bản cập nhật...</translation>
        </message>
        <message>
            <source>没有新版本</source>
            <translation>Firmware đã là bản mới nhất</translation>
        </message>
        <message>
            <source>更新错误: </source>
            <translation>Lỗi cập nhật: </translation>
        </message>
        <message>
            <source>下载文件校验失败</source>
            <translation>Tệp tải về bị hỏng (mã kiểm tra không khớp)</translation>
        </message>
        <message>
            <source>同步</source>
            <translation>Cập nhật</translation>
        </message>
        <message>
            <source>下载完成，是否同步键盘固件...</source>
            <translation>Đã tải xong. Cập nhật firmware bàn phím ngay?</translation>
        </message>
        <message>
            <source>提示</source>
            <translation>Thông báo</translation>
        </message>
        <message>
            <source>打开文件失败！</source>
            <translation>Không mở được tệp</translation>
        </message>
        <message>
            <source>下载键盘固件中，请不要执行其他操作</source>
            <translation>Đang cập nhật firmware bàn phím, vui lòng chờ</translation>
        </message>
        <message>
            <source>固件升级成功，如果没连上设备，请重新拔插USB线！</source>
            <translation>Đã cập nhật firmware. Nếu bàn phím không kết nối lại, hãy rút cáp USB rồi cắm lại.</translation>
        </message>
        <message>
            <source>你确定要恢复出厂设置吗？</source>
            <translation>Khôi phục cài đặt gốc cho bàn phím?</translation>
        </message>
        <message>
            <source>确认</source>
            <translation>Xác nhận</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Hủy</translation>
        </message>
        <message>
            <source>恢复出厂设置中，请不要执行其他操作</source>
            <translation>Đang khôi phục cài đặt gốc, vui lòng chờ</translation>
        </message>
        <message>
            <source>恢复出厂设置成功！</source>
            <translation>Đã khôi phục cài đặt gốc</translation>
        </message>
        <message>
            <source>恢复出厂设置失败！</source>
            <translation>Khôi phục cài đặt gốc thất bại</translation>
        </message>
        <message>
            <source>选择固件数据文件</source>
            <translation>Chọn tệp dữ liệu firmware</translation>
        </message>
        <message>
            <source>固件数据文件(*.bin);;所有文件(*)</source>
            <translation>Tệp dữ liệu firmware (*.bin);;Tất cả tệp (*)</translation>
        </message>
        <message>
            <source>固件数据不匹配！</source>
            <translation>Dữ liệu firmware không khớp với bàn phím</translation>
        </message>
        <message>
            <source>下载固件数据中，请不要执行其他操作</source>
            <translation>Đang ghi dữ liệu firmware, vui lòng chờ</translation>
        </message>
        <message>
            <source>固件数据下载成功！</source>
            <translation>Đã ghi dữ liệu firmware</translation>
        </message>
        <message>
            <source>下载固件失败！</source>
            <translation>Cập nhật firmware thất bại</translation>
        </message>
        <message>
            <source>下载固件数据失败！</source>
            <translation>Không ghi được dữ liệu firmware</translation>
        </message>
        <message>
            <source>键盘连接已断开</source>
            <translation>bàn phím đã bị ngắt kết nối</translation>
        </message>
        <message>
            <source>键盘没有应答</source>
            <translation>bàn phím không phản hồi</translation>
        </message>
        <message>
            <source>被另一个操作打断</source>
            <translation>bị một thao tác khác cắt ngang</translation>
        </message>
        <message>
            <source>无法写入键盘</source>
            <translation>không thể ghi vào bàn phím</translation>
        </message>
        <message>
            <source>%1：%2</source>
            <translation>%1: %2</translation>
        </message>
        <message>
            <source>这个固件不适用于当前键盘，没有发送任何数据</source>
            <translation>Firmware này dành cho bàn phím khác; không có gì được gửi</translation>
        </message>
        <message>
            <source>已备份键盘上的所有配置</source>
            <translation>Đã sao lưu mọi cấu hình trên bàn phím</translation>
        </message>
        <message>
            <source>备份失败</source>
            <translation>Sao lưu thất bại</translation>
        </message>
        <message>
            <source>无法备份键盘上的配置，固件没有发送。

%1

不备份，直接更新固件吗？</source>
            <translation>Không thể sao lưu cấu hình của bàn phím; chưa gửi firmware.

%1

Cập nhật firmware mà không sao lưu?</translation>
        </message>
        <message>
            <source>没有备份，固件没有发送</source>
            <translation>Không có bản sao lưu nên chưa gửi firmware</translation>
        </message>
        <message>
            <source>正在备份键盘上的配置，请不要执行其他操作</source>
            <translation>Đang sao lưu cấu hình của bàn phím, vui lòng chờ</translation>
        </message>
        <message>
            <source>无法写入备份：%1</source>
            <translation>Không thể ghi bản sao lưu: %1</translation>
        </message>
        <message>
            <source>无法读取键盘上的配置</source>
            <translation>Không thể đọc cấu hình của bàn phím</translation>
        </message>
        <message>
            <source>正在检查更新后的配置...</source>
            <translation>Đang kiểm tra cấu hình sau khi cập nhật...</translation>
        </message>
        <message>
            <source>无法读取更新后的配置；键盘重新连接后再回到这里比较</source>
            <translation>Không thể đọc cấu hình sau khi cập nhật; hãy quay lại đây khi bàn phím đã kết nối lại</translation>
        </message>
        <message>
            <source>固件更新后，键盘上的配置与备份相同</source>
            <translation>Bàn phím vẫn giữ nguyên cấu hình sau khi cập nhật</translation>
        </message>
        <message>
            <source>恢复我的设置</source>
            <translation>Khôi phục cài đặt của tôi</translation>
        </message>
        <message>
            <source>固件更新后，键盘上的这些配置与更新前的备份不同：
%1

恢复我的设置吗？</source>
            <translation>Sau khi cập nhật firmware, các cấu hình này khác với bản sao lưu trước đó:
%1

Khôi phục cài đặt của tôi?</translation>
        </message>
        <message>
            <source>恢复备份</source>
            <translation>Khôi phục bản sao lưu</translation>
        </message>
        <message>
            <source>用这个备份覆盖键盘上的配置吗？</source>
            <translation>Thay cấu hình của bàn phím bằng bản sao lưu này?</translation>
        </message>
        <message>
            <source>这个备份已损坏或不属于这个键盘，不能恢复；没有发送任何数据。</source>
            <translation>Bản sao lưu này bị hỏng hoặc thuộc bàn phím khác nên không thể khôi phục; không có dữ liệu nào được gửi.</translation>
        </message>
        <message>
            <source>正在恢复配置，请不要执行其他操作</source>
            <translation>Đang khôi phục cấu hình, vui lòng chờ</translation>
        </message>
        <message>
            <source>无</source>
            <translation>không có</translation>
        </message>
        <message>
            <source>配置已恢复，并已从键盘读回核对。</source>
            <translation>Cấu hình đã được khôi phục và đọc lại từ bàn phím đúng như bản sao lưu.</translation>
        </message>
        <message>
            <source>这个备份属于另一款键盘，没有发送任何数据。</source>
            <translation>Bản sao lưu này thuộc bàn phím khác; không có dữ liệu nào được gửi.</translation>
        </message>
        <message>
            <source>以下配置未能恢复：%1
已恢复：%2</source>
            <translation>Không thể khôi phục các cấu hình: %1
Đã khôi phục: %2</translation>
        </message>
        <message>
            <source>恢复在配置“%1”处中断：%2
已恢复：%3</source>
            <translation>Việc khôi phục dừng lại ở cấu hình "%1": %2
Đã khôi phục: %3</translation>
        </message>
        <message>
            <source>恢复失败</source>
            <translation>Khôi phục thất bại</translation>
        </message>
        <message>
            <source>删除备份</source>
            <translation>Xóa bản sao lưu</translation>
        </message>
        <message>
            <source>删除这个备份吗？删除后无法找回。</source>
            <translation>Xóa bản sao lưu này? Không thể lấy lại sau khi xóa.</translation>
        </message>
        <message>
            <source>无法删除这个备份</source>
            <translation>Không thể xóa bản sao lưu này</translation>
        </message>
        <message>
            <source>备份已删除</source>
            <translation>Đã xóa bản sao lưu</translation>
        </message>
    </context>
    <context>
        <name>PackageUnpacker</name>
        <message>
            <source>无法读取条目</source>
            <translation>không đọc được mục</translation>
        </message>
        <message>
            <source>无法写入 %1</source>
            <translation>không ghi được %1</translation>
        </message>
        <message>
            <source>条目已损坏</source>
            <translation>mục bị hỏng</translation>
        </message>
        <message>
            <source>解压后超过 %1 MB</source>
            <translation>giải nén ra hơn %1 MB</translation>
        </message>
        <message>
            <source>无法创建文件夹 %1</source>
            <translation>Không tạo được thư mục %1</translation>
        </message>
        <message>
            <source>软件包 %1 已损坏</source>
            <translation>Gói %1 bị hỏng</translation>
        </message>
        <message>
            <source>软件包中有不安全的条目：%1</source>
            <translation>Gói chứa mục không an toàn: %1</translation>
        </message>
        <message>
            <source>软件包 %1 解压后超过 %2 MB</source>
            <translation>Gói %1 giải nén ra hơn %2 MB</translation>
        </message>
        <message>
            <source>无法在 %1 中创建文件夹</source>
            <translation>Không tạo được thư mục trong %1</translation>
        </message>
        <message>
            <source>无法为 %1 创建文件夹</source>
            <translation>Không tạo được thư mục cho %1</translation>
        </message>
        <message>
            <source>%1：%2</source>
            <translation>%1: %2</translation>
        </message>
        <message>
            <source>无法替换文件夹 %1</source>
            <translation>Không thay được thư mục %1</translation>
        </message>
        <message>
            <source>无法把文件夹放到 %1</source>
            <translation>Không chuyển được thư mục tới %1</translation>
        </message>
    </context>
    <context>
        <name>PerformanceSetForm</name>
        <message>
            <source>全选</source>
            <translation>Chọn tất cả</translation>
        </message>
        <message>
            <source>反选</source>
            <translation>Đảo chọn</translation>
        </message>
        <message>
            <source>取消全选</source>
            <translation>Bỏ chọn tất cả</translation>
        </message>
        <message>
            <source>轮询率</source>
            <translation>Tần số phản hồi</translation>
        </message>
        <message>
            <source>防抖等级</source>
            <translation>Chống dội</translation>
        </message>
        <message>
            <source>断触优化</source>
            <translation>Chống mất phím</translation>
        </message>
        <message>
            <source>竞技模式</source>
            <translation>Chế độ thi đấu</translation>
        </message>
        <message>
            <source>死区设置-按下(触发）</source>
            <translation>Vùng chết khi nhấn</translation>
        </message>
        <message>
            <source>死区设置-抬起(重置）</source>
            <translation>Vùng chết khi nhả</translation>
        </message>
        <message>
            <source>触发行程</source>
            <translation>Điểm kích hoạt</translation>
        </message>
        <message>
            <source>快速触发</source>
            <translation>Kích hoạt nhanh</translation>
        </message>
        <message>
            <source>连续快速触发</source>
            <translation>Kích hoạt nhanh liên tục</translation>
        </message>
        <message>
            <source>按下灵敏度</source>
            <translation>Độ nhạy nhấn</translation>
        </message>
        <message>
            <source>抬起灵敏度</source>
            <translation>Độ nhạy nhả</translation>
        </message>
        <message>
            <source>按键在按压到固定位置后触发，回弹到固定位置后释放。触发行程越低，物理响应速度越快，但更容易误触触发按键所需要按下的距离</source>
            <translation>Phím kích hoạt khi được nhấn tới điểm đã đặt và nhả khi bật lại qua điểm đó. Điểm kích hoạt càng thấp thì phản hồi càng nhanh nhưng càng dễ bấm nhầm. Đây là quãng đường cần nhấn để kích hoạt phím.</translation>
        </message>
        <message>
            <source>当按键按下超过设置的触发行程后，松开按键达到所设置的灵敏度，即可停止触发</source>
            <translation>Sau khi phím được nhấn quá điểm kích hoạt, chỉ cần nhả phím theo độ nhạy đã đặt là ngừng kích hoạt</translation>
        </message>
        <message>
            <source>请先选择要设置的按键</source>
            <translation>Hãy chọn phím cần đặt trước</translation>
        </message>
        <message>
            <source>显示触发行程</source>
            <translation>Hiện điểm kích hoạt</translation>
        </message>
        <message>
            <source>显示快速触发</source>
            <translation>Hiện kích hoạt nhanh</translation>
        </message>
        <message>
            <source>修改没有保存到键盘，页面已恢复为键盘上的设置</source>
            <translation>Thay đổi chưa được lưu vào bàn phím; trang đã hiển thị lại cài đặt trên bàn phím.</translation>
        </message>
        <message>
            <source>低</source>
            <translation>Thấp</translation>
        </message>
        <message>
            <source>中</source>
            <translation>Trung bình</translation>
        </message>
        <message>
            <source>高</source>
            <translation>Cao</translation>
        </message>
        <message>
            <source>减小触发行程</source>
            <translation>Giảm điểm kích hoạt</translation>
        </message>
        <message>
            <source>增大触发行程</source>
            <translation>Tăng điểm kích hoạt</translation>
        </message>
        <message>
            <source>减小按下灵敏度</source>
            <translation>Giảm độ nhạy nhấn</translation>
        </message>
        <message>
            <source>增大按下灵敏度</source>
            <translation>Tăng độ nhạy nhấn</translation>
        </message>
        <message>
            <source>减小抬起灵敏度</source>
            <translation>Giảm độ nhạy nhả</translation>
        </message>
        <message>
            <source>增大抬起灵敏度</source>
            <translation>Tăng độ nhạy nhả</translation>
        </message>
    </context>
    <context>
        <name>QCustomProgressDialog</name>
        <message>
            <source>取消</source>
            <translation>Hủy</translation>
        </message>
    </context>
    <context>
        <name>QDKSLabel</name>
        <message>
            <source>按下触发</source>
            <translation>Nhấn tới điểm kích hoạt</translation>
        </message>
        <message>
            <source>按到底</source>
            <translation>Nhấn hết hành trình</translation>
        </message>
        <message>
            <source>从底部抬起</source>
            <translation>Nhả từ đáy</translation>
        </message>
        <message>
            <source>抬起复位</source>
            <translation>Nhả qua điểm kích hoạt</translation>
        </message>
        <message>
            <source>功能 %1：%2</source>
            <translation>Chức năng %1: %2</translation>
        </message>
        <message>
            <source>开</source>
            <translation>bật</translation>
        </message>
        <message>
            <source>关</source>
            <translation>tắt</translation>
        </message>
    </context>
    <context>
        <name>QDeviceAddWidget</name>
        <message>
            <source>打开设备</source>
            <translation>Mở thiết bị</translation>
        </message>
    </context>
    <context>
        <name>QDksAddDialog</name>
        <message>
            <source>动态键程(DKS)</source>
            <translation>Hành trình động (DKS)</translation>
        </message>
        <message>
            <source>磁轴高级键，可以将一个按键根据按压和松开的程度不同，绑定1至4种功能</source>
            <translation>Phím nâng cao cho switch từ tính: một phím có thể gán từ 1 đến 4 chức năng tùy theo mức nhấn và nhả</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Xóa</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Hủy</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Lưu</translation>
        </message>
    </context>
    <context>
        <name>QFirewareItemWidget</name>
        <message>
            <source>固件下载</source>
            <translation>Cập nhật firmware</translation>
        </message>
    </context>
    <context>
        <name>QHighKeyAddWidget</name>
        <message>
            <source>+ 添加按键</source>
            <translation>+ Thêm phím</translation>
        </message>
    </context>
    <context>
        <name>QHighKeyDialog</name>
        <message>
            <source>请先选择按键2</source>
            <translation>Vui lòng chọn phím 2 trước</translation>
        </message>
        <message>
            <source>高级键数量已达上限</source>
            <translation>Đã dùng hết 32 phím nâng cao của cấu hình này</translation>
        </message>
        <message>
            <source>功能 %1</source>
            <translation>Chức năng %1</translation>
        </message>
        <message>
            <source>按键功能</source>
            <translation>Chức năng phím</translation>
        </message>
        <message>
            <source>无</source>
            <translation>không có</translation>
        </message>
        <message>
            <source>%1，已选中，在按键功能中选择新功能</source>
            <translation>%1, đã chọn: chọn chức năng mới trong chức năng phím</translation>
        </message>
    </context>
    <context>
        <name>QHighKeyItemWidget</name>
        <message>
            <source>删除 %1 的高级键</source>
            <translation>Xóa phím nâng cao của %1</translation>
        </message>
    </context>
    <context>
        <name>QInputKeyboardWidget</name>
        <message>
            <source>恢复默认</source>
            <translation>Mặc định</translation>
        </message>
        <message>
            <source>无效键</source>
            <translation>Không chức năng</translation>
        </message>
        <message>
            <source>全恢复</source>
            <translation>Đặt lại tất cả</translation>
        </message>
    </context>
    <context>
        <name>QKeyKeyboardWidget</name>
        <message>
            <source>请在下方选择新的功能</source>
            <translation>Chọn chức năng mới bên dưới</translation>
        </message>
    </context>
    <context>
        <name>QKeyboardWidget</name>
        <message>
            <source>无功能</source>
            <translation>không chức năng</translation>
        </message>
        <message>
            <source>高级键 %1</source>
            <translation>phím nâng cao %1</translation>
        </message>
        <message>
            <source>功能：%1</source>
            <translation>chức năng: %1</translation>
        </message>
        <message>
            <source>无</source>
            <translation>không có</translation>
        </message>
        <message>
            <source>TGL：切换 %1</source>
            <translation>TGL: bật/tắt %1</translation>
        </message>
        <message>
            <source>MT：点按 %1，按住 %2</source>
            <translation>MT: nhấn nhanh %1, giữ %2</translation>
        </message>
        <message>
            <source>DKS：%1</source>
            <translation>DKS: %1</translation>
        </message>
        <message>
            <source>%1：与 %2</source>
            <translation>%1: cùng %2</translation>
        </message>
    </context>
    <context>
        <name>QMacroItemWidget</name>
        <message>
            <source>按下</source>
            <translation>nhấn</translation>
        </message>
        <message>
            <source>松开</source>
            <translation>nhả</translation>
        </message>
        <message>
            <source>第 %1 步：%2 %3，%4 毫秒</source>
            <translation>Bước %1: %2 %3, %4 ms</translation>
        </message>
        <message>
            <source>删除第 %1 步</source>
            <translation>Xóa bước %1</translation>
        </message>
    </context>
    <context>
        <name>QMtAddDialog</name>
        <message>
            <source>按住/单击(MT)</source>
            <translation>Nhấn nhanh / giữ (MT)</translation>
        </message>
        <message>
            <source>单击和长按按键可分别触发不同的功能</source>
            <translation>Nhấn nhanh và giữ phím sẽ kích hoạt các chức năng khác nhau</translation>
        </message>
        <message>
            <source>单击</source>
            <translation>Nhấn nhanh</translation>
        </message>
        <message>
            <source>长按</source>
            <translation>Giữ</translation>
        </message>
        <message>
            <source>长按时间</source>
            <translation>Thời gian giữ</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Xóa</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Hủy</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Lưu</translation>
        </message>
    </context>
    <context>
        <name>QNatureLabel</name>
        <message>
            <source>快速触发模式:已开启</source>
            <translation>Kích hoạt nhanh: bật</translation>
        </message>
        <message>
            <source>快速触发模式:已关闭</source>
            <translation>Kích hoạt nhanh: tắt</translation>
        </message>
        <message>
            <source>连续快速触发:已开启</source>
            <translation>Kích hoạt nhanh liên tục: bật</translation>
        </message>
        <message>
            <source>连续快速触发:已关闭</source>
            <translation>Kích hoạt nhanh liên tục: tắt</translation>
        </message>
    </context>
    <context>
        <name>QOksAddDialog</name>
        <message>
            <source>OKS监控</source>
            <translation>Giám sát OKS</translation>
        </message>
        <message>
            <source>OKS监控2个选定的键，松开其中一个键时，另一个键生效。</source>
            <translation>OKS giám sát 2 phím đã chọn; khi nhả một phím, phím còn lại sẽ có hiệu lực.</translation>
        </message>
        <message>
            <source>按键1</source>
            <translation>Phím 1</translation>
        </message>
        <message>
            <source>按键2</source>
            <translation>Phím 2</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Xóa</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Hủy</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Lưu</translation>
        </message>
    </context>
    <context>
        <name>QPairAddDialog</name>
        <message>
            <source>按键1</source>
            <translation>Phím 1</translation>
        </message>
        <message>
            <source>按键2</source>
            <translation>Phím 2</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Xóa</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Hủy</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Lưu</translation>
        </message>
        <message>
            <source>RS监控</source>
            <translation>Giám sát RS</translation>
        </message>
        <message>
            <source>OKS监控</source>
            <translation>Giám sát OKS</translation>
        </message>
        <message>
            <source>RS监控2个选定的键，两个键同时按下时，按得更深的键生效。</source>
            <translation>RS giám sát 2 phím đã chọn; khi cả hai được nhấn, phím nhấn sâu hơn sẽ có hiệu lực.</translation>
        </message>
        <message>
            <source>OKS监控2个选定的键，松开其中一个键时，另一个键生效。</source>
            <translation>OKS giám sát 2 phím đã chọn; khi nhả một phím, phím còn lại sẽ có hiệu lực.</translation>
        </message>
    </context>
    <context>
        <name>QRsAddDialog</name>
        <message>
            <source>RS监控</source>
            <translation>Giám sát RS</translation>
        </message>
        <message>
            <source>RS监控2个选定的键，两个键同时按下时，按得更深的键生效。</source>
            <translation>RS giám sát 2 phím đã chọn; khi cả hai được nhấn, phím nhấn sâu hơn sẽ có hiệu lực.</translation>
        </message>
        <message>
            <source>按键1</source>
            <translation>Phím 1</translation>
        </message>
        <message>
            <source>按键2</source>
            <translation>Phím 2</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Xóa</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Hủy</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Lưu</translation>
        </message>
    </context>
    <context>
        <name>QSocdAddDialog</name>
        <message>
            <source>SOCD指的是一种技术，当两个相反方向的按键同时按下时，按所选的规则决定哪个键生效。</source>
            <translation>SOCD quyết định theo quy tắc đã chọn phím nào có hiệu lực khi hai phím ngược hướng được giữ cùng lúc.</translation>
        </message>
        <message>
            <source>行为模式</source>
            <translation>Quy tắc</translation>
        </message>
        <message>
            <source>最后输入优先级</source>
            <translation>Phím nhấn sau thắng</translation>
        </message>
        <message>
            <source>绝对按键1优先</source>
            <translation>Phím 1 thắng</translation>
        </message>
        <message>
            <source>绝对按键2优先</source>
            <translation>Phím 2 thắng</translation>
        </message>
        <message>
            <source>抵消模式</source>
            <translation>Trung hòa</translation>
        </message>
        <message>
            <source>按键1</source>
            <translation>Phím 1</translation>
        </message>
        <message>
            <source>按键2</source>
            <translation>Phím 2</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Xóa</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Hủy</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Lưu</translation>
        </message>
        <message>
            <source>SOCD</source>
            <translation>SOCD</translation>
        </message>
    </context>
    <context>
        <name>QTglAddDialog</name>
        <message>
            <source>切换开关(TGL)</source>
            <translation>Bật/tắt (TGL)</translation>
        </message>
        <message>
            <source>单击按键可开关持续触发，按住按键则为正常触发行为</source>
            <translation>Nhấn nhanh phím để bật hoặc tắt kích hoạt liên tục; giữ phím để kích hoạt bình thường</translation>
        </message>
        <message>
            <source>触发</source>
            <translation>Kích hoạt</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Xóa</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Hủy</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Lưu</translation>
        </message>
    </context>
    <context>
        <name>SignatureVerifier</name>
        <message>
            <source>%1 没有签名，可能已被篡改，已拒绝</source>
            <translation>%1 không có chữ ký và có thể đã bị sửa đổi; đã bị từ chối</translation>
        </message>
        <message>
            <source>%1 的签名已损坏，已拒绝</source>
            <translation>Chữ ký của %1 bị hỏng; đã bị từ chối</translation>
        </message>
        <message>
            <source>%1 的签名不是受信任的密钥所签，已拒绝</source>
            <translation>Chữ ký của %1 không phải từ một khóa tin cậy; đã bị từ chối</translation>
        </message>
    </context>
    <context>
        <name>SystemSetForm</name>
        <message>
            <source>返回</source>
            <translation>Quay lại</translation>
        </message>
        <message>
            <source>检测版本</source>
            <translation>Kiểm tra cập nhật</translation>
        </message>
        <message>
            <source>开机自动启动：</source>
            <translation>Khởi động cùng máy:</translation>
        </message>
        <message>
            <source>开机后自动启动磁性键盘软件</source>
            <translation>Mở Zentaro khi đăng nhập</translation>
        </message>
        <message>
            <source>关闭时最小化到托盘：</source>
            <translation>Đóng vào khay:</translation>
        </message>
        <message>
            <source>磁性键盘关闭时，最小化到系统托盘</source>
            <translation>Khi đóng cửa sổ, Zentaro vẫn chạy trong khay hệ thống</translation>
        </message>
        <message>
            <source>语言：</source>
            <translation>Ngôn ngữ:</translation>
        </message>
        <message>
            <source>跟随系统</source>
            <translation>Theo hệ thống</translation>
        </message>
        <message>
            <source>简体中文</source>
            <translation>简体中文</translation>
        </message>
        <message>
            <source>越南语</source>
            <translation>Tiếng Việt</translation>
        </message>
        <message>
            <source>设置磁性软件的语言</source>
            <translation>Ngôn ngữ của Zentaro</translation>
        </message>
        <message>
            <source>主题：</source>
            <translation>Giao diện:</translation>
        </message>
        <message>
            <source>亮色主题</source>
            <translation>Giao diện sáng</translation>
        </message>
        <message>
            <source>暗色主题</source>
            <translation>Giao diện tối</translation>
        </message>
        <message>
            <source>设置磁性软件的主题</source>
            <translation>Màu giao diện của Zentaro</translation>
        </message>
        <message>
            <source>固件工具：</source>
            <translation>Công cụ firmware:</translation>
        </message>
        <message>
            <source>开启后可以强制升级产品固件，不对固件校验产品类型</source>
            <translation>Khi bật, firmware được ghi mà không kiểm tra loại sản phẩm. Chỉ bật khi bàn phím không còn hoạt động.</translation>
        </message>
        <message>
            <source>磁性键盘软件版本-</source>
            <translation>Phiên bản Zentaro </translation>
        </message>
        <message>
            <source>-V</source>
            <translation>-V</translation>
        </message>
        <message>
            <source>提示</source>
            <translation>Thông báo</translation>
        </message>
        <message>
            <source>没有新版本</source>
            <translation>Bạn đang dùng phiên bản mới nhất</translation>
        </message>
        <message>
            <source>发现新版本</source>
            <translation>Có bản cập nhật</translation>
        </message>
        <message>
            <source>发现新版本 %1

更新内容:
%2

是否立即下载更新?</source>
            <translation>Đã có phiên bản %1

Có gì mới:
%2

Tải về ngay?</translation>
        </message>
        <message>
            <source>是</source>
            <translation>Có</translation>
        </message>
        <message>
            <source>否</source>
            <translation>Không</translation>
        </message>
        <message>
            <source>正在下载更新...</source>
            <translation>Đang tải bản cập nhật...</translation>
        </message>
        <message>
            <source>下载文件校验失败</source>
            <translation>Tệp tải về bị hỏng (mã kiểm tra không khớp)</translation>
        </message>
        <message>
            <source>安装</source>
            <translation>Cài</translation>
        </message>
        <message>
            <source>下载完成，是否安装...</source>
            <translation>Đã tải xong. Cài bản cập nhật ngay?</translation>
        </message>
        <message>
            <source>更新错误: </source>
            <translation>Lỗi cập nhật: </translation>
        </message>
        <message>
            <source>English</source>
            <translation>English</translation>
        </message>
        <message>
            <source>无法写入开机启动项：%1</source>
            <translation>Không thể ghi mục tự khởi động: %1</translation>
        </message>
        <message>
            <source>无法删除开机启动项：%1</source>
            <translation>Không thể xóa mục tự khởi động: %1</translation>
        </message>
        <message>
            <source>无法保存设置：%1</source>
            <translation>Không thể lưu cài đặt: %1</translation>
        </message>
        <message>
            <source>无法打开安装程序。已下载的文件保存在：
%1</source>
            <translation>Không thể mở trình cài đặt. Tệp đã tải về được lưu tại:
%1</translation>
        </message>
        <message>
            <source>桌面没有系统托盘，关闭窗口即退出程序</source>
            <translation>Màn hình nền không có khay hệ thống: đóng cửa sổ sẽ thoát Zentaro</translation>
        </message>
        <message>
            <source>发现新版本 %1。本程序是用软件包安装的，请用系统的软件包管理器更新。</source>
            <translation>Đã có phiên bản %1. Zentaro được cài từ gói: hãy cập nhật bằng trình quản lý gói của hệ thống.</translation>
        </message>
        <message>
            <source>下载完成，是否用系统的软件包安装程序打开？</source>
            <translation>Đã tải xong. Mở bằng trình cài gói của hệ thống?</translation>
        </message>
        <message>
            <source>自动切换配置表：</source>
            <translation>Tự động chuyển cấu hình:</translation>
        </message>
        <message>
            <source>编辑规则</source>
            <translation>Sửa quy tắc</translation>
        </message>
        <message>
            <source>按正在运行或拥有焦点的程序切换键盘的配置表</source>
            <translation>Chuyển cấu hình bàn phím theo chương trình đang chạy hoặc đang được chọn</translation>
        </message>
    </context>
    <context>
        <name>TrayMenu</name>
        <message>
            <source>配置表</source>
            <translation>Cấu hình</translation>
        </message>
        <message>
            <source>暂停自动切换</source>
            <translation>Tạm dừng tự động chuyển</translation>
        </message>
        <message>
            <source>没有键盘</source>
            <translation>Không có bàn phím</translation>
        </message>
    </context>
    <context>
        <name>UdevRuleInstaller</name>
        <message>
            <source>安装规则的程序意外退出</source>
            <translation>Chương trình cài quy tắc đã dừng bất ngờ</translation>
        </message>
        <message>
            <source>已取消授权</source>
            <translation>Đã hủy xác thực</translation>
        </message>
        <message>
            <source>没有权限安装规则</source>
            <translation>Không có quyền cài quy tắc</translation>
        </message>
        <message>
            <source>安装规则失败（退出码 %1）</source>
            <translation>Cài quy tắc thất bại (mã thoát %1)</translation>
        </message>
        <message>
            <source>无法启动 pkexec</source>
            <translation>Không thể khởi động pkexec</translation>
        </message>
        <message>
            <source>安装规则超时</source>
            <translation>Cài quy tắc quá thời gian chờ</translation>
        </message>
    </context>
    <context>
        <name>UpdateChecker</name>
        <message>
            <source>%1 比之前收到的版本 %2 更旧，已拒绝</source>
            <translation>%1 cũ hơn phiên bản %2 đã nhận trước đó; đã bị từ chối</translation>
        </message>
        <message>
            <source>版本信息格式无效</source>
            <translation>Tệp phiên bản không hợp lệ</translation>
        </message>
    </context>
    <context>
        <name>UpdateServer</name>
        <message>
            <source>未配置下载服务器（请在 data/config.ini 的 System/ServerUrl 中设置，或以 --server=URL 启动）</source>
            <translation>Chưa cấu hình máy chủ tải xuống (đặt System/ServerUrl trong data/config.ini, hoặc khởi động với --server=URL)</translation>
        </message>
        <message>
            <source>已拒绝 %1：只有本机（127.0.0.1、::1、localhost）可以用明文 HTTP，其他服务器必须用 https://，否则途中任何人都能篡改下载内容</source>
            <translation>Đã từ chối %1: HTTP thường chỉ được phép tới máy này (127.0.0.1, ::1, localhost); máy chủ khác phải dùng https://, nếu không bất kỳ ai trên đường truyền đều có thể sửa nội dung tải về</translation>
        </message>
    </context>
    <context>
        <name>main</name>
        <message>
            <source>磁性键盘</source>
            <translation>Zentaro</translation>
        </message>
    </context>
</TS>
