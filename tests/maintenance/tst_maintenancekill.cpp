// A backup killed half-way must never leave a target that passes for a good
// backup, a restore killed half-way must leave the old or the new database in
// place, never neither, and an import killed half-way leaves none or all of
// its rows.
#include "core/Database.h"
#include "core/ShopDatabase.h"
#include "maintenance/BackupFile.h"
#include "support/TestEnvironment.h"
#include "SheetWriter.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <signal.h>

using namespace quollin;

namespace {

qint64 goodsIn(const QString &path)
{
    auto db = Database::open(path, QByteArray(ShopDatabase::kKey));
    Statement s = db->prepare(QStringLiteral("SELECT count(*) FROM data"));
    return s.next() ? s.integer(0) : -1;
}

void fill(const QString &path, int rows)
{
    auto db = ShopDatabase::open(path);
    Transaction tx(*db);
    Statement s = db->prepare(QStringLiteral("INSERT INTO data (a,b,c,\"2\",\"7\",z,day1) VALUES (?,?,?,5,5,?,'2024-03-01')"));
    for (int i = 0; i < rows; ++i) {
        s.bind(1, QStringLiteral("商品%1").arg(i)).bind(2, QStringLiteral("规格%1").arg(i)).bind(3, QString::number(i));
        s.bind(4, QString(200, QLatin1Char('x')));
        s.exec();
        s.reset();
    }
    tx.commit();
}

quint32 chosenSeed()
{
    bool ok = false;
    const quint32 fixed = qEnvironmentVariable("QUOLLIN_MAINTENANCEKILL_SEED").toUInt(&ok);
    return ok ? fixed : QRandomGenerator::global()->generate();
}

// Starts the loop, lets it run for a random while and kills it.
bool runAndKill(const QStringList &arguments, QRandomGenerator &random)
{
    QProcess loop;
    loop.start(QStringLiteral(MAINTENANCE_LOOP_PATH), arguments);
    if (!loop.waitForReadyRead(20000))
        return false;
    QTest::qWait(int(random.bounded(30u, 600u)));
    if (loop.state() != QProcess::Running) {
        qWarning("%s", loop.readAllStandardError().constData());
        return false;
    }
    ::kill(pid_t(loop.processId()), SIGKILL);
    loop.waitForFinished(10000);
    return true;
}

} // namespace

class TestMaintenanceKill : public QObject {
    Q_OBJECT
private slots:
    void aKilledBackupNeverPassesForAGoodOne();
    void aKilledRestoreLeavesTheOldOrTheNewFile();
    void aKilledImportLeavesNoneOrAllOfItsRows();
};

void TestMaintenanceKill::aKilledBackupNeverPassesForAGoodOne()
{
    test::TestEnvironment env;
    fill(env.databasePath(), 20000);
    const QString target = env.path(QStringLiteral("beifen.db"));
    const quint32 seed = chosenSeed();
    QRandomGenerator random(seed);
    for (int round = 0; round < 12; ++round) {
        QVERIFY2(runAndKill({QStringLiteral("backup"), env.databasePath(), target}, random),
                 qPrintable(QStringLiteral("seed %1").arg(seed)));
        // No target, or a whole one.
        if (QFileInfo::exists(target)) {
            const BackupFile::Result r = BackupFile::verify(target);
            QVERIFY2(r.ok, qPrintable(QStringLiteral("seed %1, round %2: %3").arg(seed).arg(round).arg(r.reason)));
            QCOMPARE(goodsIn(target), 20000);
        }
    }
}

void TestMaintenanceKill::aKilledRestoreLeavesTheOldOrTheNewFile()
{
    test::TestEnvironment env;
    const QString one = env.path(QStringLiteral("one.db"));
    const QString two = env.path(QStringLiteral("two.db"));
    fill(one, 15000);
    fill(two, 3000);
    QVERIFY(QFile::copy(one, env.databasePath()));
    const quint32 seed = chosenSeed();
    QRandomGenerator random(seed);
    for (int round = 0; round < 12; ++round) {
        QVERIFY2(runAndKill({QStringLiteral("restore"), env.databasePath(), one, two}, random),
                 qPrintable(QStringLiteral("seed %1").arg(seed)));
        // Opened as the next start opens it: a restore killed half-way left
        // its journal, which this opening rolls back.
        const qint64 rows = goodsIn(env.databasePath());
        QVERIFY2(rows == 15000 || rows == 3000, qPrintable(QStringLiteral("seed %1: %2 rows").arg(seed).arg(rows)));
        const BackupFile::Result r = BackupFile::verify(env.databasePath());
        QVERIFY2(r.ok, qPrintable(QStringLiteral("seed %1, round %2: %3").arg(seed).arg(round).arg(r.reason)));
        // The dated copies of the replaced files pile up beside it; clear them
        // so that the folder stays small.
        for (const QString &name : QDir(env.path(QString())).entryList({QStringLiteral("data-恢复前-*")}, QDir::Files))
            QFile::remove(env.path(name));
    }
}

void TestMaintenanceKill::aKilledImportLeavesNoneOrAllOfItsRows()
{
    test::TestEnvironment env;
    constexpr int kRows = 2000;
    QJsonArray rows{test::goodsTitles()};
    for (int i = 0; i < kRows; ++i)
        rows.append(test::goodsRow(QStringLiteral("商品%1").arg(i), QStringLiteral("规格%1").arg(i % 9), 1 + i % 40,
                                   1 + i % 12, QStringLiteral("2024-03-01")));
    const QString book = env.path(QStringLiteral("goods.xls"));
    const QString written = test::writeWorkbook(book, {{QStringLiteral("morvel"), rows}});
    QVERIFY2(written.isEmpty(), qPrintable(written));
    { auto created = ShopDatabase::open(env.databasePath()); }
    const quint32 seed = chosenSeed();
    QRandomGenerator random(seed);
    qint64 before = 0;
    for (int round = 0; round < 12; ++round) {
        QVERIFY2(runAndKill({QStringLiteral("import"), env.databasePath(), book}, random),
                 qPrintable(QStringLiteral("seed %1").arg(seed)));
        const BackupFile::Result r = BackupFile::verify(env.databasePath());
        QVERIFY2(r.ok, qPrintable(QStringLiteral("seed %1, round %2: %3").arg(seed).arg(round).arg(r.reason)));
        // Every import that got in brought the whole sheet, none a part of it.
        const qint64 now = goodsIn(env.databasePath());
        QVERIFY2(now >= before && now % kRows == 0,
                 qPrintable(QStringLiteral("seed %1, round %2: %3 rows").arg(seed).arg(round).arg(now)));
        before = now;
    }
}

QTEST_GUILESS_MAIN(TestMaintenanceKill)
#include "tst_maintenancekill.moc"
