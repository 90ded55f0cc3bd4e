#include "core/Schema.h"
#include "core/ShopDatabase.h"
#include "maintenance/MoveToServer.h"
#include "support/ShopFixture.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QtTest>

using namespace quollin;
using quollin::test::ShopFixture;
using quollin::test::TestEnvironment;

namespace {

// Each row as comparable text, ordered by its key: numbers by value, so that
// 8 and 8.0 agree across the engines.
QList<QStringList> rowsOf(Database &db, const QString &table, const QStringList &columns)
{
    QStringList quoted;
    for (const QString &column : columns)
        quoted << Schema::quoted(column);
    Statement s = db.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                 .arg(quoted.join(QLatin1Char(',')), table, quoted.first()));
    QList<QStringList> rows;
    while (s.next()) {
        QStringList row;
        for (int i = 0; i < columns.size(); ++i) {
            if (s.isNull(i))
                row << QStringLiteral("<null>");
            else if (s.isNumber(i))
                row << QString::number(s.real(i), 'g', 17);
            else
                row << QLatin1Char('\'') + s.text(i);
        }
        rows << row;
    }
    return rows;
}

QList<QPair<QString, QStringList>> shopTables()
{
    return {{QStringLiteral("data"), Schema::goodsColumns()},
            {QStringLiteral("data1"), Schema::saleLineColumns()},
            {QStringLiteral("userdb"), QStringList{QStringLiteral("rowid")} + Schema::userColumns()},
            {QStringLiteral("rz"), Schema::logColumns()}};
}

int runProgram(const QStringList &arguments, QString *output)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUOLLIN_PROGRAM), arguments);
    if (!program.waitForFinished(120000))
        return -1;
    *output = QString::fromUtf8(program.readAllStandardOutput() + program.readAllStandardError());
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
}

qint64 integerOf(Database &db, const QString &sql)
{
    Statement s = db.prepare(sql);
    return s.next() ? s.integer(0) : -1;
}

SaleInput saleOf(qint64 goods, const QString &quantity, const QString &slip)
{
    SaleInput in;
    in.goodsId = goods;
    in.price = QStringLiteral("8.5");
    in.quantity = quantity;
    in.arrears = QStringLiteral("0");
    in.saleDate = QStringLiteral("2024-03-05");
    in.slipNumber = slip;
    in.customer = QStringLiteral("张三");
    return in;
}

} // namespace

class MoveToServerTest : public QObject {
    Q_OBJECT

private slots:
    void movesEveryRowWithItsKey();
    void leavesTheServerAsItWasWhenRefusedOrStopped();
};

void MoveToServerTest::movesEveryRowWithItsKey()
{
    TestEnvironment env;
    const QString file = env.path(QStringLiteral("shop.db"));
    const QString server = env.databasePath();
    qint64 goods = 0, oddGoods = 0, spacedLine = 0, returnLine = 0, highestHandedOut = 0;
    {
        ShopFixture shop(file, env.settingsPath());
        // Added after the super administrator, named to sort before it.
        shop.addOperator(QStringLiteral("b收银"));
        shop.addOperator(QStringLiteral("a收银"));
        QVERIFY(shop.signIn());
        GoodsRecord pen = ShopFixture::boughtIn(QStringLiteral("钢笔"), 3.3, 10);
        goods = shop.seedGoods(pen);
        pen.name = QStringLiteral("铅笔");
        oddGoods = shop.seedGoods(pen);
        const SaleResult first = shop.shop().sales().confirm(saleOf(goods, QStringLiteral("3"), QStringLiteral("20240305001")));
        QVERIFY2(first.ok, qPrintable(first.message));
        spacedLine = first.lineId;
        const SaleResult back = shop.shop().sales().confirm(saleOf(goods, QStringLiteral("-1"), QStringLiteral("20240305002")));
        QVERIFY(back.ok);
        returnLine = back.lineId;
        const SaleResult last = shop.shop().sales().confirm(saleOf(goods, QStringLiteral("2"), QStringLiteral("20240305003")));
        QVERIFY(last.ok);
        // The last line is deleted: its key must not come back.
        highestHandedOut = last.lineId;
        shop.db().prepare(QStringLiteral("DELETE FROM data1 WHERE ID = :id")).bind(":id", last.lineId).exec();
        // Text in number columns: a price typed with a full-width blank (the
        // engine keeps it as text), a word, and a goods key that is no number;
        // and an amount beyond any sum in fen.
        shop.db().prepare(QStringLiteral("UPDATE data1 SET \"4\" = :t WHERE ID = :id"))
            .bind(":t", QStringLiteral("12.5\u3000")).bind(":id", spacedLine).exec();
        shop.db().prepare(QStringLiteral("UPDATE data SET \"2\" = 'abc', \"8\" = 1e20 WHERE ID = :id")).bind(":id", oddGoods).exec();
        shop.db().prepare(QStringLiteral("UPDATE data1 SET goods_id = '第一' WHERE ID = :id")).bind(":id", returnLine).exec();
    }
    const QByteArray before = test::fileBytes(file);

    QString output;
    QCOMPARE(runProgram({QStringLiteral("--database"), file, QStringLiteral("--move-to-server"), server}, &output), 0);
    QVERIFY2(output.contains(QStringLiteral("“abc”")) && output.contains(QStringLiteral("“第一”")), qPrintable(output));
    QCOMPARE(test::fileBytes(file), before);

    auto from = Database::open(file, QByteArray(ShopDatabase::kKey), Database::OpenMode::ReadOnly);
    auto to = Database::open(server, QByteArray());
    for (const auto &[table, columns] : shopTables()) {
        QList<QStringList> expected = rowsOf(*from, table, columns);
        QVERIFY(!expected.isEmpty());
        // What the three odd cells became.
        for (QStringList &row : expected) {
            const qint64 key = row.first().toLongLong();
            if (table == QLatin1String("data") && key == oddGoods)
                row[columns.indexOf(QStringLiteral("2"))] = QStringLiteral("<null>");
            if (table == QLatin1String("data1") && key == spacedLine)
                row[columns.indexOf(QStringLiteral("4"))] = QStringLiteral("12.5");
            if (table == QLatin1String("data1") && key == returnLine)
                row[columns.indexOf(QStringLiteral("goods_id"))] = QStringLiteral("<null>");
        }
        QCOMPARE(rowsOf(*to, table, columns), expected);
    }
    QCOMPARE(integerOf(*to, QStringLiteral("SELECT sum(fen(\"4\")) FROM data1")),
             integerOf(*from, QStringLiteral("SELECT sum(fen(\"4\")) FROM data1")));
    to.reset();

    // The tills go on on the server: a sign-in logs a row, a sale adds a line,
    // each under a key of its own.
    ShopFixture till(server, env.settingsPath());
    QVERIFY(till.signIn());
    const SaleResult sold = till.shop().sales().confirm(saleOf(goods, QStringLiteral("1"), QStringLiteral("20240305004")));
    QVERIFY2(sold.ok, qPrintable(sold.message));
    QVERIFY(sold.lineId > highestHandedOut);
}

void MoveToServerTest::leavesTheServerAsItWasWhenRefusedOrStopped()
{
    TestEnvironment env;
    const QString file = env.path(QStringLiteral("shop.db"));
    ShopFixture shop(file, env.settingsPath());
    shop.addOperator(QStringLiteral("收银"));
    QVERIFY(shop.signIn(QStringLiteral("收银")));
    GoodsRecord pen;
    pen.name = QStringLiteral("钢笔");
    shop.seedGoods(pen);

    // Somebody else's database.
    auto other = Database::open(env.databasePath(), QByteArray());
    other->execScript(QStringLiteral("CREATE TABLE notes (x integer); INSERT INTO notes VALUES (7)"));
    QString output;
    QCOMPARE(runProgram({QStringLiteral("--database"), file, QStringLiteral("--move-to-server"), env.databasePath()}, &output), 1);
    QCOMPARE(integerOf(*other, QStringLiteral("SELECT count(*) FROM information_schema.tables "
                                              "WHERE table_schema = current_schema()")), 1);
    QCOMPARE(integerOf(*other, QStringLiteral("SELECT sum(x) FROM notes")), 7);

    // An empty one, but the operator may not, or stops half-way.
    other->execScript(QStringLiteral("DROP TABLE notes"));
    QVERIFY_THROWS_EXCEPTION(NotPermitted, MoveToServer(shop.shop()).moveTo(env.databasePath()));
    const MoveToServer::Report stopped =
        MoveToServer::run(file, env.databasePath(), [](qint64 copied, qint64) { return copied == 0; });
    QVERIFY(!stopped.ok);
    QVERIFY(Schema::isEmptyServer(*other));
}

QTEST_GUILESS_MAIN(MoveToServerTest)
#include "tst_movetoserver.moc"
