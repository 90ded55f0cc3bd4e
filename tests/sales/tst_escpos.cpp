#include "sales/EscPosTicket.h"
#include "sales/TicketDevice.h"
#include "sales/TicketLayout.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

using namespace quollin;

namespace {

TicketInput ticket(int lines)
{
    TicketInput in;
    in.title = QStringLiteral("POS小票销售单");
    in.slogan1 = QStringLiteral("欢迎光临");
    in.slipNumber = QStringLiteral("20261209005");
    in.cashier = QStringLiteral("超级管理员");
    in.date = QStringLiteral("2026-12-09");
    in.time = QStringLiteral("10:00:00");
    in.total = QStringLiteral("51");
    in.cash = QStringLiteral("100.00");
    in.change = QStringLiteral("49.00");
    for (int i = 0; i < lines; ++i) {
        SlipLine line;
        line.name = QStringLiteral("康师傅红烧牛肉面五连包");
        line.quantity = 1;
        line.price = 3;
        line.amount = 3;
        in.lines.push_back(line);
    }
    return in;
}

QByteArray gbk(const char *utf8) { return EscPosTicket::gbk(QString::fromUtf8(utf8)); }

} // namespace

class EscPosTest : public QObject {
    Q_OBJECT

private slots:
    // The stream a driverless receipt printer gets: initialised, every line
    // of the system printer's ticket in GBK and in its order, the title bold,
    // then the cut (and the drawer only when chosen).
    void ticketBecomesEscPosLinesInOrder()
    {
        const PrintLayout layout = TicketLayout::build(ticket(2));
        const QByteArray bytes = EscPosTicket::encode(layout, false);
        QVERIFY(bytes.startsWith(EscPosTicket::initialise()));
        QVERIFY(bytes.endsWith(EscPosTicket::feedAndCut()));
        QVERIFY(!bytes.contains(EscPosTicket::drawerPulse()));
        QVERIFY(EscPosTicket::encode(layout, true).endsWith(EscPosTicket::feedAndCut() + EscPosTicket::drawerPulse()));

        const qsizetype title = bytes.indexOf(EscPosTicket::boldOn() + gbk("   POS小票销售单") + EscPosTicket::boldOff());
        QVERIFY(title > 0);
        // One stream line a placed text, top to bottom.
        const QByteArray body = bytes.mid(EscPosTicket::initialise().size());
        QCOMPARE(body.count('\n'), qsizetype(layout.texts.size()));
        qsizetype at = 0;
        for (const QString &text : layout.textsOn(0)) {
            const qsizetype next = bytes.indexOf(EscPosTicket::gbk(text), at);
            QVERIFY2(next >= at, qPrintable(text));
            at = next;
        }
        // The name column keeps its 18 GBK bytes on the printer too.
        const QByteArray line = gbk("康师傅红烧牛肉面五  1      3");
        QVERIFY2(bytes.contains(line), bytes.toHex().constData());
        QCOMPARE(EscPosTicket::gbk(QStringLiteral("A\U0001F600\n中")), QByteArray("A?") + gbk("中"));
    }

    // A name's own bytes never steer the printer, and the quantity stands
    // 19 bytes into its line whatever the name holds: control sequences
    // (the drawer pulse, the cut), a bidi override, characters GBK lacks.
    void namesCannotSteerThePrinterOrShiftColumns()
    {
        TicketInput in = ticket(0);
        const auto add = [&in](const QString &name) {
            SlipLine line;
            line.name = name;
            line.quantity = 12;
            line.amount = 125.5;
            in.lines.push_back(line);
        };
        add(QStringLiteral("钢笔") + QString::fromLatin1("\x1b\x70\x00\x19\xfa", 5));
        add(QStringLiteral("墨水\x1d\x56\x42\x30"));
        add(QStringLiteral("\u202E钢笔"));
        add(QStringLiteral("한글상품"));
        add(QStringLiteral("A한B\U0001F600C"));
        const QByteArray bytes = EscPosTicket::encode(TicketLayout::build(in), false);
        QVERIFY(!bytes.contains(EscPosTicket::drawerPulse().left(2)));
        QCOMPARE(bytes.count(EscPosTicket::feedAndCut().left(2)), qsizetype(1));
        QVERIFY(bytes.endsWith(EscPosTicket::feedAndCut()));
        int lines = 0;
        for (const QByteArray &line : bytes.split('\n')) {
            const qsizetype quantity = line.indexOf(" 12      125.5");
            if (quantity < 0)
                continue;
            ++lines;
            QCOMPARE(quantity, qsizetype(18));
            for (const char c : line)
                QVERIFY2(uchar(c) >= 0x20, line.toHex().constData());
        }
        QCOMPARE(lines, 5);
    }

    void targetsAreTold()
    {
        QCOMPARE(TicketDevice::kindOf(QString()), TicketDevice::Kind::SystemPrinter);
        QCOMPARE(TicketDevice::kindOf(QStringLiteral("系统打印机")), TicketDevice::Kind::SystemPrinter);
        QCOMPARE(TicketDevice::kindOf(QStringLiteral("/dev/usb/lp0")), TicketDevice::Kind::DeviceFile);
        QCOMPARE(TicketDevice::kindOf(QStringLiteral("192.168.1.100:9100")), TicketDevice::Kind::Network);
        QCOMPARE(TicketDevice::kindOf(QStringLiteral("pos-printer.local:9100")), TicketDevice::Kind::Network);
    }

    // A device file gets every byte, appended; a device that is not there
    // or cannot be opened is reported.
    void deviceFileTakesTheBytes()
    {
        QTemporaryDir dir;
        const QString device = dir.filePath(QStringLiteral("lp0"));
        const QByteArray bytes = EscPosTicket::encode(TicketLayout::build(ticket(3)), true);
        // A mistyped device is not made up as a file.
        const QString missing = TicketDevice::send(bytes, device);
        QVERIFY2(missing.startsWith(QStringLiteral("无法打开小票打印机")), qPrintable(missing));
        QVERIFY(!QFile::exists(device));
        {
            QFile plugged(device);
            QVERIFY(plugged.open(QIODevice::WriteOnly));
        }
        QCOMPARE(TicketDevice::send(bytes, device), QString());
        QCOMPARE(TicketDevice::send(bytes, device), QString());
        QFile written(device);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), bytes + bytes);
        const QString failure = TicketDevice::send(bytes, dir.filePath(QStringLiteral("no/such/lp0")));
        QVERIFY2(failure.startsWith(QStringLiteral("无法打开小票打印机")), qPrintable(failure));
    }

    // A network printer's raw port (here one on this machine) gets the whole
    // stream; a port where nobody listens is reported.
    void networkPrinterTakesTheBytes()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const quint16 port = server.serverPort();
        const QByteArray bytes = EscPosTicket::encode(TicketLayout::build(ticket(200)), false);

        QByteArray received;
        QString failure;
        std::thread sender([&] { failure = TicketDevice::send(bytes, QStringLiteral("127.0.0.1:%1").arg(port)); });
        QVERIFY(server.waitForNewConnection(5000));
        QTcpSocket *peer = server.nextPendingConnection();
        QVERIFY(peer);
        QElapsedTimer waited;
        waited.start();
        while (received.size() < bytes.size() && waited.elapsed() < 5000) {
            if (peer->waitForReadyRead(200))
                received += peer->readAll();
        }
        sender.join();
        received += peer->readAll();
        QCOMPARE(failure, QString());
        QCOMPARE(received, bytes);

        server.close();
        const QString refused = TicketDevice::send(bytes, QStringLiteral("127.0.0.1:%1").arg(port), 1000);
        QVERIFY2(refused.startsWith(QStringLiteral("连接不上小票打印机")), qPrintable(refused));
    }
};

QTEST_GUILESS_MAIN(EscPosTest)
#include "tst_escpos.moc"
