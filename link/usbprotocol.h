#pragma once
// Frame layout, command codes, requester codes and error codes of the
// keyboard protocol, plus the process-wide frame sizes and the splitting
// rule of multi-frame writes.

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <initializer_list>

// Bytes of one frame (without report ID) and largest payload of the channel
// that is open now. Set whenever a channel is opened.
extern int gUsbFrameMaxsize;
extern int gUsbDataMaxsize;
void setUsbFrameSize(int frameSize);

namespace UsbProtocol {

constexpr uchar kTag = 0xFA;
constexpr int kHeaderSize = 6;
constexpr int kLargestFrame = 128;
constexpr int kBufferSize = kLargestFrame + 1;  // largest frame + report ID
constexpr int kAnswerFlag = 0x80;

enum Order : uchar {
    SetCustomLight = 0x10,
    SetCustomLightAll = 0x11,
    SetEffectLight = 0x13,
    SetEffectLightAll = 0x14,
    GetCustomLight = 0x16,
    GetEffectLight = 0x17,
    GetEffectLightName = 0x18,
    SelectEffectLight = 0x19,
    SetKeyboardConfig = 0x20,
    AddHighKey = 0x22,
    SetHighKey = 0x23,
    SetKeyboardDefault = 0x24,
    DelHighKey = 0x25,
    SetTriggerConfig = 0x26,
    SetQuickTriggerConfig = 0x27,
    SetTriggerConfigAll = 0x28,
    GetKeyboardConfig = 0x2A,
    GetHighKey = 0x2B,
    GetTriggerConfig = 0x2C,
    SetMacroConfig = 0x40,
    DelMacroConfig = 0x41,
    GetMacroConfig = 0x42,
    SetWholeParam = 0x50,
    GetCalibrationState = 0x52,
    SetReportCalibration = 0x53,
    SaveCalibration = 0x54,
    SwitchConfigTable = 0x55,
    SetConfigInfo = 0x56,
    GetConfigInfo = 0x57,
    AddConfigTable = 0x58,
    DelConfigTable = 0x59,
    GetWholeParam = 0x5E,
    DownloadFirewareKeyboard = 0x60,
    ResetKeyboard = 0x61,
    GetProductInfo = 0x62,
    DownloadFirewareKeyboardEnd = 0x63,
    DownloadFirewareData = 0x65,
    ConfigChange = 0xF1,  // answer code only: sent by the keyboard on its own
};

constexpr uchar answerOf(uchar request) {
    return uchar(request + kAnswerFlag);
}

// Who asked for a command; travels with it inside the host only.
enum CommandSource : uchar {
    SourceNone = 0,
    SourceSync = 1,
    SourceMainWindow = 2,
    SourceImport = 3,
    SourceKeySet = 4,
    SourceLightSet = 5,
    SourceHighKey = 6,
    SourceMacroSet = 7,
    SourcePerformance = 8,
    SourceAlign = 9,
    SourceOther = 10,
};

enum Error : int {
    ErrorWrite = -1,
    ErrorNoAnswer = -2,
    ErrorLayer = -3,
    ErrorMacroIndex = -4,
    // A write whose items need more frames than the frame bytes can number
    // (or than the command answers): refused before anything is sent.
    ErrorTooManyItems = -5,
    // The command waited for its answer when another operation began: the
    // engine sends one command at a time, so it will never be answered.
    ErrorSuperseded = -6,
    // The link was closed or vanished while the command waited, or the
    // command was sent with no link open.
    ErrorLinkClosed = -7,
    ErrorNoDevice = -200,
};

// A byte string from small numbers: bytes({0xFA, 0x62, 1, 1}).
QByteArray bytes(std::initializer_list<int> values);

// "0x%1" with two hex digits, upper-cased as the logs want it ("0X04").
QString hex(uint value);

// Items per frame of a multi-frame write for the payload size dataMax; 0 for
// commands that are not multi-frame writes.
int itemsPerFrame(uchar request, int dataMax);
// Frames needed for itemCount items (itemCount > 0).
int framesFor(int itemCount, int perFrame);
// Items carried by frame (1-based) of total.
int itemsInFrame(int frame, int total, int itemCount, int perFrame);

// One whole frame of frameSize bytes: header, payload, zero padding. The
// payload is cut to frameSize - 6 bytes.
QByteArray buildFrame(uchar order, uchar frame, uchar total, const QByteArray& payload,
                      int frameSize);

// A received frame cut into its fields.
struct Frame {
    uchar order = 0;
    uchar frame = 0;
    uchar total = 0;
    uchar length = 0;
    QByteArray data;
};

enum class ParseResult { Ok, BadTag, Truncated, LengthTooLarge };
// Parses a report of `size` bytes as read from the device (no report ID).
// The payload is never taken from beyond the report.
ParseResult parseFrame(const uchar* report, int size, Frame* out);

}  // namespace UsbProtocol
