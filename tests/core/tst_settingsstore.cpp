#include "core/SettingsStore.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QtTest>

using namespace quollin;
using quollin::test::TestEnvironment;

class SettingsStoreTest : public QObject {
    Q_OBJECT

private slots:
    void readingNeverCreatesTheStore()
    {
        TestEnvironment env;
        SettingsStore store(env.settingsPath());
        QVERIFY(!store.exists());
        QCOMPARE(store.read(QStringLiteral("number")), QString());
        const auto many = store.read(QStringList{QStringLiteral("skin"), QStringLiteral("danhao")});
        QCOMPARE(many.value(QStringLiteral("skin")), QString());
        QCOMPARE(many.size(), 2);
        QVERIFY(!store.exists());
        QVERIFY(!QFile::exists(env.settingsPath()));
    }

    void firstWriteCreatesTheStoreAndOthersStayDefault()
    {
        TestEnvironment env;
        SettingsStore store(env.settingsPath());
        QVERIFY(store.write(QStringLiteral("number"), QStringLiteral("0")));
        QVERIFY(store.exists());

        // A later start, another object: the one value and empty for the rest.
        SettingsStore later(env.settingsPath());
        QCOMPARE(later.read(QStringLiteral("number")), QStringLiteral("0"));
        QCOMPARE(later.read(QStringLiteral("skin")), QString());
    }

    void valuesRoundTripAsWrittenAndLastWriteWins_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("chinese") << QStringLiteral("布伦尼克百货商店");
        QTest::newRow("comma") << QStringLiteral("北京市, 朝阳区 电话:010-1234");
        QTest::newRow("windows path") << QStringLiteral("D:\\beifen.mdb");
        QTest::newRow("quotes and equals") << QStringLiteral("a=\"b\";c");
        QTest::newRow("leading blanks") << QStringLiteral("  欢迎光临  ");
        QTest::newRow("number text") << QStringLiteral("007");
    }
    void valuesRoundTripAsWrittenAndLastWriteWins()
    {
        QFETCH(QString, value);
        TestEnvironment env;
        SettingsStore first(env.settingsPath());
        SettingsStore second(env.settingsPath());
        first.write(QStringLiteral("address"), QStringLiteral("old"));
        second.write(QStringLiteral("address"), value);
        QCOMPARE(first.read(QStringLiteral("address")), value);
        first.write(QStringLiteral("address"), QString());
        QCOMPARE(second.read(QStringLiteral("address")), QString());
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"
