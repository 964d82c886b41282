<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
    <context>
        <name>AlignSetForm</name>
        <message>
            <source>开始校准</source>
            <translation>Start calibration</translation>
        </message>
        <message>
            <source>保存校准</source>
            <translation>Save calibration</translation>
        </message>
        <message>
            <source>打开ADC</source>
            <translation>Open ADC</translation>
        </message>
        <message>
            <source>关闭ADC</source>
            <translation>Close ADC</translation>
        </message>
        <message>
            <source>温馨提示：请单个按压键盘按键，完全按压直到触底并保持触底，（上下左右四个方向）晃动一下，持续2秒以上，最后完全松开，每个按键建议重复整个过程两到三次。
警告提示：关闭软件或者退出校准界面之前，请保存校准。如果意外关闭了软件，没有退出校准，导致键盘一直常量灯或者键盘工作不正常，请重新插拔键盘。</source>
            <translation>Tip: press one key at a time all the way down and keep it bottomed out, wiggle it in all four directions (up, down, left, right) for more than 2 seconds, then release it completely. Repeat this two or three times for every key.
Warning: save the calibration before closing Zentaro or leaving the calibration page. If Zentaro was closed during calibration and the keyboard stays lit or does not work properly, unplug the keyboard and plug it in again.</translation>
        </message>
        <message>
            <source>打开校准失败</source>
            <translation>Could not start the calibration</translation>
        </message>
        <message>
            <source>保存校准失败</source>
            <translation>Could not save the calibration</translation>
        </message>
    </context>
    <context>
        <name>AutoSwitchController</name>
        <message>
            <source>键盘上没有配置表“%1”，未切换</source>
            <translation>The keyboard has no profile “%1”; nothing was switched</translation>
        </message>
        <message>
            <source>Wayland 不告知哪个窗口拥有焦点：这里只有“运行时”规则有效。</source>
            <translation>Wayland does not tell which window has the focus: only “while it runs” rules work here.</translation>
        </message>
        <message>
            <source>无法得知哪个窗口拥有焦点：这里只有“运行时”规则有效。</source>
            <translation>Which window has the focus cannot be known here: only “while it runs” rules work.</translation>
        </message>
        <message>
            <source>%1 配置表</source>
            <translation>%1 profile</translation>
        </message>
        <message>
            <source>%1 配置表，用于 %2</source>
            <translation>%1 profile for %2</translation>
        </message>
    </context>
    <context>
        <name>AutoSwitchDialog</name>
        <message>
            <source>自动切换配置表</source>
            <translation>Automatic profile switching</translation>
        </message>
        <message>
            <source>按顺序检查规则，第一条匹配的规则决定键盘使用的配置表。</source>
            <translation>Rules are checked in order; the first that matches decides the keyboard's profile.</translation>
        </message>
        <message>
            <source>程序或窗口</source>
            <translation>Program or window</translation>
        </message>
        <message>
            <source>配置表</source>
            <translation>Profile</translation>
        </message>
        <message>
            <source>何时</source>
            <translation>When</translation>
        </message>
        <message>
            <source>上移</source>
            <translation>Move up</translation>
        </message>
        <message>
            <source>下移</source>
            <translation>Move down</translation>
        </message>
        <message>
            <source>删除规则</source>
            <translation>Remove rule</translation>
        </message>
        <message>
            <source>添加规则</source>
            <translation>Add a rule</translation>
        </message>
        <message>
            <source>程序</source>
            <translation>Program</translation>
        </message>
        <message>
            <source>窗口类</source>
            <translation>Window class</translation>
        </message>
        <message>
            <source>窗口标题</source>
            <translation>Window title</translation>
        </message>
        <message>
            <source>正在运行的程序</source>
            <translation>Running programs</translation>
        </message>
        <message>
            <source>配置表：</source>
            <translation>Profile:</translation>
        </message>
        <message>
            <source>仅在它拥有焦点时（否则在它运行时）</source>
            <translation>Only while it has the focus (else while it runs)</translation>
        </message>
        <message>
            <source>添加</source>
            <translation>Add</translation>
        </message>
        <message>
            <source>没有规则匹配时：</source>
            <translation>When no rule matches:</translation>
        </message>
        <message>
            <source>现在匹配哪条规则？</source>
            <translation>Which rule matches now?</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Save</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <source>保持不变</source>
            <translation>Leave as it is</translation>
        </message>
        <message>
            <source>%1（键盘上没有）</source>
            <translation>%1 (not on the keyboard)</translation>
        </message>
        <message>
            <source>拥有焦点时</source>
            <translation>While it has the focus</translation>
        </message>
        <message>
            <source>运行时</source>
            <translation>While it runs</translation>
        </message>
        <message>
            <source>规则 %1：%2</source>
            <translation>Rule %1: %2</translation>
        </message>
        <message>
            <source>没有规则匹配：配置表保持不变</source>
            <translation>No rule matches: the profile stays as it is</translation>
        </message>
        <message>
            <source>没有规则匹配：默认 %1</source>
            <translation>No rule matches: default %1</translation>
        </message>
        <message>
            <source>键盘上没有配置表“%1”，不会切换</source>
            <translation>The keyboard has no profile “%1”: nothing would switch.</translation>
        </message>
    </context>
    <context>
        <name>BackupListForm</name>
        <message>
            <source>配置备份</source>
            <translation>Profile backups</translation>
        </message>
        <message>
            <source>每次更新固件前自动备份键盘上的所有配置；保留最近 10 个自动备份，手动备份不会被自动删除。</source>
            <translation>Every profile on the keyboard is backed up before each firmware update; the last 10 automatic backups are kept, manual ones are never deleted by themselves.</translation>
        </message>
        <message>
            <source>立即备份</source>
            <translation>Back up now</translation>
        </message>
        <message>
            <source>备份列表</source>
            <translation>Backup list</translation>
        </message>
        <message>
            <source>日期</source>
            <translation>Date</translation>
        </message>
        <message>
            <source>固件版本</source>
            <translation>Firmware</translation>
        </message>
        <message>
            <source>配置数</source>
            <translation>Profiles</translation>
        </message>
        <message>
            <source>类型</source>
            <translation>Kind</translation>
        </message>
        <message>
            <source>配置</source>
            <translation>Profile names</translation>
        </message>
        <message>
            <source>恢复所选备份</source>
            <translation>Restore the selected backup</translation>
        </message>
        <message>
            <source>恢复</source>
            <translation>Restore</translation>
        </message>
        <message>
            <source>删除所选备份</source>
            <translation>Delete the selected backup</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Delete</translation>
        </message>
        <message>
            <source>已损坏</source>
            <translation>Damaged</translation>
        </message>
        <message>
            <source>自动</source>
            <translation>Automatic</translation>
        </message>
        <message>
            <source>手动</source>
            <translation>Manual</translation>
        </message>
    </context>
    <context>
        <name>ConfigFileActions</name>
        <message>
            <source>导入配置失败：此文件来自按键布局不同的键盘，缺少按键 %1</source>
            <translation>Profile import failed: this file was saved from a keyboard with a different key layout; key %1 is missing from it</translation>
        </message>
        <message>
            <source>导入配置失败：此文件来自按键布局不同的键盘，含有本键盘没有的按键 %1</source>
            <translation>Profile import failed: this file was saved from a keyboard with a different key layout; it holds key %1, which this keyboard does not have</translation>
        </message>
        <message>
            <source>保存文件</source>
            <translation>Save file</translation>
        </message>
        <message>
            <source>配置文件 (*.aaa);; 可读配置 (*.json);; 所有文件 (*.*)</source>
            <translation>Profile file (*.aaa);; Readable profile (*.json);; All files (*.*)</translation>
        </message>
        <message>
            <source>写入配置成功</source>
            <translation>Profile exported</translation>
        </message>
        <message>
            <source>写入配置失败</source>
            <translation>Could not export the profile</translation>
        </message>
        <message>
            <source>选择配置文件</source>
            <translation>Choose a profile file</translation>
        </message>
        <message>
            <source>配置文件(*.aaa *.json);;可读配置(*.json);;所有文件(*)</source>
            <translation>Profile file (*.aaa *.json);;Readable profile (*.json);;All files (*)</translation>
        </message>
        <message>
            <source>导入配置失败</source>
            <translation>Profile import failed</translation>
        </message>
        <message>
            <source>导入配置成功</source>
            <translation>Profile imported</translation>
        </message>
        <message>
            <source>导入配置失败：此文件的高级键多于本键盘能保存的数量</source>
            <translation>Profile import failed: this file holds more advanced keys than this keyboard can store</translation>
        </message>
        <message>
            <source>导入已取消，已写入的部分保留在键盘中</source>
            <translation>Import cancelled; what was written stays on the keyboard</translation>
        </message>
        <message>
            <source>还有 %1 处</source>
            <translation>and %1 more</translation>
        </message>
        <message>
            <source>键盘中的值与写入的不一致：
%1</source>
            <translation>The keyboard holds other values than were written:
%1</translation>
        </message>
        <message>
            <source>分享码已复制，可以粘贴到聊天中</source>
            <translation>Share code copied: paste it in a chat</translation>
        </message>
        <message>
            <source>剪贴板中没有分享码。请先复制一个分享码。</source>
            <translation>The clipboard holds no share code. Copy a share code first.</translation>
        </message>
        <message>
            <source>剪贴板中的文字太长，不是分享码。</source>
            <translation>The text on the clipboard is too long to be a share code.</translation>
        </message>
        <message>
            <source>这个分享码来自更新的版本，请先更新本程序。</source>
            <translation>This share code comes from a newer version. Update Zentaro first.</translation>
        </message>
        <message>
            <source>这个分享码解开后太大，不是配置。</source>
            <translation>This share code unpacks to more than a profile can hold.</translation>
        </message>
        <message>
            <source>剪贴板中的文字不是分享码。</source>
            <translation>The text on the clipboard is not a share code.</translation>
        </message>
    </context>
    <context>
        <name>ConfigTablePanel</name>
        <message>
            <source>切换配置表失败</source>
            <translation>Could not switch the profile</translation>
        </message>
        <message>
            <source>设置配置表信息失败！</source>
            <translation>Could not change the profile</translation>
        </message>
        <message>
            <source>增加配置表失败！</source>
            <translation>Could not add a profile</translation>
        </message>
        <message>
            <source>删除配置表失败！</source>
            <translation>Could not delete the profile</translation>
        </message>
    </context>
    <context>
        <name>DeviceManageForm</name>
        <message>
            <source>打开设备</source>
            <translation>Open device</translation>
        </message>
        <message>
            <source>正在搜索蓝牙，请稍候...</source>
            <translation>Searching for Bluetooth devices, please wait...</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <source>未搜索到蓝牙</source>
            <translation>No Bluetooth keyboard found</translation>
        </message>
        <message>
            <source>键盘数据同步中</source>
            <translation>Syncing the keyboard data</translation>
        </message>
        <message>
            <source>没有匹配的产品，请联系厂家同步更新</source>
            <translation>This keyboard is not in the product list yet; ask its maker for an update</translation>
        </message>
        <message>
            <source>更新错误</source>
            <translation>Update error: </translation>
        </message>
        <message>
            <source>打开设备失败</source>
            <translation>Could not open the device</translation>
        </message>
        <message>
            <source>未找到可用的蓝牙适配器</source>
            <translation>No usable Bluetooth adapter found</translation>
        </message>
        <message>
            <source>蓝牙未开启</source>
            <translation>Bluetooth is turned off</translation>
        </message>
        <message>
            <source>读取配置失败</source>
            <translation>Could not read the profile</translation>
        </message>
        <message>
            <source>这台电脑不允许当前用户打开键盘（缺少 udev 规则）。请在终端运行下面的命令安装规则，然后重新插拔键盘：</source>
            <translation>This computer does not let the current user open the keyboard (the udev rule is missing). Run this command in a terminal to install the rule, then unplug and plug in the keyboard again:</translation>
        </message>
        <message>
            <source>修复</source>
            <translation>Fix</translation>
        </message>
        <message>
            <source>无法安装 udev 规则</source>
            <translation>Cannot install the udev rule</translation>
        </message>
        <message>
            <source>修复失败：%1</source>
            <translation>Fix failed: %1</translation>
        </message>
        <message>
            <source>udev 规则已安装，正在重新打开键盘</source>
            <translation>udev rule installed, opening the keyboard again</translation>
        </message>
    </context>
    <context>
        <name>DownloadManager</name>
        <message>
            <source>无法写入文件</source>
            <translation>Cannot write the file</translation>
        </message>
    </context>
    <context>
        <name>FirewareManageForm</name>
        <message>
            <source>固件管理</source>
            <translation>Firmware management</translation>
        </message>
        <message>
            <source>下载固件中，请不要执行其他操作</source>
            <translation>Downloading the firmware, please wait</translation>
        </message>
        <message>
            <source>下载固件失败</source>
            <translation>Could not download the firmware</translation>
        </message>
        <message>
            <source>固件没有签名</source>
            <translation>Unsigned firmware</translation>
        </message>
        <message>
            <source>%1 没有签名，无法确认它来自键盘厂商。未签名的固件可能被人篡改，写入后键盘可能无法再使用。

仍要写入这个固件吗？</source>
            <translation>%1 has no signature, so there is no telling whether it comes from the keyboard's maker. Unsigned firmware may have been altered, and after writing it the keyboard may no longer work.

Write this firmware anyway?</translation>
        </message>
        <message>
            <source>固件更新前的备份</source>
            <translation>Backup before the firmware update</translation>
        </message>
        <message>
            <source>引导模式下的键盘无法读取，这次更新前不能再备份。将以 %1 的备份为准（%2 个配置：%3）；更新后如果设置丢失，请在“其他”页面恢复这个备份。

继续更新吗？</source>
            <translation>A keyboard in boot mode cannot be read, so no new backup can be made before this update. The backup of %1 (%2 profiles: %3) will stand for it; if your settings are lost after the update, restore this backup on the Other page.

Continue the update?</translation>
        </message>
        <message>
            <source>更新</source>
            <translation>Update</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <source>最新的备份是 %1 做的，已超过 %2 天。</source>
            <translation>The newest backup was made on %1, more than %2 days ago.</translation>
        </message>
        <message>
            <source>这个键盘还没有可用的备份。</source>
            <translation>This keyboard has no usable backup yet.</translation>
        </message>
        <message>
            <source>无法备份</source>
            <translation>No backup possible</translation>
        </message>
        <message>
            <source>引导模式下的键盘无法读取，不能在更新前备份它的配置。%1更新固件可能清除键盘上的配置。

仍要不备份直接更新吗？</source>
            <translation>A keyboard in boot mode cannot be read, so its profiles cannot be backed up before the update. %1 Updating the firmware may erase the profiles on the keyboard.

Update without backup anyway?</translation>
        </message>
        <message>
            <source>不备份直接更新</source>
            <translation>Update without backup</translation>
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
            <translation>Select a key to bind an advanced key to it. Each profile can use up to 32 advanced keys. Bound: </translation>
        </message>
        <message>
            <source>请先选择要设置的按键</source>
            <translation>Select the key to set first</translation>
        </message>
        <message>
            <source>重置键盘数据成功！</source>
            <translation>Keyboard data reset</translation>
        </message>
        <message>
            <source>修改没有保存到键盘，页面已恢复为键盘上的设置</source>
            <translation>The change did not reach the keyboard; the page shows the keyboard's settings again.</translation>
        </message>
    </context>
    <context>
        <name>ImportPreviewDialog</name>
        <message>
            <source>导入预览</source>
            <translation>Import preview</translation>
        </message>
        <message>
            <source>不同之处</source>
            <translation>Differences</translation>
        </message>
        <message>
            <source>导入摘要</source>
            <translation>Import summary</translation>
        </message>
        <message>
            <source>应用</source>
            <translation>Apply</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <source>配置“%1”来自另一款产品（%2），按键按名称匹配。选择要写入的部分：</source>
            <translation>Profile "%1" comes from another product (%2); keys are matched by name. Choose the parts to write:</translation>
        </message>
        <message>
            <source>配置“%1”。选择要写入的部分：</source>
            <translation>Profile "%1". Choose the parts to write:</translation>
        </message>
        <message>
            <source>%1：%2 处不同</source>
            <translation>%1: %2 differences</translation>
        </message>
        <message>
            <source>%1：文件中没有</source>
            <translation>%1: not in the file</translation>
        </message>
        <message>
            <source>按键</source>
            <translation>Keys</translation>
        </message>
        <message>
            <source>灯光</source>
            <translation>Lighting</translation>
        </message>
        <message>
            <source>高级键</source>
            <translation>Advanced keys</translation>
        </message>
        <message>
            <source>宏</source>
            <translation>Macros</translation>
        </message>
        <message>
            <source>性能</source>
            <translation>Performance</translation>
        </message>
        <message>
            <source>参数</source>
            <translation>Parameters</translation>
        </message>
        <message>
            <source>按键 %1</source>
            <translation>key %1</translation>
        </message>
        <message>
            <source>%1（按键 %2）</source>
            <translation>%1 (key %2)</translation>
        </message>
        <message>
            <source>%1，Fn 层</source>
            <translation>%1, Fn layer</translation>
        </message>
        <message>
            <source>灯效 %1 %2</source>
            <translation>effect %1 %2</translation>
        </message>
        <message>
            <source>高级键位置 %1</source>
            <translation>advanced key slot %1</translation>
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
            <translation>Not matched: %1, this keyboard has no such key; left as it is</translation>
        </message>
        <message>
            <source>无法匹配：灯效 %1，本键盘没有这个灯效，保持不变</source>
            <translation>Not matched: effect %1, this keyboard has no such effect; left as it is</translation>
        </message>
        <message>
            <source>无法匹配：高级键位置 %1，本键盘的位置更少，保持不变</source>
            <translation>Not matched: advanced key slot %1, this keyboard has fewer slots; left as it is</translation>
        </message>
        <message>
            <source>文件不是 JSON：%1（第 %2 字节）</source>
            <translation>The file is not JSON: %1 (byte %2)</translation>
        </message>
        <message>
            <source>文件太大（超过 %1 字节）</source>
            <translation>The file is too large (more than %1 bytes)</translation>
        </message>
        <message>
            <source>%1 不是%2</source>
            <translation>%1 is not a %2</translation>
        </message>
        <message>
            <source>未知字段</source>
            <translation>unknown field</translation>
        </message>
        <message>
            <source>缺少此字段</source>
            <translation>this field is missing</translation>
        </message>
        <message>
            <source>%1 不是 %2 格式</source>
            <translation>%1 is not the %2 format</translation>
        </message>
        <message>
            <source>不支持版本 %1（本程序读取版本 %2）</source>
            <translation>version %1 is not supported (this program reads version %2)</translation>
        </message>
        <message>
            <source>%1 超出范围 %2</source>
            <translation>%1 is outside %2</translation>
        </message>
        <message>
            <source>重复出现</source>
            <translation>given twice</translation>
        </message>
        <message>
            <source>%1 重复出现</source>
            <translation>%1 is listed twice</translation>
        </message>
        <message>
            <source>%1 不是颜色（#rrggbb）</source>
            <translation>%1 is not a colour (#rrggbb)</translation>
        </message>
        <message>
            <source>%1 不是按键功能</source>
            <translation>%1 is not a key function</translation>
        </message>
        <message>
            <source>%1 的小数超过两位</source>
            <translation>%1 has more than two decimals</translation>
        </message>
        <message>
            <source>数据字节数 %1 不对（应为 %2）</source>
            <translation>%1 data bytes is wrong (expected %2)</translation>
        </message>
        <message>
            <source>%1：%2</source>
            <translation>%1: %2</translation>
        </message>
        <message numerus="yes">
            <source>%1：%n 处不同</source>
            <translation>
                <numerusform>%1: %n difference</numerusform>
                <numerusform>%1: %n differences</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>JobRunner</name>
        <message>
            <source>键盘数据同步中</source>
            <translation>Syncing the keyboard data</translation>
        </message>
        <message>
            <source>导出配置中......</source>
            <translation>Exporting the profile...</translation>
        </message>
        <message>
            <source>导入配置中......</source>
            <translation>Importing the profile...</translation>
        </message>
        <message>
            <source>键盘连接已断开</source>
            <translation>the keyboard was disconnected</translation>
        </message>
        <message>
            <source>键盘没有应答</source>
            <translation>the keyboard did not respond</translation>
        </message>
        <message>
            <source>被另一个操作打断</source>
            <translation>interrupted by another operation</translation>
        </message>
        <message>
            <source>无法写入键盘</source>
            <translation>could not write to the keyboard</translation>
        </message>
        <message>
            <source>%1：%2</source>
            <translation>%1: %2</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <source>校验键盘中的配置......</source>
            <translation>Checking the keyboard's profile...</translation>
        </message>
    </context>
    <context>
        <name>KeyPictureAccessible</name>
        <message>
            <source>按键功能</source>
            <translation>Key functions</translation>
        </message>
        <message>
            <source>键盘</source>
            <translation>Keyboard</translation>
        </message>
    </context>
    <context>
        <name>KeySetForm</name>
        <message>
            <source>普通层</source>
            <translation>Base</translation>
        </message>
        <message>
            <source>键盘按键</source>
            <translation>Keyboard</translation>
        </message>
        <message>
            <source>系统按键</source>
            <translation>Media</translation>
        </message>
        <message>
            <source>宏按键</source>
            <translation>Macros</translation>
        </message>
        <message>
            <source>灯效按键</source>
            <translation>Lighting</translation>
        </message>
        <message>
            <source>扩展按键</source>
            <translation>Other</translation>
        </message>
        <message>
            <source>重置键盘数据成功！</source>
            <translation>Keyboard data reset</translation>
        </message>
        <message>
            <source>撤销</source>
            <translation>Undo</translation>
        </message>
        <message>
            <source>搜索按键</source>
            <translation>Search keys</translation>
        </message>
        <message>
            <source>修改没有保存到键盘，页面已恢复为键盘上的设置</source>
            <translation>The change did not reach the keyboard; the page shows the keyboard's settings again.</translation>
        </message>
        <message>
            <source>搜索按键功能</source>
            <translation>Search key functions</translation>
        </message>
    </context>
    <context>
        <name>LightSetForm</name>
        <message>
            <source>全选</source>
            <translation>Select all</translation>
        </message>
        <message>
            <source>反选</source>
            <translation>Invert</translation>
        </message>
        <message>
            <source>取消全选</source>
            <translation>Select none</translation>
        </message>
        <message>
            <source>选择模式</source>
            <translation>Effect</translation>
        </message>
        <message>
            <source>亮度</source>
            <translation>Brightness</translation>
        </message>
        <message>
            <source>速度</source>
            <translation>Speed</translation>
        </message>
        <message>
            <source>全彩</source>
            <translation>RGB colour</translation>
        </message>
        <message>
            <source>自定义</source>
            <translation>Custom</translation>
        </message>
        <message>
            <source>请先选择要设置的按键，再修改亮度或颜色！</source>
            <translation>Select the keys first, then change their brightness or colour</translation>
        </message>
        <message>
            <source>请先选择一种灯光模式</source>
            <translation>Choose a lighting effect first</translation>
        </message>
        <message>
            <source>在键盘上选择按键，再设置它们的亮度和颜色</source>
            <translation>Select keys on the keyboard, then set their brightness and colour</translation>
        </message>
        <message>
            <source>这个模式没有可调整的参数</source>
            <translation>This effect has no settings</translation>
        </message>
        <message>
            <source>修改没有保存到键盘，页面已恢复为键盘上的设置</source>
            <translation>The change did not reach the keyboard; the page shows the keyboard's settings again.</translation>
        </message>
        <message>
            <source>紫色</source>
            <translation>Purple</translation>
        </message>
        <message>
            <source>粉色</source>
            <translation>Pink</translation>
        </message>
        <message>
            <source>红色</source>
            <translation>Red</translation>
        </message>
        <message>
            <source>橙色</source>
            <translation>Orange</translation>
        </message>
        <message>
            <source>琥珀色</source>
            <translation>Amber</translation>
        </message>
        <message>
            <source>黄色</source>
            <translation>Yellow</translation>
        </message>
        <message>
            <source>浅绿色</source>
            <translation>Light green</translation>
        </message>
        <message>
            <source>绿色</source>
            <translation>Green</translation>
        </message>
        <message>
            <source>蓝色</source>
            <translation>Blue</translation>
        </message>
        <message>
            <source>紫罗兰色</source>
            <translation>Violet</translation>
        </message>
        <message>
            <source>色轮</source>
            <translation>Colour wheel</translation>
        </message>
        <message>
            <source>左右方向键转动色相</source>
            <translation>Left and Right arrows turn the hue</translation>
        </message>
        <message>
            <source>颜色深浅</source>
            <translation>Colour shade</translation>
        </message>
        <message>
            <source>颜色代码</source>
            <translation>Colour code</translation>
        </message>
    </context>
    <context>
        <name>MacroSetForm</name>
        <message>
            <source>开始录制</source>
            <translation>Record</translation>
        </message>
        <message>
            <source>停止录制</source>
            <translation>Stop</translation>
        </message>
        <message>
            <source>清除全部</source>
            <translation>Clear all</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Save</translation>
        </message>
        <message>
            <source>按键内容</source>
            <translation>Key</translation>
        </message>
        <message>
            <source>按键类型</source>
            <translation>Action</translation>
        </message>
        <message>
            <source>按下</source>
            <translation>Press</translation>
        </message>
        <message>
            <source>抬起</source>
            <translation>Release</translation>
        </message>
        <message>
            <source>持续时间(ms)</source>
            <translation>Delay (ms)</translation>
        </message>
        <message>
            <source>最大添加20个按键</source>
            <translation>A macro holds up to 20 keys</translation>
        </message>
        <message>
            <source>宏数据同步成功!</source>
            <translation>Macro saved to the keyboard</translation>
        </message>
        <message>
            <source>修改没有写入键盘，请再试一次</source>
            <translation>The change did not reach the keyboard. Please try again.</translation>
        </message>
    </context>
    <context>
        <name>MainWindow</name>
        <message>
            <source>设备</source>
            <translation>Device</translation>
        </message>
        <message>
            <source>固件</source>
            <translation>Firmware</translation>
        </message>
        <message>
            <source>设置</source>
            <translation>Settings</translation>
        </message>
        <message>
            <source>通讯方式</source>
            <translation>Connection</translation>
        </message>
        <message>
            <source>蓝牙</source>
            <translation>Bluetooth</translation>
        </message>
        <message>
            <source>常用配置</source>
            <translation>Profiles</translation>
        </message>
        <message>
            <source>设置配置表信息失败！</source>
            <translation>Could not change the profile</translation>
        </message>
        <message>
            <source>增加配置表失败！</source>
            <translation>Could not add a profile</translation>
        </message>
        <message>
            <source>删除配置表失败！</source>
            <translation>Could not delete the profile</translation>
        </message>
        <message>
            <source>键盘数据同步中</source>
            <translation>Syncing the keyboard data</translation>
        </message>
        <message>
            <source>读取配置失败</source>
            <translation>Could not read the profile</translation>
        </message>
        <message>
            <source>保存文件</source>
            <translation>Save file</translation>
        </message>
        <message>
            <source>配置文件 (*.aaa);; 所有文件 (*.*)</source>
            <translation>Profile file (*.aaa);;All files (*.*)</translation>
        </message>
        <message>
            <source>导出配置中......</source>
            <translation>Exporting the profile...</translation>
        </message>
        <message>
            <source>写入配置成功</source>
            <translation>Profile exported</translation>
        </message>
        <message>
            <source>写入配置失败</source>
            <translation>Could not export the profile</translation>
        </message>
        <message>
            <source>选择配置文件</source>
            <translation>Choose a profile file</translation>
        </message>
        <message>
            <source>配置文件(*.aaa);;所有文件(*)</source>
            <translation>Profile file (*.aaa);;All files (*)</translation>
        </message>
        <message>
            <source>导入配置中......</source>
            <translation>Importing the profile...</translation>
        </message>
        <message>
            <source>导入配置成功</source>
            <translation>Profile imported</translation>
        </message>
        <message>
            <source>导入配置失败</source>
            <translation>Profile import failed</translation>
        </message>
        <message>
            <source>磁性键盘</source>
            <translation>Zentaro</translation>
        </message>
        <message>
            <source>点击恢复显示</source>
            <translation>Click to show the window</translation>
        </message>
        <message>
            <source>MainWindow</source>
            <translation>MainWindow</translation>
        </message>
        <message>
            <source>增加</source>
            <translation>Add</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Delete</translation>
        </message>
        <message>
            <source>导入</source>
            <translation>Import</translation>
        </message>
        <message>
            <source>导出</source>
            <translation>Export</translation>
        </message>
        <message>
            <source>导入配置失败：此文件来自按键布局不同的键盘，缺少按键 %1</source>
            <translation>Profile import failed: this file was saved from a keyboard with a different key layout; key %1 is missing from it</translation>
        </message>
        <message>
            <source>导入配置失败：此文件来自按键布局不同的键盘，含有本键盘没有的按键 %1</source>
            <translation>Profile import failed: this file was saved from a keyboard with a different key layout; it holds key %1, which this keyboard does not have</translation>
        </message>
        <message>
            <source>导入配置失败：此文件的高级键多于本键盘能保存的数量</source>
            <translation>Profile import failed: this file holds more advanced keys than this keyboard can store</translation>
        </message>
        <message>
            <source>键盘连接已断开</source>
            <translation>the keyboard was disconnected</translation>
        </message>
        <message>
            <source>键盘没有应答</source>
            <translation>the keyboard did not respond</translation>
        </message>
        <message>
            <source>被另一个操作打断</source>
            <translation>interrupted by another operation</translation>
        </message>
        <message>
            <source>无法写入键盘</source>
            <translation>could not write to the keyboard</translation>
        </message>
        <message>
            <source>%1：%2</source>
            <translation>%1: %2</translation>
        </message>
        <message>
            <source>切换配置表失败</source>
            <translation>Could not switch the profile</translation>
        </message>
        <message>
            <source>配置文件 (*.aaa);; 可读配置 (*.json);; 所有文件 (*.*)</source>
            <translation>Profile file (*.aaa);; Readable profile (*.json);; All files (*.*)</translation>
        </message>
        <message>
            <source>配置文件(*.aaa *.json);;可读配置(*.json);;所有文件(*)</source>
            <translation>Profile file (*.aaa *.json);;Readable profile (*.json);;All files (*)</translation>
        </message>
        <message>
            <source>导入已取消，已写入的部分保留在键盘中</source>
            <translation>Import cancelled; what was written stays on the keyboard</translation>
        </message>
        <message>
            <source>还有 %1 处</source>
            <translation>and %1 more</translation>
        </message>
        <message>
            <source>键盘中的值与写入的不一致：
%1</source>
            <translation>The keyboard holds other values than were written:
%1</translation>
        </message>
        <message>
            <source>复制分享码</source>
            <translation>Copy code</translation>
        </message>
        <message>
            <source>粘贴分享码</source>
            <translation>Paste code</translation>
        </message>
        <message>
            <source>最小化</source>
            <translation>Minimise</translation>
        </message>
        <message>
            <source>最大化</source>
            <translation>Maximise</translation>
        </message>
        <message>
            <source>关闭</source>
            <translation>Close</translation>
        </message>
    </context>
    <context>
        <name>NavigationBar</name>
        <message>
            <source>按键设置</source>
            <translation>Keys</translation>
        </message>
        <message>
            <source>灯光设置</source>
            <translation>Lighting</translation>
        </message>
        <message>
            <source>高级键</source>
            <translation>Advanced keys</translation>
        </message>
        <message>
            <source>宏设置</source>
            <translation>Macros</translation>
        </message>
        <message>
            <source>性能设置</source>
            <translation>Performance</translation>
        </message>
        <message>
            <source>校准</source>
            <translation>Calibration</translation>
        </message>
        <message>
            <source>其他</source>
            <translation>Other</translation>
        </message>
    </context>
    <context>
        <name>OtherSetForm</name>
        <message>
            <source>更新固件</source>
            <translation>Update firmware</translation>
        </message>
        <message>
            <source>暂无新版本</source>
            <translation>The firmware is up to date</translation>
        </message>
        <message>
            <source>查看新版本</source>
            <translation>See what is new</translation>
        </message>
        <message>
            <source>恢复出厂设置</source>
            <translation>Factory reset</translation>
        </message>
        <message>
            <source>立即恢复</source>
            <translation>Reset now</translation>
        </message>
        <message>
            <source>所有设置将恢复到出厂状态，请谨慎操作。</source>
            <translation>Every setting on the keyboard returns to its factory state. This cannot be undone.</translation>
        </message>
        <message>
            <source>磁性键盘固件数据</source>
            <translation>Keyboard firmware data</translation>
        </message>
        <message>
            <source>更新数据</source>
            <translation>Update data</translation>
        </message>
        <message>
            <source>键盘固件版本：V</source>
            <translation>Firmware version: V</translation>
        </message>
        <message>
            <source>发现新版本</source>
            <translation>Update available</translation>
        </message>
        <message>
            <source>发现新版本 %1

更新内容:
%2

是否立即下载更新?</source>
            <translation>Version %1 is available

What is new:
%2

Download it now?</translation>
        </message>
        <message>
            <source>是</source>
            <translation>Yes</translation>
        </message>
        <message>
            <source>否</source>
            <translation>No</translation>
        </message>
        <message>
            <source>正在下载更新...</source>
            <translation>Downloading the update...</translation>
        </message>
        <message>
            <source>没有新版本</source>
            <translation>The firmware is up to date</translation>
        </message>
        <message>
            <source>更新错误: </source>
            <translation>Update error: </translation>
        </message>
        <message>
            <source>下载文件校验失败</source>
            <translation>The download is damaged (its checksum does not match)</translation>
        </message>
        <message>
            <source>同步</source>
            <translation>Update</translation>
        </message>
        <message>
            <source>下载完成，是否同步键盘固件...</source>
            <translation>Download complete. Update the keyboard firmware now?</translation>
        </message>
        <message>
            <source>提示</source>
            <translation>Notice</translation>
        </message>
        <message>
            <source>打开文件失败！</source>
            <translation>Could not open the file</translation>
        </message>
        <message>
            <source>下载键盘固件中，请不要执行其他操作</source>
            <translation>Updating the keyboard firmware, please wait</translation>
        </message>
        <message>
            <source>固件升级成功，如果没连上设备，请重新拔插USB线！</source>
            <translation>Firmware updated. If the keyboard does not reconnect, unplug the USB cable and plug it in again.</translation>
        </message>
        <message>
            <source>你确定要恢复出厂设置吗？</source>
            <translation>Reset the keyboard to its factory settings?</translation>
        </message>
        <message>
            <source>确认</source>
            <translation>Confirm</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <source>恢复出厂设置中，请不要执行其他操作</source>
            <translation>Restoring the factory settings, please wait</translation>
        </message>
        <message>
            <source>恢复出厂设置成功！</source>
            <translation>Factory reset done</translation>
        </message>
        <message>
            <source>恢复出厂设置失败！</source>
            <translation>Factory reset failed</translation>
        </message>
        <message>
            <source>选择固件数据文件</source>
            <translation>Choose a firmware data file</translation>
        </message>
        <message>
            <source>固件数据文件(*.bin);;所有文件(*)</source>
            <translation>Firmware data file (*.bin);;All files (*)</translation>
        </message>
        <message>
            <source>固件数据不匹配！</source>
            <translation>This firmware data does not match the keyboard</translation>
        </message>
        <message>
            <source>下载固件数据中，请不要执行其他操作</source>
            <translation>Writing the firmware data, please wait</translation>
        </message>
        <message>
            <source>固件数据下载成功！</source>
            <translation>Firmware data written</translation>
        </message>
        <message>
            <source>下载固件失败！</source>
            <translation>Firmware update failed</translation>
        </message>
        <message>
            <source>下载固件数据失败！</source>
            <translation>Could not write the firmware data</translation>
        </message>
        <message>
            <source>键盘连接已断开</source>
            <translation>the keyboard was disconnected</translation>
        </message>
        <message>
            <source>键盘没有应答</source>
            <translation>the keyboard did not respond</translation>
        </message>
        <message>
            <source>被另一个操作打断</source>
            <translation>interrupted by another operation</translation>
        </message>
        <message>
            <source>无法写入键盘</source>
            <translation>could not write to the keyboard</translation>
        </message>
        <message>
            <source>%1：%2</source>
            <translation>%1: %2</translation>
        </message>
        <message>
            <source>这个固件不适用于当前键盘，没有发送任何数据</source>
            <translation>This firmware is for another keyboard; nothing was sent</translation>
        </message>
        <message>
            <source>已备份键盘上的所有配置</source>
            <translation>Every profile on the keyboard is backed up</translation>
        </message>
        <message>
            <source>备份失败</source>
            <translation>Backup failed</translation>
        </message>
        <message>
            <source>无法备份键盘上的配置，固件没有发送。

%1

不备份，直接更新固件吗？</source>
            <translation>The keyboard's profiles could not be backed up; no firmware was sent.

%1

Update the firmware without a backup?</translation>
        </message>
        <message>
            <source>没有备份，固件没有发送</source>
            <translation>No backup, so no firmware was sent</translation>
        </message>
        <message>
            <source>正在备份键盘上的配置，请不要执行其他操作</source>
            <translation>Backing up the keyboard's profiles, please wait</translation>
        </message>
        <message>
            <source>无法写入备份：%1</source>
            <translation>Cannot write the backup: %1</translation>
        </message>
        <message>
            <source>无法读取键盘上的配置</source>
            <translation>Cannot read the keyboard's profiles</translation>
        </message>
        <message>
            <source>正在检查更新后的配置...</source>
            <translation>Checking the profiles after the update...</translation>
        </message>
        <message>
            <source>无法读取更新后的配置；键盘重新连接后再回到这里比较</source>
            <translation>Cannot read the profiles after the update; come back here once the keyboard is connected again</translation>
        </message>
        <message>
            <source>固件更新后，键盘上的配置与备份相同</source>
            <translation>The keyboard kept its profiles through the update</translation>
        </message>
        <message>
            <source>恢复我的设置</source>
            <translation>Restore my settings</translation>
        </message>
        <message>
            <source>固件更新后，键盘上的这些配置与更新前的备份不同：
%1

恢复我的设置吗？</source>
            <translation>After the firmware update these profiles differ from the backup made before it:
%1

Restore my settings?</translation>
        </message>
        <message>
            <source>恢复备份</source>
            <translation>Restore backup</translation>
        </message>
        <message>
            <source>用这个备份覆盖键盘上的配置吗？</source>
            <translation>Replace the keyboard's profiles with this backup?</translation>
        </message>
        <message>
            <source>这个备份已损坏或不属于这个键盘，不能恢复；没有发送任何数据。</source>
            <translation>This backup is damaged or belongs to another keyboard and cannot be restored; nothing was sent.</translation>
        </message>
        <message>
            <source>正在恢复配置，请不要执行其他操作</source>
            <translation>Restoring the profiles, please wait</translation>
        </message>
        <message>
            <source>无</source>
            <translation>none</translation>
        </message>
        <message>
            <source>配置已恢复，并已从键盘读回核对。</source>
            <translation>The profiles are restored and read back from the keyboard as backed up.</translation>
        </message>
        <message>
            <source>这个备份属于另一款键盘，没有发送任何数据。</source>
            <translation>This backup belongs to another keyboard; nothing was sent.</translation>
        </message>
        <message>
            <source>以下配置未能恢复：%1
已恢复：%2</source>
            <translation>These profiles could not be restored: %1
Restored: %2</translation>
        </message>
        <message>
            <source>恢复在配置“%1”处中断：%2
已恢复：%3</source>
            <translation>The restore stopped at profile "%1": %2
Restored: %3</translation>
        </message>
        <message>
            <source>恢复失败</source>
            <translation>Restore failed</translation>
        </message>
        <message>
            <source>删除备份</source>
            <translation>Delete backup</translation>
        </message>
        <message>
            <source>删除这个备份吗？删除后无法找回。</source>
            <translation>Delete this backup? It cannot be brought back.</translation>
        </message>
        <message>
            <source>无法删除这个备份</source>
            <translation>Cannot delete this backup</translation>
        </message>
        <message>
            <source>备份已删除</source>
            <translation>Backup deleted</translation>
        </message>
    </context>
    <context>
        <name>PackageUnpacker</name>
        <message>
            <source>无法读取条目</source>
            <translation>cannot read the entry</translation>
        </message>
        <message>
            <source>无法写入 %1</source>
            <translation>cannot write %1</translation>
        </message>
        <message>
            <source>条目已损坏</source>
            <translation>damaged entry</translation>
        </message>
        <message>
            <source>解压后超过 %1 MB</source>
            <translation>unpacks to more than %1 MB</translation>
        </message>
        <message>
            <source>无法创建文件夹 %1</source>
            <translation>Cannot create the folder %1</translation>
        </message>
        <message>
            <source>软件包 %1 已损坏</source>
            <translation>The package %1 is damaged</translation>
        </message>
        <message>
            <source>软件包中有不安全的条目：%1</source>
            <translation>The package holds an unsafe entry: %1</translation>
        </message>
        <message>
            <source>软件包 %1 解压后超过 %2 MB</source>
            <translation>The package %1 unpacks to more than %2 MB</translation>
        </message>
        <message>
            <source>无法在 %1 中创建文件夹</source>
            <translation>Cannot create a folder in %1</translation>
        </message>
        <message>
            <source>无法为 %1 创建文件夹</source>
            <translation>Cannot create the folder for %1</translation>
        </message>
        <message>
            <source>%1：%2</source>
            <translation>%1: %2</translation>
        </message>
        <message>
            <source>无法替换文件夹 %1</source>
            <translation>Cannot replace the folder %1</translation>
        </message>
        <message>
            <source>无法把文件夹放到 %1</source>
            <translation>Cannot move the folder to %1</translation>
        </message>
    </context>
    <context>
        <name>PerformanceSetForm</name>
        <message>
            <source>全选</source>
            <translation>Select all</translation>
        </message>
        <message>
            <source>反选</source>
            <translation>Invert</translation>
        </message>
        <message>
            <source>取消全选</source>
            <translation>Select none</translation>
        </message>
        <message>
            <source>轮询率</source>
            <translation>Polling rate</translation>
        </message>
        <message>
            <source>防抖等级</source>
            <translation>Debounce</translation>
        </message>
        <message>
            <source>断触优化</source>
            <translation>Key-drop optimisation</translation>
        </message>
        <message>
            <source>竞技模式</source>
            <translation>Competitive mode</translation>
        </message>
        <message>
            <source>死区设置-按下(触发）</source>
            <translation>Press dead zone</translation>
        </message>
        <message>
            <source>死区设置-抬起(重置）</source>
            <translation>Release dead zone</translation>
        </message>
        <message>
            <source>触发行程</source>
            <translation>Actuation point</translation>
        </message>
        <message>
            <source>快速触发</source>
            <translation>Rapid trigger</translation>
        </message>
        <message>
            <source>连续快速触发</source>
            <translation>Continuous rapid trigger</translation>
        </message>
        <message>
            <source>按下灵敏度</source>
            <translation>Press sensitivity</translation>
        </message>
        <message>
            <source>抬起灵敏度</source>
            <translation>Release sensitivity</translation>
        </message>
        <message>
            <source>按键在按压到固定位置后触发，回弹到固定位置后释放。触发行程越低，物理响应速度越快，但更容易误触触发按键所需要按下的距离</source>
            <translation>The key triggers once it is pressed to a set point and releases once it springs back past it. A lower actuation point responds faster but is easier to trigger by accident. This is the distance the key must be pressed to trigger.</translation>
        </message>
        <message>
            <source>当按键按下超过设置的触发行程后，松开按键达到所设置的灵敏度，即可停止触发</source>
            <translation>Once the key is pressed past the actuation point, letting it rise by the set sensitivity stops the trigger</translation>
        </message>
        <message>
            <source>请先选择要设置的按键</source>
            <translation>Select the key to set first</translation>
        </message>
        <message>
            <source>显示触发行程</source>
            <translation>Show actuation</translation>
        </message>
        <message>
            <source>显示快速触发</source>
            <translation>Show rapid trigger</translation>
        </message>
        <message>
            <source>修改没有保存到键盘，页面已恢复为键盘上的设置</source>
            <translation>The change did not reach the keyboard; the page shows the keyboard's settings again.</translation>
        </message>
        <message>
            <source>低</source>
            <translation>Low</translation>
        </message>
        <message>
            <source>中</source>
            <translation>Medium</translation>
        </message>
        <message>
            <source>高</source>
            <translation>High</translation>
        </message>
        <message>
            <source>减小触发行程</source>
            <translation>Lower the actuation point</translation>
        </message>
        <message>
            <source>增大触发行程</source>
            <translation>Raise the actuation point</translation>
        </message>
        <message>
            <source>减小按下灵敏度</source>
            <translation>Lower the press sensitivity</translation>
        </message>
        <message>
            <source>增大按下灵敏度</source>
            <translation>Raise the press sensitivity</translation>
        </message>
        <message>
            <source>减小抬起灵敏度</source>
            <translation>Lower the release sensitivity</translation>
        </message>
        <message>
            <source>增大抬起灵敏度</source>
            <translation>Raise the release sensitivity</translation>
        </message>
    </context>
    <context>
        <name>QCustomProgressDialog</name>
        <message>
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
    </context>
    <context>
        <name>QDKSLabel</name>
        <message>
            <source>按下触发</source>
            <translation>Pressed to the actuation point</translation>
        </message>
        <message>
            <source>按到底</source>
            <translation>Pressed to the bottom</translation>
        </message>
        <message>
            <source>从底部抬起</source>
            <translation>Released from the bottom</translation>
        </message>
        <message>
            <source>抬起复位</source>
            <translation>Released past the actuation point</translation>
        </message>
        <message>
            <source>功能 %1：%2</source>
            <translation>Function %1: %2</translation>
        </message>
        <message>
            <source>开</source>
            <translation>on</translation>
        </message>
        <message>
            <source>关</source>
            <translation>off</translation>
        </message>
    </context>
    <context>
        <name>QDeviceAddWidget</name>
        <message>
            <source>打开设备</source>
            <translation>Open device</translation>
        </message>
    </context>
    <context>
        <name>QDksAddDialog</name>
        <message>
            <source>动态键程(DKS)</source>
            <translation>Dynamic keystroke (DKS)</translation>
        </message>
        <message>
            <source>磁轴高级键，可以将一个按键根据按压和松开的程度不同，绑定1至4种功能</source>
            <translation>An advanced key for magnetic switches: one key can carry one to four functions, depending on how far it is pressed and released</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Delete</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Save</translation>
        </message>
    </context>
    <context>
        <name>QFirewareItemWidget</name>
        <message>
            <source>固件下载</source>
            <translation>Update firmware</translation>
        </message>
    </context>
    <context>
        <name>QHighKeyAddWidget</name>
        <message>
            <source>+ 添加按键</source>
            <translation>+ Add key</translation>
        </message>
    </context>
    <context>
        <name>QHighKeyDialog</name>
        <message>
            <source>请先选择按键2</source>
            <translation>Please choose key 2 first</translation>
        </message>
        <message>
            <source>高级键数量已达上限</source>
            <translation>All 32 advanced keys of this profile are in use</translation>
        </message>
        <message>
            <source>功能 %1</source>
            <translation>Function %1</translation>
        </message>
        <message>
            <source>按键功能</source>
            <translation>Key functions</translation>
        </message>
        <message>
            <source>无</source>
            <translation>none</translation>
        </message>
        <message>
            <source>%1，已选中，在按键功能中选择新功能</source>
            <translation>%1, selected: choose its new function in the key functions</translation>
        </message>
    </context>
    <context>
        <name>QHighKeyItemWidget</name>
        <message>
            <source>删除 %1 的高级键</source>
            <translation>Delete the advanced key of %1</translation>
        </message>
    </context>
    <context>
        <name>QInputKeyboardWidget</name>
        <message>
            <source>恢复默认</source>
            <translation>Default</translation>
        </message>
        <message>
            <source>无效键</source>
            <translation>No function</translation>
        </message>
        <message>
            <source>全恢复</source>
            <translation>Reset all</translation>
        </message>
    </context>
    <context>
        <name>QKeyKeyboardWidget</name>
        <message>
            <source>请在下方选择新的功能</source>
            <translation>Pick the new function below</translation>
        </message>
    </context>
    <context>
        <name>QKeyboardWidget</name>
        <message>
            <source>无功能</source>
            <translation>no function</translation>
        </message>
        <message>
            <source>高级键 %1</source>
            <translation>advanced key %1</translation>
        </message>
        <message>
            <source>功能：%1</source>
            <translation>function: %1</translation>
        </message>
        <message>
            <source>无</source>
            <translation>none</translation>
        </message>
        <message>
            <source>TGL：切换 %1</source>
            <translation>TGL: toggles %1</translation>
        </message>
        <message>
            <source>MT：点按 %1，按住 %2</source>
            <translation>MT: tap %1, hold %2</translation>
        </message>
        <message>
            <source>DKS：%1</source>
            <translation>DKS: %1</translation>
        </message>
        <message>
            <source>%1：与 %2</source>
            <translation>%1: with %2</translation>
        </message>
    </context>
    <context>
        <name>QMacroItemWidget</name>
        <message>
            <source>按下</source>
            <translation>pressed</translation>
        </message>
        <message>
            <source>松开</source>
            <translation>released</translation>
        </message>
        <message>
            <source>第 %1 步：%2 %3，%4 毫秒</source>
            <translation>Step %1: %2 %3, %4 ms</translation>
        </message>
        <message>
            <source>删除第 %1 步</source>
            <translation>Delete step %1</translation>
        </message>
    </context>
    <context>
        <name>QMtAddDialog</name>
        <message>
            <source>按住/单击(MT)</source>
            <translation>Tap / hold (MT)</translation>
        </message>
        <message>
            <source>单击和长按按键可分别触发不同的功能</source>
            <translation>Tapping and holding the key trigger different functions</translation>
        </message>
        <message>
            <source>单击</source>
            <translation>Tap</translation>
        </message>
        <message>
            <source>长按</source>
            <translation>Hold</translation>
        </message>
        <message>
            <source>长按时间</source>
            <translation>Hold time</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Delete</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Save</translation>
        </message>
    </context>
    <context>
        <name>QNatureLabel</name>
        <message>
            <source>快速触发模式:已开启</source>
            <translation>Rapid trigger: on</translation>
        </message>
        <message>
            <source>快速触发模式:已关闭</source>
            <translation>Rapid trigger: off</translation>
        </message>
        <message>
            <source>连续快速触发:已开启</source>
            <translation>Continuous rapid trigger: on</translation>
        </message>
        <message>
            <source>连续快速触发:已关闭</source>
            <translation>Continuous rapid trigger: off</translation>
        </message>
    </context>
    <context>
        <name>QOksAddDialog</name>
        <message>
            <source>OKS监控</source>
            <translation>OKS monitoring</translation>
        </message>
        <message>
            <source>OKS监控2个选定的键，松开其中一个键时，另一个键生效。</source>
            <translation>OKS monitors 2 selected keys; releasing one of them activates the other.</translation>
        </message>
        <message>
            <source>按键1</source>
            <translation>Key 1</translation>
        </message>
        <message>
            <source>按键2</source>
            <translation>Key 2</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Delete</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Save</translation>
        </message>
    </context>
    <context>
        <name>QPairAddDialog</name>
        <message>
            <source>按键1</source>
            <translation>Key 1</translation>
        </message>
        <message>
            <source>按键2</source>
            <translation>Key 2</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Delete</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Save</translation>
        </message>
        <message>
            <source>RS监控</source>
            <translation>RS monitoring</translation>
        </message>
        <message>
            <source>OKS监控</source>
            <translation>OKS monitoring</translation>
        </message>
        <message>
            <source>RS监控2个选定的键，两个键同时按下时，按得更深的键生效。</source>
            <translation>RS monitors 2 selected keys; when both are pressed, the key pressed deeper is active.</translation>
        </message>
        <message>
            <source>OKS监控2个选定的键，松开其中一个键时，另一个键生效。</source>
            <translation>OKS monitors 2 selected keys; releasing one of them activates the other.</translation>
        </message>
    </context>
    <context>
        <name>QRsAddDialog</name>
        <message>
            <source>RS监控</source>
            <translation>RS monitoring</translation>
        </message>
        <message>
            <source>RS监控2个选定的键，两个键同时按下时，按得更深的键生效。</source>
            <translation>RS monitors 2 selected keys; when both are pressed, the key pressed deeper is active.</translation>
        </message>
        <message>
            <source>按键1</source>
            <translation>Key 1</translation>
        </message>
        <message>
            <source>按键2</source>
            <translation>Key 2</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Delete</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Save</translation>
        </message>
    </context>
    <context>
        <name>QSocdAddDialog</name>
        <message>
            <source>SOCD指的是一种技术，当两个相反方向的按键同时按下时，按所选的规则决定哪个键生效。</source>
            <translation>SOCD decides by the chosen rule which key counts when two keys of opposite directions are held together.</translation>
        </message>
        <message>
            <source>行为模式</source>
            <translation>Rule</translation>
        </message>
        <message>
            <source>最后输入优先级</source>
            <translation>Last input wins</translation>
        </message>
        <message>
            <source>绝对按键1优先</source>
            <translation>Key 1 wins</translation>
        </message>
        <message>
            <source>绝对按键2优先</source>
            <translation>Key 2 wins</translation>
        </message>
        <message>
            <source>抵消模式</source>
            <translation>Neutral</translation>
        </message>
        <message>
            <source>按键1</source>
            <translation>Key 1</translation>
        </message>
        <message>
            <source>按键2</source>
            <translation>Key 2</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Delete</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Save</translation>
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
            <translation>Toggle (TGL)</translation>
        </message>
        <message>
            <source>单击按键可开关持续触发，按住按键则为正常触发行为</source>
            <translation>Tap the key to switch continuous triggering on or off; hold the key for normal triggering</translation>
        </message>
        <message>
            <source>触发</source>
            <translation>Trigger</translation>
        </message>
        <message>
            <source>删除</source>
            <translation>Delete</translation>
        </message>
        <message>
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <source>保存</source>
            <translation>Save</translation>
        </message>
    </context>
    <context>
        <name>SignatureVerifier</name>
        <message>
            <source>%1 没有签名，可能已被篡改，已拒绝</source>
            <translation>%1 has no signature and may have been altered; it was refused</translation>
        </message>
        <message>
            <source>%1 的签名已损坏，已拒绝</source>
            <translation>The signature of %1 is damaged; it was refused</translation>
        </message>
        <message>
            <source>%1 的签名不是受信任的密钥所签，已拒绝</source>
            <translation>The signature of %1 is not from a trusted key; it was refused</translation>
        </message>
    </context>
    <context>
        <name>SystemSetForm</name>
        <message>
            <source>返回</source>
            <translation>Back</translation>
        </message>
        <message>
            <source>检测版本</source>
            <translation>Check for updates</translation>
        </message>
        <message>
            <source>开机自动启动：</source>
            <translation>Launch at startup:</translation>
        </message>
        <message>
            <source>开机后自动启动磁性键盘软件</source>
            <translation>Start Zentaro when you log in</translation>
        </message>
        <message>
            <source>关闭时最小化到托盘：</source>
            <translation>Close to tray:</translation>
        </message>
        <message>
            <source>磁性键盘关闭时，最小化到系统托盘</source>
            <translation>Closing the window keeps Zentaro running in the system tray</translation>
        </message>
        <message>
            <source>语言：</source>
            <translation>Language:</translation>
        </message>
        <message>
            <source>跟随系统</source>
            <translation>Same as the system</translation>
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
            <translation>Language of Zentaro</translation>
        </message>
        <message>
            <source>主题：</source>
            <translation>Theme:</translation>
        </message>
        <message>
            <source>亮色主题</source>
            <translation>Light theme</translation>
        </message>
        <message>
            <source>暗色主题</source>
            <translation>Dark theme</translation>
        </message>
        <message>
            <source>设置磁性软件的主题</source>
            <translation>Colours of Zentaro</translation>
        </message>
        <message>
            <source>固件工具：</source>
            <translation>Firmware tools:</translation>
        </message>
        <message>
            <source>开启后可以强制升级产品固件，不对固件校验产品类型</source>
            <translation>When on, firmware is written without checking the product type. Only turn this on when the keyboard no longer works.</translation>
        </message>
        <message>
            <source>磁性键盘软件版本-</source>
            <translation>Zentaro version </translation>
        </message>
        <message>
            <source>-V</source>
            <translation>-V</translation>
        </message>
        <message>
            <source>提示</source>
            <translation>Notice</translation>
        </message>
        <message>
            <source>没有新版本</source>
            <translation>You have the latest version</translation>
        </message>
        <message>
            <source>发现新版本</source>
            <translation>Update available</translation>
        </message>
        <message>
            <source>发现新版本 %1

更新内容:
%2

是否立即下载更新?</source>
            <translation>Version %1 is available

What is new:
%2

Download it now?</translation>
        </message>
        <message>
            <source>是</source>
            <translation>Yes</translation>
        </message>
        <message>
            <source>否</source>
            <translation>No</translation>
        </message>
        <message>
            <source>正在下载更新...</source>
            <translation>Downloading the update...</translation>
        </message>
        <message>
            <source>下载文件校验失败</source>
            <translation>The download is damaged (its checksum does not match)</translation>
        </message>
        <message>
            <source>安装</source>
            <translation>Install</translation>
        </message>
        <message>
            <source>下载完成，是否安装...</source>
            <translation>Download complete. Install the update now?</translation>
        </message>
        <message>
            <source>更新错误: </source>
            <translation>Update error: </translation>
        </message>
        <message>
            <source>English</source>
            <translation>English</translation>
        </message>
        <message>
            <source>无法写入开机启动项：%1</source>
            <translation>Could not write the autostart entry: %1</translation>
        </message>
        <message>
            <source>无法删除开机启动项：%1</source>
            <translation>Could not remove the autostart entry: %1</translation>
        </message>
        <message>
            <source>无法保存设置：%1</source>
            <translation>Could not save the settings: %1</translation>
        </message>
        <message>
            <source>无法打开安装程序。已下载的文件保存在：
%1</source>
            <translation>Could not open the installer. The downloaded file is saved at:
%1</translation>
        </message>
        <message>
            <source>桌面没有系统托盘，关闭窗口即退出程序</source>
            <translation>The desktop shows no system tray: closing the window quits Zentaro</translation>
        </message>
        <message>
            <source>发现新版本 %1。本程序是用软件包安装的，请用系统的软件包管理器更新。</source>
            <translation>Version %1 is available. Zentaro was installed from a package: update it with your package manager.</translation>
        </message>
        <message>
            <source>下载完成，是否用系统的软件包安装程序打开？</source>
            <translation>Download complete. Open it with the package installer?</translation>
        </message>
        <message>
            <source>自动切换配置表：</source>
            <translation>Automatic profile switching:</translation>
        </message>
        <message>
            <source>编辑规则</source>
            <translation>Edit rules</translation>
        </message>
        <message>
            <source>按正在运行或拥有焦点的程序切换键盘的配置表</source>
            <translation>Switch the keyboard's profile by the program that runs or has the focus</translation>
        </message>
    </context>
    <context>
        <name>TrayMenu</name>
        <message>
            <source>配置表</source>
            <translation>Profiles</translation>
        </message>
        <message>
            <source>暂停自动切换</source>
            <translation>Pause automatic switching</translation>
        </message>
        <message>
            <source>没有键盘</source>
            <translation>No keyboard</translation>
        </message>
    </context>
    <context>
        <name>UdevRuleInstaller</name>
        <message>
            <source>安装规则的程序意外退出</source>
            <translation>The program installing the rule stopped unexpectedly</translation>
        </message>
        <message>
            <source>已取消授权</source>
            <translation>Authorisation was cancelled</translation>
        </message>
        <message>
            <source>没有权限安装规则</source>
            <translation>Not authorised to install the rule</translation>
        </message>
        <message>
            <source>安装规则失败（退出码 %1）</source>
            <translation>Installing the rule failed (exit code %1)</translation>
        </message>
        <message>
            <source>无法启动 pkexec</source>
            <translation>Cannot start pkexec</translation>
        </message>
        <message>
            <source>安装规则超时</source>
            <translation>Installing the rule timed out</translation>
        </message>
    </context>
    <context>
        <name>UpdateChecker</name>
        <message>
            <source>%1 比之前收到的版本 %2 更旧，已拒绝</source>
            <translation>%1 is older than version %2 received before; it was refused</translation>
        </message>
        <message>
            <source>版本信息格式无效</source>
            <translation>The version file is not valid</translation>
        </message>
    </context>
    <context>
        <name>UpdateServer</name>
        <message>
            <source>未配置下载服务器（请在 data/config.ini 的 System/ServerUrl 中设置，或以 --server=URL 启动）</source>
            <translation>No download server is configured (set System/ServerUrl in data/config.ini, or start with --server=URL)</translation>
        </message>
        <message>
            <source>已拒绝 %1：只有本机（127.0.0.1、::1、localhost）可以用明文 HTTP，其他服务器必须用 https://，否则途中任何人都能篡改下载内容</source>
            <translation>Refused %1: plain HTTP is allowed only to this computer (127.0.0.1, ::1, localhost); any other server must be https://, or anyone on the way could change what is downloaded</translation>
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
