#include "core/Database.h"
#include "core/DistinctValues.h"
#include "core/ShopDatabase.h"
#include "core/TextCollation.h"
#include "support/TestEnvironment.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

using namespace quollin;
using quollin::test::TestEnvironment;

namespace {

QStringList sorted(QStringList texts)
{
    std::stable_sort(texts.begin(), texts.end(), [](const QString &a, const QString &b) {
        return TextCollation::less(a, b);
    });
    return texts;
}

int sign(int v) { return (v > 0) - (v < 0); }

} // namespace

class TextCollationTest : public QObject {
    Q_OBJECT

private slots:
    void chineseByPinyinAfterLatin()
    {
        QCOMPARE(sorted({"张", "李", "王"}), QStringList({"李", "王", "张"}));
        QCOMPARE(sorted({"铅笔", "锤子"}), QStringList({"锤子", "铅笔"}));
        QCOMPARE(sorted({"可乐", "cola", "阿胶", "Coke", "2号", "", "-", "Ωmega", "𠀀"}),
                 QStringList({"", "-", "2号", "Coke", "cola", "Ωmega", "阿胶", "可乐", "𠀀"}));
    }

    void onlyLetterCaseMakesTextsEqual_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("equal");
        QTest::newRow("case") << "Coke" << "coKE" << true;
        QTest::newRow("accented case") << "CAFÉ" << "café" << true;
        QTest::newRow("longer") << "Coke" << "Cokes" << false;
        QTest::newRow("full width") << "Ａ" << "A" << false;
        QTest::newRow("zero width") << "a\u200Bb" << "ab" << false;
        QTest::newRow("control") << "ab\u0001" << "ab" << false;
        QTest::newRow("decomposed") << "e\u0301" << "é" << false;
        QTest::newRow("accent") << "e" << "é" << false;
        QTest::newRow("empty") << "" << "\u200B" << false;
    }

    void onlyLetterCaseMakesTextsEqual()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, equal);
        const int ab = TextCollation::compare(a, b);
        QCOMPARE(ab == 0, equal);
        QCOMPARE(TextCollation::compare(b, a), -ab);
        QCOMPARE(TextCollation::compareUtf8(a.toUtf8(), b.toUtf8()), ab);

        // Through the engine, which groups and matches by the same order.
        TestEnvironment env;
        auto db = ShopDatabase::open(env.databasePath());
        Statement insert = db->prepare(QStringLiteral("INSERT INTO data (d) VALUES (:d)"));
        for (const QString &text : {a, b, a}) {
            insert.reset();
            insert.bind(":d", text).exec();
        }
        QCOMPARE(DistinctValues(*db, QStringLiteral("d"), QStringLiteral("data")).size(), equal ? 1 : 2);
        Statement match = db->prepare(QStringLiteral("SELECT count(*) FROM data WHERE d = :d")
                                      + TextCollation::clause());
        match.bind(":d", b);
        QVERIFY(match.next());
        QCOMPARE(match.integer(0), equal ? 3 : 1);
    }

    // Plain ASCII takes a shortcut past the collator; it must give the
    // collator's answers. Every text of up to two characters, controls among
    // them, in the collator's order, then random texts.
    void asciiShortcutGivesTheCollatorsOrder()
    {
        QStringList texts{QString()};
        for (char16_t c = 0; c < 128; ++c) {
            texts << QString(QChar(c));
            for (char16_t d = 0; d < 128; ++d)
                texts << QString(QChar(c)) + QChar(d);
        }
        std::sort(texts.begin(), texts.end(),
                  [](const QString &a, const QString &b) { return TextCollation::compareByCollator(a, b) < 0; });
        for (qsizetype i = 1; i < texts.size(); ++i) {
            const QString &a = texts[i - 1];
            const QString &b = texts[i];
            const int expected = TextCollation::compareByCollator(a, b);
            if (TextCollation::compare(a, b) != expected || TextCollation::compare(b, a) != -expected
                || TextCollation::compareUtf8(a.toUtf8(), b.toUtf8()) != expected)
                QFAIL(qPrintable(QStringLiteral("%1 / %2").arg(QString::fromLatin1(a.toUtf8().toHex()),
                                                                 QString::fromLatin1(b.toUtf8().toHex()))));
        }

        QRandomGenerator random(20161208);
        const QString alphabet = QStringLiteral("aAbBzZ09 -_.,'!~`\t\u0001\u007f");
        auto text = [&] {
            QString t;
            for (int n = int(random.bounded(6)); n > 0; --n)
                t += alphabet.at(int(random.bounded(quint32(alphabet.size()))));
            return t;
        };
        for (int i = 0; i < 50000; ++i) {
            const QString a = text();
            const QString b = text();
            const int expected = TextCollation::compareByCollator(a, b);
            QCOMPARE(TextCollation::compare(a, b), expected);
            QCOMPARE(TextCollation::compareUtf8(a.toUtf8(), b.toUtf8()), expected);
            QCOMPARE(TextCollation::compareUtf8ByCollator(a.toUtf8(), b.toUtf8()), expected);
        }
    }

    // Sorting many texts by their places gives the order of compare().
    void placesFollowCompare()
    {
        QRandomGenerator random(7);
        const QStringList pieces = {"a", "A", "b", "Ａ", "é", "E\u0301", "\u200B", "张", "長", "长", "李", "1", "-",
                                    "\U00020000", "ß", "SS", ""};
        std::vector<QString> texts;
        for (int i = 0; i < 400; ++i) {
            QString t;
            for (int n = int(random.bounded(4)); n > 0; --n)
                t += pieces.at(int(random.bounded(quint32(pieces.size()))));
            texts.push_back(t);
        }
        const std::vector<quint32> places = TextCollation::places(texts);
        for (size_t a = 0; a < texts.size(); ++a)
            for (size_t b = 0; b < texts.size(); ++b)
                if (sign(int(places[a]) - int(places[b])) != TextCollation::compare(texts[a], texts[b]))
                    QFAIL(qPrintable(texts[a] + QStringLiteral(" / ") + texts[b]));
    }

    // The engine's order (UTF-8) and the grid's (UTF-16) are one order.
    void utf8AndUtf16GiveOneOrder()
    {
        const QStringList texts = {"张三", "張三", "zhang", "ZHANG", "Ｚhang", "𠀀", "\U0001F600", "ß", "ss",
                                   "ǅ", "Ǆ", "ǆ", "İ", "i", "ı", "\uFEFFa", "a", "行", "银行", "", "0", "０"};
        for (const QString &a : texts)
            for (const QString &b : texts)
                QCOMPARE(TextCollation::compareUtf8(a.toUtf8(), b.toUtf8()),
                         sign(TextCollation::compare(a, b)));
    }
};

QTEST_GUILESS_MAIN(TextCollationTest)
#include "tst_textcollation.moc"
