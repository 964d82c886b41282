// Calibration and firmware: requests, answers and commits.

#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/commandbytes.h"
#include "protocol/usbcommunicateutil.h"

using namespace UsbProtocol;
using namespace CommandBytes;

void UsbCommunicateUtil::getCalibrationState(const uchar& source, const bool& waitAnswer) {
    mCalibrationMap.clear();
    begin(source, waitAnswer, GetCalibrationState);
    sendGetCalibrationState();
}

void UsbCommunicateUtil::sendGetCalibrationState() {
    sendFrame("sendGetCalibrationState", GetCalibrationState, QByteArray());
}

void UsbCommunicateUtil::receiveCalibrationState(const Answer& a) {
    if (!accept("receiveCalibrationState", a)) return;
    for (int i = 0; i < a.length; ++i) {
        const int key = (a.frame - 1) * gUsbDataMaxsize + i;
        if (key < 0 || key > 255) break;
        mCalibrationMap.insert(uchar(key), a.at(i));
    }
    if (a.frame < a.total) {
        continueWith(a, &UsbCommunicateUtil::sendGetCalibrationState);
        return;
    }
    emit usb_receive_get_calibration_state(mSource, a.frame, a.total, mCalibrationMap);
}

void UsbCommunicateUtil::setReportCalibration(const uchar& source, const bool& waitAnswer,
                                              const int& on) {
    mCalibrationSwitch = on;
    begin(source, waitAnswer, SetReportCalibration);
    sendSetReportCalibration();
}

void UsbCommunicateUtil::sendSetReportCalibration() {
    sendFrame("sendSetReportCalibration", SetReportCalibration,
              QByteArray(1, char(mCalibrationSwitch)));
}

void UsbCommunicateUtil::receiveReportCalibration(const Answer& a) {
    // Answers to the switch and the unsolicited travel stream share 0xD3.
    if (a.length == 1) {
        // A late switch answer must not cancel the retries of another command.
        if (mLastSendOrder == a.order) {
            mTimer->stop();
            markAnswered(a);
        }
        emit usb_receive_report_calibration_switch(mSource, a.frame, a.total, a.at(0));
        return;
    }
    mAlignList.clear();
    for (int i = 0; i < a.length / 4; ++i) {
        auto entry = AlignInfoPtr::create();
        entry->keyItem = a.at(4 * i + 1);
        entry->value = a.u16(4 * i + 2);
        mAlignList.append(entry);
    }
    emit usb_receive_report_calibration(mSource, a.frame, a.total, mAlignList);
}

void UsbCommunicateUtil::saveCalibration(const uchar& source, const bool& waitAnswer) {
    begin(source, waitAnswer, SaveCalibration);
    sendSaveCalibration();
}

void UsbCommunicateUtil::sendSaveCalibration() {
    sendFrame("sendSaveCalibration", SaveCalibration, QByteArray());
}

void UsbCommunicateUtil::receiveSaveCalibration(const Answer& a) {
    if (!accept("receiveSaveCalibration", a)) return;
    emit usb_receive_save_calibration(mSource, a.frame, a.total);
}

void UsbCommunicateUtil::keepFirmwareBlock(quint16 block, int length, const QByteArray& data) {
    mBlockNumber = block;
    mBlockLength = qBound(0, length, qMin(int(data.size()), gUsbDataMaxsize));
    mFirmwareBuffer.fill('\0', kBufferSize);
    mFirmwareBuffer.replace(0, mBlockLength, data.left(mBlockLength));
}

void UsbCommunicateUtil::downloadFirewareKeyboard(const uchar& source, const bool& waitAnswer,
                                                  const quint16& block, const int& length,
                                                  const QByteArray& data) {
    keepFirmwareBlock(block, length, data);
    begin(source, waitAnswer, DownloadFirewareKeyboard);
    sendDownloadFirewareKeyboard();
}

void UsbCommunicateUtil::sendDownloadFirewareKeyboard() {
    sendFrame("sendDownloadFirewareKeyboard", DownloadFirewareKeyboard,
              mFirmwareBuffer.left(mBlockLength));
}

void UsbCommunicateUtil::downloadFirewareData(const uchar& source, const bool& waitAnswer,
                                              const quint16& block, const int& length,
                                              const QByteArray& data) {
    keepFirmwareBlock(block, length, data);
    begin(source, waitAnswer, DownloadFirewareData);
    sendDownloadFirewareData();
}

void UsbCommunicateUtil::sendDownloadFirewareData() {
    sendFrame("sendDownloadFirewareData", DownloadFirewareData, mFirmwareBuffer.left(mBlockLength));
}

void UsbCommunicateUtil::downloadFirewareKeyboardEnd(const uchar& source, const bool& waitAnswer,
                                                     const quint32& first, const quint32& second) {
    mEndFirst = first;
    mEndSecond = second;
    begin(source, waitAnswer, DownloadFirewareKeyboardEnd);
    sendDownloadFirewareKeyboardEnd();
}

void UsbCommunicateUtil::sendDownloadFirewareKeyboardEnd() {
    QByteArray p;
    putU32(p, mEndSecond);
    putU32(p, mEndFirst);
    sendFrame("sendDownloadFirewareKeyboardEnd", DownloadFirewareKeyboardEnd, p);
}

// Firmware answers: status 0 confirms; any other status leaves the timer
// running so the block goes again on time-out.
#define ZENTARO_FIRMWARE_ANSWER(Name, Signal)                         \
    void UsbCommunicateUtil::receive##Name(const Answer& a) {         \
        if (a.order != mLastSendOrder) {                              \
            accept("receive" #Name, a);                               \
            return;                                                   \
        }                                                             \
        if (a.at(0) != 0) {                                           \
            log(QStringLiteral("=== UsbCommunicateUtil receive" #Name \
                               " 发送数据错误 data={ %1 } ===")       \
                    .arg(a.at(0)));                                   \
            return;                                                   \
        }                                                             \
        mTimer->stop();                                               \
        markAnswered(a);                                              \
        emit Signal(mSource, a.frame, a.total);                       \
    }
ZENTARO_FIRMWARE_ANSWER(DownloadFirewareKeyboard, usb_receive_download_fireware_keyboard)
ZENTARO_FIRMWARE_ANSWER(DownloadFirewareData, usb_receive_download_fireware_data)
ZENTARO_FIRMWARE_ANSWER(DownloadFirewareKeyboardEnd, usb_receive_download_fireware_keyboard_end)
#undef ZENTARO_FIRMWARE_ANSWER
