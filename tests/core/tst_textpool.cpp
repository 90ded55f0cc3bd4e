#include "core/TextPool.h"

#include <QtTest>

using namespace quollin;

class TextPoolTest : public QObject {
    Q_OBJECT

private slots:
    void repeatedTextsShareOneEntryAndConvertExactly()
    {
        TextPool pool;
        const QByteArray name = QStringLiteral("康师傅方便面").toUtf8();
        const quint32 first = pool.add(QByteArrayView(name));
        // A different buffer with the same bytes, as the engine hands out per row.
        const QByteArray again(name.constData(), name.size());
        QCOMPARE(pool.add(QByteArrayView(again)), first);
        QCOMPARE(pool.text(first), QStringLiteral("康师傅方便面"));
        QCOMPARE(pool.take(QByteArrayView(again)).constData(), pool.text(first).constData());
        const quint32 ml = pool.add(QByteArrayView("500ml"));
        QCOMPARE(pool.text(ml), QStringLiteral("500ml"));
        QCOMPARE(pool.distinct(), 2);

        QCOMPARE(pool.add(QByteArrayView()), 0u);
        QVERIFY(pool.text(0).isNull());
        const quint32 empty = pool.add(QByteArrayView("", 0));
        QVERIFY(empty != 0);
        QVERIFY(pool.text(empty).isEmpty());
        QVERIFY(!pool.text(empty).isNull());
        QCOMPARE(pool.add(QByteArrayView("", 0)), empty);
        // Texts that differ only after a shared start stay apart.
        QCOMPARE(pool.take(QByteArrayView("500ml ")), QStringLiteral("500ml "));

        // A single changed cell adds its text; the texts read before stay found.
        const quint32 changed = pool.add(QStringLiteral("500ml"));
        QCOMPARE(pool.text(changed), QStringLiteral("500ml"));
        QVERIFY(changed != ml);
        QCOMPARE(pool.add(QByteArrayView("500ml")), ml);
        QCOMPARE(pool.add(QByteArrayView(name)), first);
        QCOMPARE(pool.add(QString()), 0u);
    }

    void mostlyDistinctTextsStopPoolingAndStayExact()
    {
        TextPool codes;
        TextPool dates;
        std::vector<quint32> dateIndex;
        for (int i = 0; i < 10000; ++i) {
            const QByteArray code = QByteArray::number(6900000000000LL + i);
            QCOMPARE(codes.text(codes.add(QByteArrayView(code))), QString::fromLatin1(code));
            const QByteArray date = QByteArray("2016-03-") + QByteArray::number(10 + i % 20);
            dateIndex.push_back(dates.add(QByteArrayView(date)));
            QCOMPARE(dates.text(dateIndex.back()), QString::fromLatin1(date));
        }
        QVERIFY(!codes.pooling());
        QCOMPARE(codes.distinct(), 10000);
        QVERIFY(dates.pooling());
        QCOMPARE(dates.distinct(), 20);
        QCOMPARE(dateIndex[25], dateIndex[5]);

        // After the load, texts are added as they come and the earlier stay.
        dates.finish();
        const quint32 late = dates.add(QByteArrayView("2016-03-10"));
        QCOMPARE(dates.distinct(), 21);
        QCOMPARE(dates.text(late), dates.text(dateIndex[0]));
    }
};

QTEST_GUILESS_MAIN(TextPoolTest)
#include "tst_textpool.moc"
