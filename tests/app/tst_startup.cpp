#include "app/StartupOptions.h"
#include "core/DatabaseLocation.h"
#include "core/ShopDatabase.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

using namespace quollin;
using quollin::test::TestEnvironment;

class StartupTest : public QObject {
    Q_OBJECT

private:
    // Runs the program itself without a display, so that a refusal ends it at
    // once instead of waiting in a message box.
    static int runProgram(const TestEnvironment &env, const QStringList &arguments, QString *errorOutput)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QUOLLIN_DATABASE"})
            environment.remove(QLatin1String(name));
        environment.insert(QStringLiteral("HOME"), env.path(QStringLiteral("home")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), env.path(QStringLiteral("home/data")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), env.path(QStringLiteral("home/config")));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(QUOLLIN_PROGRAM), arguments);
        if (!program.waitForFinished(60000))
            return -1;
        *errorOutput = QString::fromLocal8Bit(program.readAllStandardError());
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }

private slots:
    void onlyTheDefaultLocationOrNewCreatesAMissingFile_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QString>("expectedPath"); // relative to the current folder; empty: the default
        QTest::addColumn<bool>("mayCreate");

        QTest::newRow("default") << QStringList() << QString() << QString() << true;
        QTest::newRow("--database") << QStringList{QStringLiteral("--database"), QStringLiteral("shop/x.db")}
                                    << QString() << QStringLiteral("shop/x.db") << false;
        QTest::newRow("--database=") << QStringList{QStringLiteral("--database=y.db")} << QString()
                                     << QStringLiteral("y.db") << false;
        QTest::newRow("environment") << QStringList() << QStringLiteral("env.db") << QStringLiteral("env.db") << false;
        QTest::newRow("command line wins") << QStringList{QStringLiteral("--database"), QStringLiteral("cmd.db")}
                                           << QStringLiteral("env.db") << QStringLiteral("cmd.db") << false;
        QTest::newRow("--new") << QStringList{QStringLiteral("--new"), QStringLiteral("--database"), QStringLiteral("n.db")}
                               << QString() << QStringLiteral("n.db") << true;
        QTest::newRow("--new, environment") << QStringList{QStringLiteral("--new")} << QStringLiteral("env.db")
                                            << QStringLiteral("env.db") << true;
    }
    void onlyTheDefaultLocationOrNewCreatesAMissingFile()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, environment);
        QFETCH(QString, expectedPath);
        QFETCH(bool, mayCreate);
        TestEnvironment env;
        const StartupOptions options = StartupOptions::parse(QStringList{QStringLiteral("quollin")} + arguments, environment);
        QVERIFY2(options.error.isEmpty(), qPrintable(options.error));
        QCOMPARE(options.databasePath, expectedPath.isEmpty() ? DatabaseLocation::defaultPath()
                                                              : QDir::current().absoluteFilePath(expectedPath));
        QCOMPARE(options.mayCreateDatabase, mayCreate);
    }

    void unreadableCommandLineIsReported()
    {
        const StartupOptions options = StartupOptions::parse({QStringLiteral("quollin"), QStringLiteral("--datbase=x.db")}, {});
        QVERIFY(!options.error.isEmpty());
        QVERIFY(!options.mayCreateDatabase);
    }

    void programRefusesAMissingFileAndCreatesItWithNew()
    {
        TestEnvironment env;
        const QString path = env.path(QStringLiteral("mnt/usb/data.db"));
        QString errors;
        QCOMPARE(runProgram(env, {QStringLiteral("--database"), path}, &errors), 1);
        QVERIFY2(errors.contains(QStringLiteral("数据库文件不存在：") + path), qPrintable(errors));
        QVERIFY2(errors.contains(QLatin1String("--new")), qPrintable(errors));
        QVERIFY(!QFileInfo::exists(env.path(QStringLiteral("mnt"))));

        // On purpose: the shop is made, then the run ends for want of a display.
        QCOMPARE(runProgram(env, {QStringLiteral("--new"), QStringLiteral("--database"), path}, &errors), 1);
        QVERIFY(QFileInfo::exists(path));
        ShopDatabase::open(path, ShopDatabase::IfMissing::Refuse).reset();

        // A foreign file is reported in Chinese, engine words after, and left alone.
        const QString foreign = env.path(QStringLiteral("notes.db"));
        QFile file(foreign);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("shopping list\n").repeated(400));
        file.close();
        QCOMPARE(runProgram(env, {QStringLiteral("--database"), foreign}, &errors), 1);
        QVERIFY2(errors.contains(QStringLiteral("这个文件不是本程序的数据库文件")), qPrintable(errors));
        QVERIFY2(errors.contains(QStringLiteral("not a database）")), qPrintable(errors));
        QCOMPARE(quollin::test::fileBytes(foreign), QByteArray("shopping list\n").repeated(400));
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
