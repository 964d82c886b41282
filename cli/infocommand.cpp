#include <QTextStream>

#include "cli/clicommand.h"
#include "cli/clisession.h"
#include "protocol/usbcommunicateutil.h"

static CliCommand::Registrar registerInfo(
    "info", "info                         read the keyboard's product information",
    [](CliSession& s, const QStringList& args) {
        if (!args.isEmpty()) return s.refuse(QStringLiteral("info takes no arguments"));
        if (!s.open()) return 1;
        bool done = false;
        int error = 0;
        UsbCommunicateUtil& engine = s.engine();
        QObject::connect(&engine, &UsbCommunicateUtil::usb_receive_product_info, &s,
                         [&](uchar, int, int) {
                             done = true;
                             s.wake();
                         });
        QObject::connect(&engine, &UsbCommunicateUtil::usb_communicate_error, &s,
                         [&](uchar, uchar, int e) {
                             error = e;
                             done = true;
                             s.wake();
                         });
        engine.getProductInfo(0, true);
        if (!s.waitUntil(done, 10000) || error)
            return s.fail(QStringLiteral("cannot read the product information"),
                          error ? error : -2);
        const KeyboardProductInfo& p = engine.stagedProductInfo();
        QTextStream out(stdout);
        out << "Product number: " << p.serialNumber << "\n"
            << "Firmware:       0x"
            << QString::number(quint16(p.version), 16).rightJustified(4, '0') << "\n"
            << "Product:        " << p.productName << "\n"
            << "Maker:          " << p.customerName << "\n"
            << "Logo:           " << p.logoName << "\n"
            << "Flags:          " << int(p.flag0) << int(p.flag1) << int(p.flag7) << "\n";
        return 0;
    });
