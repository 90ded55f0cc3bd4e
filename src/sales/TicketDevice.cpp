#include "sales/TicketDevice.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTcpSocket>

namespace quollin {

namespace {
const QRegularExpression &hostAndPort()
{
    static const QRegularExpression re(QStringLiteral("^([A-Za-z0-9.\\-]+):(\\d{1,5})$"));
    return re;
}
} // namespace

TicketDevice::Kind TicketDevice::kindOf(const QString &target)
{
    const QString t = target.trimmed();
    if (t.isEmpty() || t == QStringLiteral("系统打印机"))
        return Kind::SystemPrinter;
    if (hostAndPort().match(t).hasMatch())
        return Kind::Network;
    return Kind::DeviceFile;
}

QString TicketDevice::send(const QByteArray &bytes, const QString &target, int timeoutMs)
{
    const QString t = target.trimmed();
    switch (kindOf(t)) {
    case Kind::SystemPrinter:
        return QStringLiteral("没有指定小票打印机。");
    case Kind::DeviceFile: {
        // A device is there or the printer is not plugged in: a mistyped
        // path must not become a file that swallows the ticket as printed.
        // Append, never truncate: a device does not care, and an ordinary
        // file named by mistake must not lose what it held.
        if (!QFileInfo::exists(t))
            return QStringLiteral("无法打开小票打印机 %1：没有这个设备。请检查打印机是否接好，"
                                  "或在“打印设置”中改正小票打印机。").arg(t);
        QFile device(t);
        if (!device.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered | QIODevice::ExistingOnly))
            return QStringLiteral("无法打开小票打印机 %1：%2").arg(t, device.errorString());
        if (device.write(bytes) != bytes.size() || !device.flush())
            return QStringLiteral("小票没有完整送到打印机 %1：%2").arg(t, device.errorString());
        return QString();
    }
    case Kind::Network: {
        const QRegularExpressionMatch m = hostAndPort().match(t);
        const int port = m.captured(2).toInt();
        if (port <= 0 || port > 65535)
            return QStringLiteral("小票打印机的端口不对：%1").arg(t);
        QTcpSocket socket;
        socket.connectToHost(m.captured(1), quint16(port));
        if (!socket.waitForConnected(timeoutMs))
            return QStringLiteral("连接不上小票打印机 %1：%2").arg(t, socket.errorString());
        qint64 written = 0;
        while (written < bytes.size()) {
            const qint64 n = socket.write(bytes.constData() + written, bytes.size() - written);
            if (n < 0)
                return QStringLiteral("小票没有完整送到打印机 %1：%2").arg(t, socket.errorString());
            written += n;
            if (!socket.waitForBytesWritten(timeoutMs) && socket.bytesToWrite() > 0)
                return QStringLiteral("小票没有完整送到打印机 %1：%2").arg(t, socket.errorString());
        }
        while (socket.bytesToWrite() > 0) {
            if (!socket.waitForBytesWritten(timeoutMs))
                return QStringLiteral("小票没有完整送到打印机 %1：%2").arg(t, socket.errorString());
        }
        socket.disconnectFromHost();
        if (socket.state() != QAbstractSocket::UnconnectedState)
            socket.waitForDisconnected(timeoutMs);
        return QString();
    }
    }
    return QString();
}

} // namespace quollin
