#pragma once

#include <QByteArray>
#include <QString>

namespace quollin {

// Where a receipt printer without a driver takes its bytes: a device file
// (/dev/usb/lp0, a serial port) or a network printer's raw port
// ("192.168.1.50:9100"). An empty target is the system printer, which is
// not this class's business.
class TicketDevice {
public:
    enum class Kind { SystemPrinter, DeviceFile, Network };
    static Kind kindOf(const QString &target);

    // Sends every byte or reports why not (empty when all was taken). A
    // device file is written only when it is there, never made; a network
    // printer gets a few seconds to answer.
    static QString send(const QByteArray &bytes, const QString &target, int timeoutMs = 3000);
};

} // namespace quollin
