#include "core/GbkCodec.h"
#include "core/LevelTwoLists.h"
#include "core/PinyinInitials.h"

#include <QList>
#include <QSet>
#include <QStringView>
#include <QTest>

using namespace quollin;
using namespace Qt::StringLiterals;

class TestPinyinInitials : public QObject {
    Q_OBJECT

private slots:
    void initials_data();
    void initials();
    void characters_data();
    void characters();
    void levelTwoLookupTakesWholeCellsOnly();
    void listsFileEachCharacterOnce();
    void passThroughSetSize();
};

void TestPinyinInitials::initials_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("first level") << u"可口可乐"_s << u"kkkl"_s;
    QTest::newRow("latin keeps case") << u"ABC饼干dn"_s << u"ABCbgdn"_s;
    QTest::newRow("digits and point") << u"3.5寸"_s << u"3.5c"_s;
    QTest::newRow("blank before digit") << u"可乐 500ml"_s << u"kl500ml"_s;
    QTest::newRow("blank before chinese") << u"饼干 苹果"_s << u"bgpg"_s;
    QTest::newRow("kept punctuation")
        << u"!.#$%()*+-,/[\\|^~`@{}_"_s << u"!.#$%()*+-,/[\\|^~`@{}_"_s;
    QTest::newRow("dropped bytes") << u"a:b;c<d=e>f?g&h]i'j\"k\tl"_s << u"abcdefghijkl"_s;
    QTest::newRow("dropped before chinese") << u"<可>乐"_s << u"kl"_s;
    QTest::newRow("no-list keeps step") << u"嗯嗯好"_s << u"!!h"_s;
    QTest::newRow("emoji") << u"饼😀干"_s << u"b!g"_s;
    QTest::newRow("hangul") << u"한"_s << u"!"_s;
    QTest::newRow("lone surrogate") << (u"糖"_s + QChar(0xD800) + u"果"_s) << u"t!g"_s;
    // GBK holds these, but they are neither first- nor second-level GB2312.
    QTest::newRow("fullwidth latin") << u"ＡＢ"_s << u"!!"_s;
    QTest::newRow("gbk-only in a second-level row") << u"镕"_s << u"!"_s;
    // B140 and C880 have first-level lead bytes but are GBK additions.
    QTest::newRow("gbk-only in a first-level row") << u"盄葊"_s << u"!!"_s;
    QTest::newRow("single byte above ascii") << u"5€"_s << u"5"_s;
}

void TestPinyinInitials::initials()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);

    const QString result = PinyinInitials(text);
    QCOMPARE(result, expected);

    qsizetype gbkLength = 0;
    for (const char32_t codePoint : QStringView(text).toUcs4())
        gbkLength += GbkBytes(codePoint).value_or(QByteArray(1, '?')).size();
    QVERIFY(result.size() <= gbkLength);
}

void TestPinyinInitials::characters_data()
{
    QTest::addColumn<QString>("character");
    QTest::addColumn<QString>("expected");

    // Edges of the first-level ranges.
    QTest::newRow("B0A1 first") << u"啊"_s << u"a"_s;
    QTest::newRow("B0C4 a ends") << u"澳"_s << u"a"_s;
    QTest::newRow("B0C5 b starts") << u"芭"_s << u"b"_s;
    QTest::newRow("C5BE p starts") << u"啪"_s << u"p"_s;
    QTest::newRow("D7F9 last") << u"座"_s << u"z"_s;
    QTest::newRow("below B0A1") << u"·"_s << u"!"_s;
    // Second level, from the lists.
    QTest::newRow("first cell D8A1") << u"亍"_s << u"c"_s;
    QTest::newRow("last cell F7FE") << u"齄"_s << u"z"_s;
    QTest::newRow("a") << u"锕"_s << u"a"_s;
    QTest::newRow("o, one of four") << u"耦"_s << u"o"_s;
    QTest::newRow("r") << u"髯"_s << u"r"_s;
    QTest::newRow("w") << u"佤"_s << u"w"_s;
    // Polyphones go to the first list in letter order that fits a reading...
    QTest::newRow("ba/pa") << u"钯"_s << u"b"_s;
    QTest::newRow("da/ta") << u"嗒"_s << u"d"_s;
    QTest::newRow("ji/qi") << u"亟"_s << u"j"_s;
    // ...except for readings the lists do not use.
    QTest::newRow("qian/xi") << u"茜"_s << u"x"_s;
    QTest::newRow("a/yan") << u"腌"_s << u"y"_s;
    QTest::newRow("o/wo") << u"喔"_s << u"w"_s;
    QTest::newRow("ga/jia/qie") << u"伽"_s << u"j"_s;
    QTest::newRow("in no list: radical") << u"丨"_s << u"!"_s;
    QTest::newRow("in no list: 嗯") << u"嗯"_s << u"!"_s;
    QTest::newRow("in no list: 铮") << u"铮"_s << u"!"_s;
    QTest::newRow("in no list: 麟") << u"麟"_s << u"!"_s;
}

void TestPinyinInitials::characters()
{
    QFETCH(QString, character);
    QFETCH(QString, expected);
    QCOMPARE(PinyinInitials(character), expected);
}

void TestPinyinInitials::levelTwoLookupTakesWholeCellsOnly()
{
    // A blank and a first byte, cells outside A1–FE, rows outside D8–F7, and
    // first level: none may find a list.
    const QList<QPair<int, int>> codes = {
        {0x20, 0xD8}, {0xD8, 0xA0}, {0xD8, 0xFF}, {0xD7, 0xFE}, {0xF8, 0xA1}, {0xB0, 0xA1}};
    for (const auto &[hi, lo] : codes)
        QVERIFY(!LevelTwoInitial(static_cast<unsigned char>(hi), static_cast<unsigned char>(lo)));
}

void TestPinyinInitials::listsFileEachCharacterOnce()
{
    QString letters;
    QSet<char32_t> seen;
    for (const LevelTwoList &list : LevelTwoLists()) {
        letters += QLatin1Char(list.letter);
        const QString text = QString::fromUtf8(list.characters.data(),
                                               qsizetype(list.characters.size()));
        for (const char32_t codePoint : QStringView(text).toUcs4()) {
            QVERIFY2(!seen.contains(codePoint), qPrintable(QString::number(codePoint, 16)));
            seen.insert(codePoint);
            const QByteArray bytes = GbkBytes(codePoint).value_or(QByteArray());
            QCOMPARE(bytes.size(), 2);
            QCOMPARE(LevelTwoInitial(static_cast<unsigned char>(bytes[0]),
                                     static_cast<unsigned char>(bytes[1]))
                         .value_or('\0'),
                     list.letter);
        }
    }
    QCOMPARE(letters, u"abcdefghjklmnopqrstwxyz"_s);
    QCOMPARE(seen.size(), 3008 - 93);
}

void TestPinyinInitials::passThroughSetSize()
{
    int kept = 0;
    for (int byte = 0; byte < 256; ++byte)
        kept += InPassThroughSet(static_cast<char>(byte)) ? 1 : 0;
    QCOMPARE(kept, 84);
}

QTEST_APPLESS_MAIN(TestPinyinInitials)
#include "tst_pinyininitials.moc"
