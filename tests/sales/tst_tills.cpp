// Several tills selling from the same goods rows of one server at once, as
// separate programs: every sale moves its row and appends its line together,
// a row never sells more than it holds, no two tills file sales on one slip,
// and every till's rows in memory follow the others' sales. A till killed in
// the middle loses no sale it had reported and leaves no half sale.
#include "Tills.h"

#include "core/ShopDatabase.h"
#include "goods/GoodsCatalogue.h"
#include "support/ShopFixture.h"

#include <QRandomGenerator>
#include <QtTest>

#include <memory>
#include <vector>

using namespace quollin;
using namespace quollin::test;

namespace {

quint32 chosenSeed()
{
    // A failing run is repeated with QUOLLIN_TILLS_SEED set to its seed.
    bool ok = false;
    const quint32 fixed = qEnvironmentVariable("QUOLLIN_TILLS_SEED").toUInt(&ok);
    return ok ? fixed : QRandomGenerator::global()->generate();
}

// Goods rows of which the first three sell out long before the tills stop.
void addGoods(ShopFixture &shop, const std::vector<double> &purchased)
{
    int n = 0;
    for (double quantity : purchased) {
        GoodsRecord r = ShopFixture::boughtIn(QStringLiteral("钢笔%1").arg(++n), 3.5, quantity);
        r.specification = QStringLiteral("盒装");
        r.code = QStringLiteral("P%1").arg(n);
        r.category = QStringLiteral("文具");
        r.salePrice = 8;
        shop.seedGoods(r);
    }
}

QString describe(const QMap<qint64, HeldRow> &held, const QMap<qint64, HeldRow> &server)
{
    for (auto at = server.begin(); at != server.end(); ++at) {
        const HeldRow h = held.value(at.key(), HeldRow{-1, -1, -1, -1});
        if (!(h == at.value()))
            return QStringLiteral("row %1 held as sold %2, amount %3, stock %4; the server has %5, %6, %7")
                .arg(at.key())
                .arg(h.sold, 0, 'g', 17)
                .arg(h.salesAmount, 0, 'g', 17)
                .arg(h.stock, 0, 'g', 17)
                .arg(at->sold, 0, 'g', 17)
                .arg(at->salesAmount, 0, 'g', 17)
                .arg(at->stock, 0, 'g', 17);
    }
    return held.size() == server.size() ? QString() : QStringLiteral("%1 rows held, %2 on the server")
                                                          .arg(held.size())
                                                          .arg(server.size());
}

} // namespace

class TestTills : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(TestEnvironment::onServer()); }

    void tillsSellFromTheSameRowsAtOnce()
    {
        ShopFixture shop(ShopFixture::Start::SignedInAsSuper);
        addGoods(shop, {30, 60, 120, 100000, 100000, 100000, 100000, 100000});
        // This session sells nothing: it only listens, as the event loop
        // runs, as the goods list of a till that stands idle.
        GoodsCatalogue idle(shop.shop());
        idle.load();
        connect(&shop.shop(), &ShopContext::changed, this, [&idle](const ChangeSet &c) { idle.apply(c.goods); });

        const quint32 seed = chosenSeed();
        qInfo("seed %u (repeat with QUOLLIN_TILLS_SEED=%u)", seed, seed);
        std::vector<std::unique_ptr<TillProcess>> tills;
        for (int n = 1; n <= 3; ++n) {
            tills.push_back(std::make_unique<TillProcess>(n));
            const QString error = tills.back()->start(shop.env.databasePath(), seed + quint32(n), 1000,
                                                      shop.env.path(QStringLiteral("till%1.ini").arg(n)));
            QVERIFY2(error.isEmpty(), qPrintable(error));
        }
        QElapsedTimer clock;
        clock.start();
        QVERIFY2(waitUntil([&] {
                     return std::all_of(tills.begin(), tills.end(), [](auto &t) { return t->isDone(); });
                 }, 120000),
                 "the tills did not finish their sales");
        const qint64 selling = clock.elapsed();

        int sold = 0, short_ = 0;
        for (auto &till : tills) {
            QVERIFY2(till->reported("failed").isEmpty(), till->reported("failed").value(0).constData());
            sold += int(till->reported("sold").size());
            short_ += int(till->reported("short").size());
        }
        qInfo("3 tills: %d sales, %d refused for want of stock, in %lld ms", sold, short_, selling);

        Database &db = shop.db();
        const QString books = checkBooks(db);
        QVERIFY2(books.isEmpty(), qPrintable(books));
        for (auto &till : tills) {
            const QString reported = checkReported(db, *till);
            QVERIFY2(reported.isEmpty(), qPrintable(reported));
        }
        // Every line on the server is one a till reported.
        Statement count = db.prepare(QStringLiteral("SELECT count(*) FROM data1"));
        count.next();
        QCOMPARE(count.integer(0), qint64(sold));

        // What the test is about happened: rows sold out to exactly zero,
        // sales refused for it, others left with stock.
        const QMap<qint64, HeldRow> server = serverRows(db);
        QVERIFY(short_ > 0);
        QVERIFY(std::count_if(server.begin(), server.end(), [](const HeldRow &r) { return r.stock == 0; }) >= 3);
        QVERIFY(std::count_if(server.begin(), server.end(), [](const HeldRow &r) { return r.stock > 0; }) >= 3);

        for (auto &till : tills) {
            // The others' last announcements may still be on their way.
            QMap<qint64, HeldRow> held;
            QString difference;
            waitUntil([&] {
                const QString error = till->held(&held);
                difference = error.isEmpty() ? describe(held, server) : error;
                return difference.isEmpty();
            }, 10000);
            QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("till %1: ").arg(till->number()) + difference));
            QCOMPARE(till->quit(), QString());
        }
        QMap<qint64, HeldRow> idleRows;
        QString difference;
        waitUntil([&] {
            idleRows.clear();
            for (int slot = 0; slot < idle.slotCount(); ++slot)
                if (idle.isLive(slot))
                    idleRows.insert(idle.id(slot),
                                    {idle.number(slot, GoodsCatalogue::SoldQuantity),
                                     idle.number(slot, GoodsCatalogue::SalesAmount),
                                     idle.number(slot, GoodsCatalogue::StockQuantity),
                                     idle.number(slot, GoodsCatalogue::StockValue)});
            difference = describe(idleRows, server);
            return difference.isEmpty();
        }, 10000);
        QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("idle till: ") + difference));
    }

    void tillKilledMidSaleLosesNothingConfirmed()
    {
        ShopFixture shop(ShopFixture::Start::SignedInAsSuper);
        addGoods(shop, {40, 100000, 100000});
        const quint32 seed = chosenSeed();
        qInfo("seed %u (repeat with QUOLLIN_TILLS_SEED=%u)", seed, seed);
        QRandomGenerator random(seed);

        // One till sells throughout; beside it another is started and
        // killed, again and again.
        TillProcess steady(1);
        QString error = steady.start(shop.env.databasePath(), seed, 0, shop.env.path(QStringLiteral("till1.ini")));
        QVERIFY2(error.isEmpty(), qPrintable(error));
        for (int k = 0; k < 6; ++k) {
            TillProcess victim(2);
            error = victim.start(shop.env.databasePath(), seed ^ quint32(k * 2654435761u),
                                 0, shop.env.path(QStringLiteral("till2.ini")));
            QVERIFY2(error.isEmpty(), qPrintable(error));
            const int delay = int(random.bounded(50, 400));
            QTest::qWait(delay);
            QCOMPARE(victim.kill(), QString());
            const QString books = checkBooks(shop.db());
            QVERIFY2(books.isEmpty(), qPrintable(QStringLiteral("after kill %1: ").arg(k + 1) + books));
            const QString reported = checkReported(shop.db(), victim);
            QVERIFY2(reported.isEmpty(), qPrintable(reported));
            QVERIFY2(victim.reported("failed").isEmpty(), victim.reported("failed").value(0).constData());
            qInfo("kill %d after %d ms: %lld sales reported", k + 1, delay,
                  static_cast<long long>(victim.reported("sold").size()));
        }
        QCOMPARE(steady.stop(), QString());
        QVERIFY2(steady.reported("failed").isEmpty(), steady.reported("failed").value(0).constData());
        QVERIFY(!steady.reported("sold").isEmpty());
        const QString books = checkBooks(shop.db());
        QVERIFY2(books.isEmpty(), qPrintable(books));
        const QString reported = checkReported(shop.db(), steady);
        QVERIFY2(reported.isEmpty(), qPrintable(reported));
        QCOMPARE(steady.quit(), QString());
    }
};

QTEST_GUILESS_MAIN(TestTills)
#include "tst_tills.moc"
