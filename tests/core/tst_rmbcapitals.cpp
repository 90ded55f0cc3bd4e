#include "core/RmbCapitals.h"

#include "support/ScriptedPrompter.h"

#include <QTest>

using namespace quollin;
using namespace Qt::StringLiterals;
using quollin::test::ScriptedPrompter;

class TestRmbCapitals : public QObject {
    Q_OBJECT

private slots:
    void capitals_data();
    void capitals();
    void refusals_data();
    void refusals();
    void quietlyGivesNoValueForARefusedText();
};

void TestRmbCapitals::capitals_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("expected");

    const auto row = [](const QString &amount, const QString &expected) {
        const QString name = amount.isEmpty() ? u"(empty)"_s
                             : amount.size() > 20 ? amount.left(20) + u"..."_s
                                                  : amount;
        QTest::newRow(qPrintable(name))
            << amount << expected;
    };
    row(u"0"_s, QString());
    row(u"0.00"_s, QString());
    row(QString(), QString());
    row(u"."_s, QString());
    row(u"0.05"_s, u"伍分"_s);
    row(u"0.5"_s, u"伍角"_s);
    row(u"0.10"_s, u"壹角"_s);
    row(u"0.53"_s, u"伍角叁分"_s);
    row(u"1"_s, u"壹元整"_s);
    row(u"1.05"_s, u"壹元零伍分"_s);
    row(u"1.999"_s, u"壹元玖角玖分"_s);
    row(u"10.5"_s, u"壹拾元伍角"_s);
    row(u"007.50"_s, u"柒元伍角"_s);
    row(u"105"_s, u"壹佰零伍元整"_s);
    row(u"100.01"_s, u"壹佰元零壹分"_s);
    row(u"120.00"_s, u"壹佰贰拾元整"_s);
    row(u"1010"_s, u"壹仟零壹拾元整"_s);
    row(u"23456.78"_s, u"贰万叁仟肆佰伍拾陆元柒角捌分"_s);
    row(u"100005"_s, u"壹拾万零伍元整"_s);
    row(u"101000"_s, u"壹拾万壹仟元整"_s);
    row(u"1000001"_s, u"壹佰万零壹元整"_s);
    row(u"20000000"_s, u"贰仟万元整"_s);
    row(u"100010000"_s, u"壹亿零壹万元整"_s);
    row(u"1000050000"_s, u"壹拾亿零伍万元整"_s);
    row(u"10000000000"_s, u"壹佰亿元整"_s);
    row(u"1000000000000"_s, u"壹万亿元整"_s);
    row(u"1"_s + QString(27, u'0'), u"壹仟亿亿亿元整"_s); // 28 yuan digits
    row(QString(40, u'0') + u"1.00"_s, u"壹元整"_s);
}

void TestRmbCapitals::capitals()
{
    QFETCH(QString, amount);
    QFETCH(QString, expected);

    ScriptedPrompter prompter;
    QCOMPARE(RmbCapitals(amount, prompter), expected);
    QCOMPARE(prompter.texts(), QStringList());
}

void TestRmbCapitals::refusals_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QStringList>("messages");

    const QString readError = u"读取错误，应为数字"_s;
    QTest::newRow("minus") << u"-5"_s << QStringList {u"45"_s, readError};
    QTest::newRow("exponent") << u"1E5"_s << QStringList {u"69"_s, readError};
    QTest::newRow("first bad byte only") << u"1 00,a"_s << QStringList {u"32"_s, readError};
    QTest::newRow("fullwidth digit") << u"５"_s << QStringList {u"163"_s, readError};
    QTest::newRow("not in gbk") << u"😀"_s << QStringList {u"63"_s, readError};
    QTest::newRow("two points") << u"1.2.3"_s << QStringList {readError};
    QTest::newRow("29 yuan digits") << (u"1"_s + QString(28, u'0')) << QStringList {readError};
}

void TestRmbCapitals::refusals()
{
    QFETCH(QString, amount);
    QFETCH(QStringList, messages);

    ScriptedPrompter prompter;
    QCOMPARE(RmbCapitals(amount, prompter), QString());
    QCOMPARE(prompter.texts(), messages);
    for (const auto &shown : prompter.shown)
        QCOMPARE(shown.kind, ScriptedPrompter::Kind::Information);
}

// Printed documents take the capitals without the routine's boxes.
void TestRmbCapitals::quietlyGivesNoValueForARefusedText()
{
    QCOMPARE(RmbCapitalsQuietly(u"105"_s), std::optional<QString>(u"壹佰零伍元整"_s));
    QCOMPARE(RmbCapitalsQuietly(u"0"_s), std::optional<QString>(QString()));
    QCOMPARE(RmbCapitalsQuietly(u"-8"_s), std::nullopt);
    QCOMPARE(RmbCapitalsQuietly(u"1.2.3"_s), std::nullopt);
}

QTEST_APPLESS_MAIN(TestRmbCapitals)
#include "tst_rmbcapitals.moc"
