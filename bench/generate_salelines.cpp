#include "SaleLineGenerator.h"
#include "GoodsGenerator.h"

#include "core/Database.h"
#include "core/NumberText.h"
#include "core/ShopDatabase.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringList>

#include <cstdio>
#include <memory>
#include <vector>

namespace quollin {

namespace {

const QStringList kSurnames = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                               "徐", "孙", "马", "朱", "胡", "郭", "何", "高", "林", "罗"};
const QStringList kGiven = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳",
                            "杰", "娟", "涛", "明", "超", "秀英", "霞", "平", "刚", "桂英"};
const QStringList kShops = {"便利店", "超市", "小卖部", "餐馆", "食堂", "批发部"};
const QStringList kDistricts = {"城关镇", "东城区", "西城区", "南湖街道", "北山乡", "新华路", "建设路", "人民路"};

struct Customer {
    QString name, address, phone, remark;
};

struct GoodsRow {
    qint64 id;
    QString a, b, c, d, e, f, day1;
    double purchase, suggested;
};

std::vector<Customer> makeCustomers(QRandomGenerator &random)
{
    // Person names (surname × given name) and shop names (place × kind):
    // 20 × 22 + 20 × 22 × 6 gives about three thousand distinct customers.
    std::vector<Customer> out;
    for (const QString &s : kSurnames)
        for (const QString &g : kGiven) {
            out.push_back({s + g, {}, {}, {}});
            for (const QString &shop : kShops)
                out.push_back({s + g + shop, {}, {}, {}});
        }
    for (Customer &c : out) {
        c.address = kDistricts.at(int(random.bounded(quint32(kDistricts.size()))))
                    + QStringLiteral("%1号").arg(random.bounded(1, 300));
        c.phone = QStringLiteral("13%1").arg(random.bounded(1000000000), 9, 10, QLatin1Char('0'));
        if (random.bounded(8) == 0)
            c.remark = QStringLiteral("月结");
    }
    return out;
}

std::vector<GoodsRow> readGoods(Database &db)
{
    std::vector<GoodsRow> out;
    Statement s = db.prepare(QStringLiteral("SELECT ID,a,b,c,d,e,f,\"1\",\"4\",day1 FROM data"));
    while (s.next())
        out.push_back({s.integer(0), s.text(1), s.text(2), s.text(3), s.text(4), s.text(5), s.text(6),
                       s.text(9), s.real(7), s.real(8)});
    return out;
}

double asText(double v) { return NumberText::parseDecimal(NumberText::general(v)).value_or(v); }

} // namespace

void generateSaleLines(Database &db, int lines, quint32 seed, QDate first)
{
    QRandomGenerator random(seed);
    const std::vector<GoodsRow> goods = readGoods(db);
    if (goods.empty())
        throw DbError(QStringLiteral("no goods rows to sell"));
    const std::vector<Customer> customers = makeCustomers(random);
    const Customer walkIn;

    Transaction transaction(db);
    Statement insert = db.prepare(QStringLiteral(
        "INSERT INTO data1 (a,b,c,d,e,f,g,h,i,j,z,\"1\",\"2\",\"3\",\"4\",a5,\"6\",day1,day2,goods_id) "
        "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));

    const int days = 3 * 365;
    int written = 0;
    QDate currentDay;
    int serial = 0;
    while (written < lines) {
        // Lines are spread evenly over the days, in date order as a shop
        // enters them.
        const QDate day = first.addDays(qint64(written) * days / lines);
        if (day != currentDay) {
            currentDay = day;
            serial = 0;
        }
        ++serial;
        const QString slip = day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("%1").arg(serial, 3, 10, QLatin1Char('0'));
        const QString dayText = day.toString(Qt::ISODate);
        // A fifth of the slips are walk-in customers without a name.
        const Customer &customer = random.bounded(5) == 0
                                       ? walkIn
                                       : customers[random.bounded(quint32(customers.size()))];
        const bool onAccount = random.bounded(20) == 0;
        const int slipLines = int(random.bounded(1, 7));
        for (int n = 0; n < slipLines && written < lines; ++n, ++written) {
            const GoodsRow &g = goods[random.bounded(quint32(goods.size()))];
            double q = double(random.bounded(1, 11));
            if (random.bounded(30) == 0)
                q = -q; // a return
            // Mostly the suggested price, sometimes a discount.
            const int discount = random.bounded(4) == 0 ? int(random.bounded(80, 100)) : 100;
            const double p = asText(g.suggested * discount / 100);
            const double amount = asText(p * q);
            const double profit = NumberText::roundHalfAwayFromZero((p - g.purchase) * q, 2);
            insert.bind(1, g.a).bind(2, g.b).bind(3, g.c).bind(4, g.d).bind(5, g.e).bind(6, g.f);
            insert.bind(7, customer.name).bind(8, customer.address).bind(9, customer.phone).bind(10, customer.remark);
            insert.bind(11, slip).bind(12, g.purchase).bind(13, p).bind(14, q).bind(15, amount).bind(16, profit);
            insert.bind(17, onAccount ? amount : 0.0).bind(18, dayText).bind(19, g.day1).bind(20, g.id);
            insert.exec();
            insert.reset();
        }
    }
    transaction.commit();
}

QDate threeYearsToThisMonth()
{
    const QDate today = QDate::currentDate();
    const QDate last = QDate(today.year(), today.month(), 1).addMonths(1).addDays(-1);
    return last.addDays(-(3 * 365 - 1));
}

void generateShopFile(const QString &path, int goods, int lines, QDate first)
{
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<Database> db = ShopDatabase::open(path);
    // A larger cache only while filling the file.
    db->execScript(QStringLiteral("PRAGMA cache_size=-524288"));
    generateGoods(*db, goods, 20161208);
    generateSaleLines(*db, lines, 20240305, first);
    // The timed work starts from an empty log, not behind the generation.
    db->execScript(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    std::fprintf(stderr, "generated %d goods rows and %d sale lines in %.1f s\n", goods, lines,
                 double(clock.elapsed()) / 1000);
}

namespace {

// Raise this whenever the generators make different rows for the same seed.
constexpr int kGeneratorVersion = 1;

QString cacheFolder()
{
    const QString chosen = qEnvironmentVariable("QUOLLIN_BENCH_CACHE");
    return chosen.isEmpty() ? QStringLiteral("/var/tmp/quollin-bench") : chosen;
}

} // namespace

bool copyCachedShopFile(const QString &path, int goods, int lines, QDate first)
{
    const QDir folder(cacheFolder());
    if (!QDir().mkpath(folder.path()))
        throw DbError(QStringLiteral("cannot create %1").arg(folder.path()));
    const QString cached = folder.filePath(QStringLiteral("shop-g%1-l%2-%3-v%4.db")
                                               .arg(goods)
                                               .arg(lines)
                                               .arg(first.toString(QStringLiteral("yyyyMMdd")))
                                               .arg(kGeneratorVersion));
    const bool generate = !QFile::exists(cached);
    if (generate) {
        // Built under another name and renamed when complete, so an
        // interrupted generation is never taken for a finished file.
        const QString partial = cached + QStringLiteral(".partial");
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(partial + QLatin1String(suffix));
        generateShopFile(partial, goods, lines, first);
        if (QFile::exists(partial + QStringLiteral("-wal")) || !QFile::rename(partial, cached))
            throw DbError(QStringLiteral("cannot finish %1").arg(cached));
    } else {
        // A file cached by an older program gets the indexes of today's once
        // here, not at the opening that is timed.
        std::unique_ptr<Database> db = ShopDatabase::open(cached);
        db->execScript(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    if (!QFile::copy(cached, path))
        throw DbError(QStringLiteral("cannot copy %1 to %2").arg(cached, path));
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return generate;
}

std::vector<qint64> goodsWithStock(Database &db, size_t most)
{
    std::vector<qint64> goods;
    Statement ids = db.prepare(QStringLiteral("SELECT \"ID\" FROM data WHERE \"7\" >= 1 ORDER BY \"ID\""));
    while (ids.next())
        goods.push_back(ids.integer(0));
    QRandomGenerator random(7);
    for (size_t i = goods.size(); i > 1; --i)
        std::swap(goods[i - 1], goods[random.bounded(quint32(i))]);
    goods.resize(std::min(goods.size(), most));
    return goods;
}

} // namespace quollin
