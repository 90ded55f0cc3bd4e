#include "core/Money.h"
#include "core/NumberText.h"

#include <QtTest>

using namespace quollin;

class NumberTextTest : public QObject {
    Q_OBJECT

private slots:
    void generalFormat_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("3 x 2.5") << 3 * 2.5 << "7.5";
        QTest::newRow("0.1 x 3") << 0.1 * 3 << "0.3";
        QTest::newRow("whole") << 100.0 << "100";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("return") << -2.5 << "-2.5";
        QTest::newRow("price x qty") << 3.5 * 8 << "28";
        QTest::newRow("15 digits kept") << 123456789.123456 << "123456789.123456";
        QTest::newRow("16th digit rounds") << 0.1234567890123456 << "0.123456789012346";
        QTest::newRow("no exponent, large") << 1e20 << "100000000000000000000";
        QTest::newRow("no exponent, small") << 0.00001 << "0.00001";
        QTest::newRow("no grouping") << 1234567.0 << "1234567";
        QTest::newRow("rounding carries") << 0.9999999999999999 << "1";
    }
    void generalFormat()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(NumberText::general(value), text);
    }

    void fixedAndGridFormats_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("fixed2");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("quantity");
        QTest::newRow("whole") << 3.0 << "3.00" << "3" << "3";
        QTest::newRow("binary half 2.675") << 2.675 << "2.68" << "2.68" << "2.675";
        QTest::newRow("binary half 1.005") << 1.005 << "1.01" << "1.01" << "1.005";
        QTest::newRow("negative half") << -0.005 << "-0.01" << "-0.01" << "-0.005";
        QTest::newRow("tiny negative") << -0.001 << "0.00" << "0" << "-0.001";
        QTest::newRow("profit 10 - 3.333") << 6.667 << "6.67" << "6.67" << "6.667";
        QTest::newRow("carry to integer") << 9.999 << "10.00" << "10" << "9.999";
        QTest::newRow("quantity half") << 3.3335 << "3.33" << "3.33" << "3.334";
        QTest::newRow("noise") << 0.1 * 3 << "0.30" << "0.3" << "0.3";
        QTest::newRow("below one") << 0.5 << "0.50" << "0.5" << "0.5";
    }
    void fixedAndGridFormats()
    {
        QFETCH(double, value);
        QFETCH(QString, fixed2);
        QFETCH(QString, amount);
        QFETCH(QString, quantity);
        QCOMPARE(NumberText::fixed2(value), fixed2);
        QCOMPARE(NumberText::amount(value), amount);
        QCOMPARE(NumberText::quantity(value), quantity);
        QCOMPARE(NumberText::roundHalfAwayFromZero(value, 2), fixed2.toDouble());
    }

    void strictReader_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<double>("value");
        QTest::newRow("integer") << "12" << true << 12.0;
        QTest::newRow("decimal") << "12.5" << true << 12.5;
        QTest::newRow("leading point") << ".5" << true << 0.5;
        QTest::newRow("trailing point") << "5." << true << 5.0;
        QTest::newRow("negative") << "-3" << true << -3.0;
        QTest::newRow("plus") << "+2.5" << true << 2.5;
        QTest::newRow("outer blanks") << "  7 " << true << 7.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("blanks only") << "   " << false << 0.0;
        QTest::newRow("lone point") << "." << false << 0.0;
        QTest::newRow("two points") << "1.2.3" << false << 0.0;
        QTest::newRow("exponent") << "1e5" << false << 0.0;
        QTest::newRow("letters") << "12abc" << false << 0.0;
        QTest::newRow("inner blank") << "1 000" << false << 0.0;
        QTest::newRow("grouping comma") << "1,000" << false << 0.0;
        QTest::newRow("lone sign") << "-" << false << 0.0;
        QTest::newRow("double sign") << "--1" << false << 0.0;
        QTest::newRow("full-width digits") << QStringLiteral("１２") << false << 0.0;
        QTest::newRow("hex") << "0x10" << false << 0.0;
        QTest::newRow("infinity") << "inf" << false << 0.0;
        QTest::newRow("overflow") << QString(400, QLatin1Char('9')) << false << 0.0;
    }
    void strictReader()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(double, value);
        const auto parsed = NumberText::parseDecimal(text);
        QCOMPARE(parsed.has_value(), accepted);
        if (accepted)
            QCOMPARE(*parsed, value);
    }

    void moneyRoundsAsTheTextsShowAndAddsExactly()
    {
        // Every value of up to three decimals rounds to the fen the "0.00"
        // text shows, halves that binary puts just below included (2.675).
        for (int k = -20000; k <= 200000; ++k) {
            const double value = k / 1000.0;
            QCOMPARE(Money::fromValue(value).fixed2(), NumberText::fixed2(value));
        }
        QCOMPARE(Money::fromValue(2.675).fen(), 268);
        QCOMPARE(Money::fromValue(-0.005).fen(), -1);
        QCOMPARE(Money::fromValue(987654321098.765).fen(), Q_INT64_C(98765432109877));
        QCOMPARE(Money::fromValue(qQNaN()).fen(), 0);
        QVERIFY(!Money::fromText(QStringLiteral(".")));

        Money tenths;
        for (int i = 0; i < 10; ++i)
            tenths += Money::fromValue(0.1);
        QCOMPARE(tenths.general(), QStringLiteral("1"));
        const Money nothing = Money::fromValue(1.1) + Money::fromValue(2.2) - Money::fromValue(3.3);
        QVERIFY(nothing.isZero());
        QCOMPARE(nothing.general(), QStringLiteral("0"));
        QCOMPARE(Money::fromFen(-5).general(), QStringLiteral("-0.05"));
        QCOMPARE(Money::fromFen(-330).general(), QStringLiteral("-3.3"));
        QCOMPARE(Money::fromFen(-5).fixed2(), QStringLiteral("-0.05"));
        // Far beyond any shop: stays at the end instead of wrapping round.
        const Money most = Money::fromFen(std::numeric_limits<qint64>::max());
        QCOMPARE(most + Money::fromFen(1), most);
        QVERIFY(Money::fromFen(std::numeric_limits<qint64>::min()) - Money::fromFen(1) < Money());
    }
};

QTEST_APPLESS_MAIN(NumberTextTest)
#include "tst_numbertext.moc"
