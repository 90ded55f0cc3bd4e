#include "core/TextPool.h"

#include <QtTest>

using namespace quollin;

class TextPoolTest : public QObject {
    Q_OBJECT

private slots:
    void repeatedTextsShareOneStringAndConvertExactly()
    {
        TextPool pool;
        const QByteArray name = QStringLiteral("康师傅方便面").toUtf8();
        const QString first = pool.take(QByteArrayView(name));
        // A different buffer with the same bytes, as the engine hands out per row.
        const QByteArray again = QByteArray(name.constData(), name.size());
        const QString second = pool.take(QByteArrayView(again));
        QCOMPARE(second, QStringLiteral("康师傅方便面"));
        QCOMPARE(second.constData(), first.constData());
        QCOMPARE(pool.take(QByteArrayView("500ml")), QStringLiteral("500ml"));
        QCOMPARE(pool.distinct(), 2);

        QVERIFY(pool.take(QByteArrayView()).isNull());
        const QString empty = pool.take(QByteArrayView("", 0));
        QVERIFY(empty.isEmpty());
        QVERIFY(!empty.isNull());
        // Texts that differ only after a shared start stay apart.
        QCOMPARE(pool.take(QByteArrayView("500ml ")), QStringLiteral("500ml "));
    }

    void mostlyDistinctTextsStopPoolingAndStayExact()
    {
        TextPool codes;
        TextPool dates;
        for (int i = 0; i < 10000; ++i) {
            const QByteArray code = QByteArray::number(6900000000000LL + i);
            QCOMPARE(codes.take(QByteArrayView(code)), QString::fromLatin1(code));
            const QByteArray date = QByteArray("2016-03-") + QByteArray::number(10 + i % 20);
            QCOMPARE(dates.take(QByteArrayView(date)), QString::fromLatin1(date));
        }
        QVERIFY(!codes.pooling());
        QCOMPARE(codes.distinct(), 0);
        QVERIFY(dates.pooling());
        QCOMPARE(dates.distinct(), 20);
    }
};

QTEST_GUILESS_MAIN(TextPoolTest)
#include "tst_textpool.moc"
