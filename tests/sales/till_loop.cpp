// One till among several selling from the same goods rows of a shop server,
// as the sale panel sells: signed in, slip numbers handed out by the current
// slip (a new one now and then), each sale confirmed through the session and
// filed on the slip it went onto, the goods rows held in memory and kept by
// the change stream. The tests of several tills start a few of these at once
// and kill them or restart the server under them.
//
// Usage: till_loop <server URI> <till number> <seed> <attempts, 0: until told> <settings file>
//
// Writes one line per event:
//   ready
//   sold <line ID> <slip number>    a confirmation that returned ok
//   short <goods ID>                refused as out of stock
//   failed <message>                a command that failed on the server; the
//                                   till goes on with the next sale
//   done                            after the attempts, or when a line came in
// and afterwards answers lines on standard input:
//   held   hears the other tills, writes each goods row it holds as
//          "row <ID> <sold> <sales amount> <stock> <stock value>", then "end"
//   quit
#include "core/Database.h"
#include "core/DateText.h"
#include "core/EngineMessage.h"
#include "core/NumberText.h"
#include "core/ShopDatabase.h"
#include "core/SettingsStore.h"
#include "goods/GoodsCatalogue.h"
#include "sales/SlipNumber.h"
#include "session/Shop.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <poll.h>

#include <cstdio>
#include <cstring>
#include <vector>

using namespace quollin;

namespace {

void say(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Whether a line waits on standard input (the test asks the till to stop).
bool told()
{
    pollfd in{0, POLLIN, 0};
    return ::poll(&in, 1, 0) > 0;
}

// A server's own words may run over several lines.
void failed(const QString &message) { say("failed " + message.simplified().toUtf8()); }

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 6) {
        std::fprintf(stderr, "usage: till_loop <server URI> <till number> <seed> <attempts> <settings file>\n");
        return 2;
    }
    const QString till = QString::fromLocal8Bit(argv[2]);
    const quint32 seed = quint32(QByteArray(argv[3]).toULong());
    const long attempts = QByteArray(argv[4]).toLong();
    try {
        SettingsStore settings(QString::fromLocal8Bit(argv[5]));
        Shop shop(ShopDatabase::open(QString::fromLocal8Bit(argv[1])), settings);
        if (!shop.signIn(ShopDatabase::kSuperAdministrator, ShopDatabase::kInitialPassword).ok) {
            std::fprintf(stderr, "till_loop: sign-in refused\n");
            return 2;
        }
        // The goods rows as the goods list holds them: read once, then kept
        // by this till's own sales and the others' announcements.
        GoodsCatalogue held(shop);
        held.load();
        QObject::connect(&shop, &ShopContext::changed, [&held](const ChangeSet &changes) {
            try {
                held.apply(changes.goods);
            } catch (const DbError &e) {
                failed(engineMessage(e));
            }
        });
        std::vector<qint64> ids;
        for (int slot = 0; slot < held.slotCount(); ++slot)
            ids.push_back(held.id(slot));
        if (ids.empty()) {
            std::fprintf(stderr, "till_loop: no goods rows\n");
            return 2;
        }
        say("ready");

        // Halves and whole numbers at prices of whole even fen: every amount
        // is a whole number of fen, so the sums can be compared in fen.
        const char *const quantities[] = {"1", "2", "3", "0.5", "1.5"};
        const char *const prices[] = {"8", "9.9", "12.4", "0.1", "100"};
        QRandomGenerator random(seed);
        CurrentSlip &slip = shop.currentSlip();
        for (long n = 0; attempts == 0 || n < attempts; ++n) {
            if (told())
                break;
            const QDate today = QDate::currentDate();
            // Opening the sale panel.
            for (const QString &message : slip.prepareForSale(today))
                failed(message);
            SaleInput in;
            in.goodsId = ids[random.bounded(quint32(ids.size()))];
            in.quantity = QString::fromLatin1(quantities[random.bounded(5)]);
            in.price = QString::fromLatin1(prices[random.bounded(5)]);
            in.arrears = QStringLiteral("0");
            in.saleDate = DateText::date(today);
            in.slipNumber = slip.serial().number(today);
            in.opensSlip = slip.serial().isNew();
            in.customer = till + QStringLiteral("号收银台");
            SaleResult result = shop.sales().confirm(in);
            if (result.refusal == SaleRefusal::OutOfStock) {
                say("short " + QByteArray::number(in.goodsId));
                // The panel puts the stock left into the quantity box; the
                // operator sells that.
                if (result.stockQuantity && *result.stockQuantity > 0) {
                    in.quantity = NumberText::general(*result.stockQuantity);
                    result = shop.sales().confirm(in);
                    if (result.refusal == SaleRefusal::OutOfStock)
                        say("short " + QByteArray::number(in.goodsId));
                }
            }
            if (result.ok) {
                slip.serial().soldOn(SlipSerialOf(result.slipNumber, today).value_or(slip.serial().serial()));
                say("sold " + QByteArray::number(result.lineId) + ' ' + result.slipNumber.toUtf8());
            } else if (result.refusal == SaleRefusal::Database) {
                failed(result.message);
            } else if (result.refusal != SaleRefusal::OutOfStock) {
                std::fprintf(stderr, "till_loop: sale refused: %s\n", result.message.toUtf8().constData());
                return 3;
            }
            slip.store();
            if (random.bounded(5) == 0) {
                if (const QString message = slip.next(today); !message.isEmpty())
                    failed(message);
            }
        }
        say("done");

        char line[64];
        while (std::fgets(line, sizeof line, stdin)) {
            if (std::strncmp(line, "quit", 4) == 0)
                break;
            if (std::strncmp(line, "held", 4) != 0)
                continue;
            shop.hearOtherTills();
            for (int slot = 0; slot < held.slotCount(); ++slot) {
                if (!held.isLive(slot))
                    continue;
                QByteArray row = "row " + QByteArray::number(held.id(slot));
                for (int field : {GoodsCatalogue::SoldQuantity, GoodsCatalogue::SalesAmount,
                                  GoodsCatalogue::StockQuantity, GoodsCatalogue::StockValue})
                    row += ' ' + QByteArray::number(held.number(slot, field), 'g', 17);
                say(row);
            }
            say("end");
        }
    } catch (const DbError &e) {
        std::fprintf(stderr, "till_loop: %s\n", e.message().toUtf8().constData());
        return 4;
    }
    return 0;
}
