// The server restarted (fast shutdown: every connection cut) while tills
// sell: each till tells the operator in words he understands, its next
// command connects again by itself and succeeds, and no sale it had reported
// is lost.
#include "Tills.h"

#include "core/EngineMessage.h"
#include "core/ShopDatabase.h"
#include "support/ShopFixture.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>

#include <memory>
#include <vector>

using namespace quollin;
using namespace quollin::test;

namespace {

qint64 addGoods(ShopFixture &shop)
{
    GoodsRecord r = ShopFixture::boughtIn(QStringLiteral("钢笔"), 3.5, 100000);
    r.code = QStringLiteral("P1");
    r.salePrice = 8;
    return shop.seedGoods(r);
}

SaleInput oneSale(qint64 goodsId)
{
    SaleInput in;
    in.goodsId = goodsId;
    in.price = QStringLiteral("8");
    in.quantity = QStringLiteral("1");
    in.arrears = QStringLiteral("0");
    in.saleDate = QStringLiteral("2024-03-05");
    in.slipNumber = QStringLiteral("20240305001");
    return in;
}

// What a till says when the server went away under a command: the sentence
// for a lost connection (with the server's own words after it), or, when it
// went at the commit, that the sale may not have been saved.
bool saysConnectionLost(const QString &message)
{
    return message.startsWith(engineSentence(DbError::kServerLost))
           || message.startsWith(QStringLiteral("提交时与数据库服务器的连接断开了"));
}

} // namespace

class TestTillRestart : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(TestEnvironment::onServer()); }

    void nextSaleAfterRestartConnectsAgain()
    {
        ShopFixture shop(ShopFixture::Start::SignedInAsSuper);
        const qint64 goods = addGoods(shop);
        QVERIFY(shop.shop().sales().confirm(oneSale(goods)).ok);

        QCOMPARE(TestEnvironment::restartServer(), QString());
        const SaleResult lost = shop.shop().sales().confirm(oneSale(goods));
        QVERIFY(!lost.ok);
        QCOMPARE(lost.refusal, SaleRefusal::Database);
        QVERIFY2(lost.message.startsWith(engineSentence(DbError::kServerLost)), qPrintable(lost.message));

        const SaleResult again = shop.shop().sales().confirm(oneSale(goods));
        QVERIFY2(again.ok, qPrintable(again.message));
        QCOMPARE(shop.count(QStringLiteral("data1")), 2);
        QCOMPARE(checkBooks(shop.db()), QString());
    }

    void idleTillHearsAtOnceAgainAfterRestart()
    {
        ShopFixture idle(ShopFixture::Start::SignedInAsSuper);
        const qint64 goods = addGoods(idle);
        ShopFixture other(idle.env.databasePath(), idle.env.path(QStringLiteral("other.ini")));
        QVERIFY(other.signIn());
        int heard = 0;
        connect(&idle.shop(), &ShopContext::changed, this, [&](const ChangeSet &c) {
            if (!c.goods.isAll() && c.goods.touches(goods))
                ++heard;
        });

        QCOMPARE(TestEnvironment::restartServer(), QString());
        // Both event loops run while the server is away; then each till's
        // next command connects again (or reports the loss, and the one
        // after connects).
        QTest::qWait(50);
        for (ShopFixture *till : {&idle, &other}) {
            try {
                till->count(QStringLiteral("data1"));
            } catch (const DbError &e) {
                QCOMPARE(e.code(), DbError::kServerLost);
                till->count(QStringLiteral("data1"));
            }
        }
        QTest::qWait(300);

        // Heard through the connection's socket, each sale comes at once;
        // the timer alone would take up to 250 ms for each.
        QElapsedTimer clock;
        clock.start();
        for (int sale = 1; sale <= 8; ++sale) {
            const SaleResult r = other.shop().sales().confirm(oneSale(goods));
            QVERIFY2(r.ok, qPrintable(r.message));
            QVERIFY(waitUntil([&] { return heard == sale; }, 5000));
        }
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QStringLiteral("8 sales heard in %1 ms").arg(clock.elapsed())));
    }

    void tillsSellOnAcrossRestart()
    {
        ShopFixture shop(ShopFixture::Start::SignedInAsSuper);
        addGoods(shop);
        addGoods(shop);
        const quint32 seed = QRandomGenerator::global()->generate();
        std::vector<std::unique_ptr<TillProcess>> tills;
        for (int n = 1; n <= 2; ++n) {
            tills.push_back(std::make_unique<TillProcess>(n));
            const QString error = tills.back()->start(shop.env.databasePath(), seed + quint32(n), 0,
                                                      shop.env.path(QStringLiteral("till%1.ini").arg(n)));
            QVERIFY2(error.isEmpty(), qPrintable(error));
        }
        auto eachSold = [&](qsizetype atLeast) {
            return std::all_of(tills.begin(), tills.end(), [atLeast](auto &t) {
                t->read();
                return t->reported("sold").size() >= atLeast;
            });
        };
        QVERIFY(waitUntil([&] { return eachSold(20); }, 30000));

        QCOMPARE(TestEnvironment::restartServer(), QString());
        // Each till failed once the connection was cut, then sold on.
        std::vector<qsizetype> before;
        for (auto &till : tills) {
            till->read();
            before.push_back(till->reported("sold").size());
        }
        QVERIFY(waitUntil([&] { return eachSold(before[0] + 20) && eachSold(before[1] + 20); }, 30000));
        for (auto &till : tills) {
            QCOMPARE(till->stop(), QString());
            const QList<QByteArray> failures = till->reported("failed");
            QVERIFY2(!failures.isEmpty(), qPrintable(QStringLiteral("till %1 never noticed").arg(till->number())));
            for (const QByteArray &failure : failures)
                QVERIFY2(saysConnectionLost(QString::fromUtf8(failure)), failure.constData());
            qInfo("till %d: %lld sales, %lld failed commands", till->number(),
                  static_cast<long long>(till->reported("sold").size()), static_cast<long long>(failures.size()));
        }

        // Read on a connection made after the restart.
        std::unique_ptr<Database> db = ShopDatabase::open(shop.env.databasePath());
        QCOMPARE(checkBooks(*db), QString());
        for (auto &till : tills) {
            QCOMPARE(checkReported(*db, *till), QString());
            QCOMPARE(till->quit(), QString());
        }
    }
};

QTEST_GUILESS_MAIN(TestTillRestart)
#include "tst_tillrestart.moc"
