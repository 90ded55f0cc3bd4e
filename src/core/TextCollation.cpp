#include "core/TextCollation.h"

#include "core/Database.h"

#include <sqlite3.h>

#include <unicode/ucol.h>

#include <QStringDecoder>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace quollin {

namespace TextCollation {

namespace {

int sign(int value) { return (value > 0) - (value < 0); }

struct Order {
    UCollator *collator = nullptr;
    // Each ASCII character's place in the collator's order, case pairs
    // sharing one; 0 for the characters the collator ignores (controls),
    // which take the long way.
    std::array<quint8, 128> rank{};

    int compare(const char16_t *a, qsizetype na, const char16_t *b, qsizetype nb) const
    {
        return ucol_strcoll(collator, reinterpret_cast<const UChar *>(a), int32_t(na),
                            reinterpret_cast<const UChar *>(b), int32_t(nb));
    }

    Order()
    {
        // Chinese as pinyin; ICU's data need no locale installed on the system.
        UErrorCode status = U_ZERO_ERROR;
        collator = ucol_open("zh", &status);
        // Letter case and width are told apart at the third strength only.
        ucol_setAttribute(collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
        // Canonically equal texts (a letter with its accent composed or
        // apart) compare equal; the tie-break still keeps them apart.
        ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        // "10" after "9" would part codes and sizes from the engine's habits:
        // digits compare one by one.
        ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
        ucol_setAttribute(collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
        // The Chinese rules put Chinese before every alphabet; a Chinese
        // Windows program lists Latin names first, as the common order does.
        const int32_t commonOrder = UCOL_REORDER_CODE_NONE;
        ucol_setReorderCodes(collator, &commonOrder, 1, &status);
        if (U_FAILURE(status))
            qFatal("text collation: %s", u_errorName(status));

        // The places are the collator's own, so they follow the ICU in use.
        std::vector<char16_t> kept;
        for (char16_t c = 0; c < 128; ++c) {
            const char16_t withIt[2] = {u'x', c};
            if (compare(withIt, 2, u"x", 1) != 0)
                kept.push_back(c);
        }
        auto less = [this](const char16_t &a, const char16_t &b) { return compare(&a, 1, &b, 1) < 0; };
        std::stable_sort(kept.begin(), kept.end(), less);
        quint8 place = 0;
        for (size_t i = 0; i < kept.size(); ++i) {
            if (i == 0 || less(kept[i - 1], kept[i]))
                ++place;
            rank[kept[i]] = place;
        }
    }
    ~Order() { ucol_close(collator); }
    Order(const Order &) = delete;
    Order &operator=(const Order &) = delete;
};

Order &order()
{
    static Order instance;
    return instance;
}

constexpr unsigned lower(unsigned c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

// Both texts plain ASCII without ignored characters: each character is one
// collation element with a weight of its own, so the collator's answer is the
// characters' places compared in turn, the shorter text first when one is the
// start of the other. Returns false when the shortcut does not apply.
template <typename Unit>
bool asciiCompare(const Unit *a, qsizetype na, const Unit *b, qsizetype nb, int &result)
{
    const std::array<quint8, 128> &rank = order().rank;
    int decided = 0;
    int folded = 0;
    const qsizetype n = std::max(na, nb);
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned x = i < na ? unsigned(a[i]) : 0;
        const unsigned y = i < nb ? unsigned(b[i]) : 0;
        if ((i < na && (x >= 128 || rank[x] == 0)) || (i < nb && (y >= 128 || rank[y] == 0)))
            return false;
        if (decided)
            continue;
        if (i >= na)
            decided = -1;
        else if (i >= nb)
            decided = 1;
        else if (rank[x] != rank[y])
            decided = rank[x] < rank[y] ? -1 : 1;
        else if (!folded && x != y)
            folded = sign(int(lower(x)) - int(lower(y)));
    }
    result = decided ? decided : folded;
    return true;
}

// As QString::fromUtf8 reads it, into a buffer on the stack for most texts.
using Utf16 = QVarLengthArray<QChar, 256>;

QStringView decode(QByteArrayView utf8, Utf16 &buffer)
{
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    buffer.resize(decoder.requiredSpace(utf8.size()));
    QChar *end = decoder.appendToBuffer(buffer.data(), utf8);
    return QStringView(buffer.data(), end - buffer.data());
}

int collate(void *, int na, const void *a, int nb, const void *b)
{
    // No exception may cross into the engine; should memory run out, the
    // bytes decide rather than nothing.
    try {
        return compareUtf8(QByteArrayView(static_cast<const char *>(a), na),
                           QByteArrayView(static_cast<const char *>(b), nb));
    } catch (...) {
        const int common = std::min(na, nb);
        const int bytes = common ? memcmp(a, b, size_t(common)) : 0;
        return bytes ? sign(bytes) : sign(na - nb);
    }
}

} // namespace

QString clause() { return QStringLiteral(" COLLATE ") + QLatin1String(kName); }

int compareByCollator(QStringView a, QStringView b)
{
    const int byCollator = order().compare(a.utf16(), a.size(), b.utf16(), b.size());
    if (byCollator != 0)
        return sign(byCollator);
    return sign(a.compare(b, Qt::CaseInsensitive));
}

int compareUtf8ByCollator(QByteArrayView a, QByteArrayView b)
{
    if (a == b)
        return 0;
    UErrorCode status = U_ZERO_ERROR;
    const int byCollator = ucol_strcollUTF8(order().collator, a.data(), int32_t(a.size()), b.data(),
                                            int32_t(b.size()), &status);
    if (U_SUCCESS(status) && byCollator != 0)
        return sign(byCollator);
    Utf16 x, y;
    if (U_FAILURE(status))
        return compareByCollator(decode(a, x), decode(b, y));
    return sign(decode(a, x).compare(decode(b, y), Qt::CaseInsensitive));
}

int compare(QStringView a, QStringView b)
{
    int result = 0;
    if (asciiCompare(a.utf16(), a.size(), b.utf16(), b.size(), result))
        return result;
    return compareByCollator(a, b);
}

int compareUtf8(QByteArrayView a, QByteArrayView b)
{
    int result = 0;
    if (asciiCompare(reinterpret_cast<const uchar *>(a.data()), a.size(), reinterpret_cast<const uchar *>(b.data()),
                     b.size(), result))
        return result;
    return compareUtf8ByCollator(a, b);
}

void registerWith(sqlite3 *db)
{
    order(); // made once, before the first statement needs it
    const int rc = sqlite3_create_collation_v2(db, kName, SQLITE_UTF8, nullptr, &collate, nullptr);
    if (rc != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(db)), rc);
}

} // namespace TextCollation

} // namespace quollin
