// Firmware images and firmware data files as downloaded or chosen by the
// user: header, length, checksum and product checks, the cutting into
// blocks, and the transfer's first frame. Input: first byte picks the kind,
// the channel and the product the keyboard claims; the rest is the file.
//
// Checks: a file that fails any check sends no frame; an accepted one is cut
// into blocks that cover its image exactly once, none larger than a frame's
// payload, and its first frame carries the first block.

#include "fuzz/fuzzhidbackend.h"
#include "fuzz/fuzzsupport.h"
#include "link/usbprotocol.h"
#include "protocol/firmwarefile.h"
#include "protocol/firmwaretransfer.h"
#include "protocol/usbcommunicateutil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSupport::init();
    if (size < 1) return 0;
    const uchar mode = data[0];
    const FirmwareFile::Kind kind =
        mode & 1 ? FirmwareFile::FirmwareData : FirmwareFile::KeyboardFirmware;
    const int frameSize = mode & 2 ? 64 : 128;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, int(size - 1));

    FirmwareFile file;
    const FirmwareFile::Status status = file.setBytes(bytes, kind);
    FuzzSupport::require(status == file.status() && (status == FirmwareFile::Ok) == file.isValid(),
                         "status read back differently");
    FuzzSupport::require(!FirmwareFile::statusText(status).isEmpty(), "a status without words");
    if (file.isValid()) {
        FuzzSupport::require(file.bytes() == bytes, "the file was changed while checked");
        const bool isData = kind == FirmwareFile::FirmwareData;
        for (int payload : {58, 122}) {
            const int frames = file.frameCount(payload);
            FuzzSupport::require(frames >= 1 && frames <= 65535,
                                 "block count outside the u16 numbers");
            FuzzSupport::require(
                file.frame(0, payload).isEmpty() && file.frame(frames + 1, payload).isEmpty(),
                "a block outside the count");
            // A data file sends its header first, with the block count in it.
            if (isData)
                FuzzSupport::require(file.frame(1, payload).size() == FirmwareFile::kHeaderSize,
                                     "the data file's header block is not the header");
            qint64 covered = 0;
            for (int i = isData ? 2 : 1; i <= frames; ++i) {
                const QByteArray block = file.frame(i, payload);
                FuzzSupport::require(block.size() <= payload,
                                     "block larger than a frame's payload");
                FuzzSupport::require(
                    block == bytes.mid(FirmwareFile::kHeaderSize + covered, block.size()),
                    "block is not the file's bytes in order");
                covered += block.size();
            }
            FuzzSupport::require(covered == file.imageSize(), "blocks do not cover the image");
            FuzzSupport::require(
                file.bytesSentAfter(frames, payload) == (isData ? file.size() : file.imageSize()),
                "progress does not reach the end");
        }
    }

    // The keyboard's product: the file's own identifier or another.
    const quint16 product =
        mode & 4 ? file.identifier() : quint16(file.identifier() + 1 + (mode >> 3));
    FuzzHidBackend hid(frameSize);
    UsbCommunicateUtil engine(nullptr, &hid);
    engine.openCommunicate(0);
    {
        FirmwareTransfer transfer(&engine, UsbProtocol::SourceOther);
        int ends = 0;
        QObject::connect(&transfer, &FirmwareTransfer::finished, &transfer, [&](int) { ++ends; });
        const FirmwareTransfer::Verdict verdict = transfer.start(file, product);
        FuzzSupport::require(verdict == FirmwareTransfer::verify(file, product),
                             "start and verify disagree");
        if (verdict != FirmwareTransfer::Accepted) {
            FuzzSupport::require(hid.written().isEmpty() && !transfer.isRunning() && ends == 0,
                                 "a refused file sent a frame or signalled");
            FuzzSupport::require(file.isValid() || verdict == FirmwareTransfer::Damaged ||
                                     verdict == FirmwareTransfer::Unreadable,
                                 "a damaged file refused for another reason");
        } else {
            FuzzSupport::require(file.isValid(), "a damaged file was accepted");
            FuzzSupport::require(kind == FirmwareFile::FirmwareData || file.identifier() == product,
                                 "firmware of another product was accepted");
            FuzzSupport::require(hid.written().size() == 1,
                                 "the first block went out other than once");
            const QByteArray report = hid.written().first();
            const uchar order = kind == FirmwareFile::FirmwareData
                                    ? UsbProtocol::DownloadFirewareData
                                    : UsbProtocol::DownloadFirewareKeyboard;
            const QByteArray block = file.frame(1, frameSize - UsbProtocol::kHeaderSize);
            FuzzSupport::require(uchar(report.at(2)) == order &&
                                     uchar(report.at(6)) == block.size() &&
                                     report.mid(7, block.size()) == block,
                                 "the first frame is not the first block");
            transfer.abort(UsbProtocol::ErrorLinkClosed);
            FuzzSupport::require(ends == 1, "an aborted transfer did not end once");
        }
    }
    engine.closeCommunicate();
    FuzzSupport::processEvents();
    return 0;
}
