// Configuration tables and product: requests, answers and commits.

#include <QDateTime>

#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/commandbytes.h"
#include "protocol/usbcommunicateutil.h"

using namespace UsbProtocol;
using namespace CommandBytes;

namespace {

// Bytes a table name may take on the wire.
constexpr int kNameBytes = 28;

// The longest start of `utf8` (valid UTF-8) within `max` bytes that ends
// between two characters: a name never goes out with half a character.
QByteArray cutAtCharacter(const QByteArray& utf8, int max) {
    if (utf8.size() <= max) return utf8;
    int n = max;
    while (n > 0 && (uchar(utf8.at(n)) & 0xC0) == 0x80) --n;
    return utf8.left(n);
}

// A table name from its slot. Earlier versions cut names inside a character;
// such a last, incomplete character is dropped instead of shown as garbage.
QString decodeName(const QByteArray& data, int offset, int size) {
    QByteArray bytes = data.mid(offset, size);
    const int nul = bytes.indexOf('\0');
    if (nul >= 0) bytes.truncate(nul);
    int lead = bytes.size() - 1;
    int following = 0;
    while (lead >= 0 && following < 3 && (uchar(bytes.at(lead)) & 0xC0) == 0x80) {
        --lead;
        ++following;
    }
    if (lead >= 0) {
        const uchar c = uchar(bytes.at(lead));
        const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (length > following + 1) bytes.truncate(lead);
    }
    return slotText(bytes);
}

}  // namespace

void UsbCommunicateUtil::getProductInfo(const uchar& source, const bool& waitAnswer) {
    begin(source, waitAnswer, GetProductInfo);
    sendGetProductInfo();
}

void UsbCommunicateUtil::sendGetProductInfo() {
    const QDateTime now = QDateTime::currentDateTime();
    QByteArray p;
    p.append('\0');
    p.append(char(uchar(now.date().year() + 48)));
    p.append(char(now.date().month()));
    p.append(char(now.date().day()));
    p.append(char(now.time().hour()));
    p.append(char(now.time().minute()));
    p.append(char(now.time().second()));
    sendFrame("sendGetProductInfo", GetProductInfo, p);
}

void UsbCommunicateUtil::receiveProductInfo(const Answer& a) {
    if (!accept("receiveProductInfo", a)) return;
    const bool wide = gUsbFrameMaxsize == 128;
    mProductInfo.serialNumber = qint16(a.u16(0));
    mProductInfo.version = qint16(a.u16(2));
    const uchar flags = a.at(4);
    mProductInfo.flag0 = flags & 0x01;
    mProductInfo.flag1 = flags & 0x02;
    mProductInfo.flag7 = flags & 0x80;
    mProductInfo.customerName = decodeSlot(a.data, 10, wide ? 30 : 18);
    mProductInfo.productName = decodeSlot(a.data, wide ? 40 : 28, 20);
    mProductInfo.logoName = decodeSlot(a.data, wide ? 60 : 48, 8);
    emit usb_receive_product_info(mSource, a.frame, a.total);
}

void UsbCommunicateUtil::getConfigInfo(const uchar& source, const bool& waitAnswer) {
    mConfigList.clear();
    begin(source, waitAnswer, GetConfigInfo);
    sendGetConfigInfo();
}

void UsbCommunicateUtil::sendGetConfigInfo() {
    sendFrame("sendGetConfigInfo", GetConfigInfo, QByteArray());
}

void UsbCommunicateUtil::receiveConfigInfo(const Answer& a) {
    if (!accept("receiveConfigInfo", a)) return;
    mConfigIndex = a.at(1);
    int index = a.at(2);
    const int slotCount = a.length / 29;
    for (int s = 0; s < slotCount; ++s) {
        const int offset = 3 + 29 * s;
        if (a.at(offset) == 0) continue;
        auto entry = ConfigTableEntryPtr::create();
        entry->index = uchar(index);
        entry->configName = decodeName(a.data, offset, 29);
        bool replaced = false;
        for (ConfigTableEntryPtr& e : mConfigList) {
            if (e->index == entry->index) {
                e = entry;
                replaced = true;
                break;
            }
        }
        if (!replaced) mConfigList.append(entry);
        ++index;
    }
    emit usb_receive_config_info(mSource, a.frame, a.total);
    continueWith(a, &UsbCommunicateUtil::sendGetConfigInfo);
}

void UsbCommunicateUtil::setConfigInfo(const uchar& source, const bool& waitAnswer,
                                       const uchar& index, const QString& name) {
    mTableIndex = index;
    mTableName = name;
    begin(source, waitAnswer, SetConfigInfo);
    sendSetConfigInfo();
}

void UsbCommunicateUtil::sendSetConfigInfo() {
    QByteArray p(30, '\0');
    p[0] = char(mTableIndex);
    const QByteArray name = cutAtCharacter(mTableName.toUtf8(), kNameBytes);
    p.replace(1, name.size(), name);
    sendFrame("sendSetConfigInfo", SetConfigInfo, p);
}

void UsbCommunicateUtil::receiveSetConfigInfo(const Answer& a) {
    if (!accept("receiveSetConfigInfo", a)) return;
    emit usb_receive_set_config_info(mSource, a.frame, a.total);
}

void UsbCommunicateUtil::addConfigTable(const uchar& source, const bool& waitAnswer,
                                        const uchar& index) {
    mTableIndex = index;
    begin(source, waitAnswer, AddConfigTable);
    sendAddConfigTable();
}

void UsbCommunicateUtil::sendAddConfigTable() {
    sendFrame("sendAddConfigTable", AddConfigTable, QByteArray(1, char(mTableIndex)));
}

void UsbCommunicateUtil::receiveAddConfigTable(const Answer& a) {
    if (!accept("receiveAddConfigTable", a)) return;
    emit usb_receive_add_config_table(mSource, a.frame, a.total);
}

void UsbCommunicateUtil::delConfigTable(const uchar& source, const bool& waitAnswer,
                                        const uchar& index) {
    mTableIndex = index;
    begin(source, waitAnswer, DelConfigTable);
    sendDelConfigTable();
}

void UsbCommunicateUtil::sendDelConfigTable() {
    sendFrame("sendDelConfigTable", DelConfigTable, QByteArray(1, char(mTableIndex)));
}

void UsbCommunicateUtil::receiveDelConfigTable(const Answer& a) {
    if (!accept("receiveDelConfigTable", a)) return;
    emit usb_receive_del_config_table(mSource, a.frame, a.total);
}

void UsbCommunicateUtil::switchConfigTable(const uchar& source, const bool& waitAnswer,
                                           const uchar& index) {
    mTableIndex = index;
    begin(source, waitAnswer, SwitchConfigTable);
    sendSwitchConfigTable();
}

void UsbCommunicateUtil::sendSwitchConfigTable() {
    sendFrame("sendSwitchConfigTable", SwitchConfigTable, QByteArray(1, char(mTableIndex)));
}

void UsbCommunicateUtil::receiveSwitchConfigTable(const Answer& a) {
    if (!accept("receiveSwitchConfigTable", a)) return;
    emit usb_receive_switch_config_table(mSource, a.frame, a.total);
}

void UsbCommunicateUtil::receiveConfigChange(const Answer& a) {
    log(QStringLiteral(
            "=== UsbCommunicateUtil receiveConfigChange 命令不匹配 order={%1};type={%2}===")
            .arg(hex(a.order), hex(a.at(0))));
    if (a.at(0) == 0)
        emit usb_receive_config_change(SourceMainWindow, a.at(1), a.at(2));
    else if (a.at(0) == 3)
        emit usb_receive_connect_wireless_device(a.at(1));
}

void UsbCommunicateUtil::commitProductInfo(KeyboardConfigUtil* model) {
    *model->keyboardProductInfo = mProductInfo;
    mProductInfo = KeyboardProductInfo();
}

void UsbCommunicateUtil::commitConfigInfo(KeyboardConfigUtil* model) {
    model->keyboardConfigIndex = mConfigIndex;
    model->keyboardConfigList = mConfigList;
    mConfigList.clear();
}
