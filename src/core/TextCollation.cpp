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

// The places of Order::rank, once the order is made; read on every compare.
const quint8 *ranks = nullptr;

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
        ranks = rank.data();
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

template <typename Unit>
bool allRanked(const Unit *text, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i)
        if (unsigned(text[i]) >= 128 || ranks[unsigned(text[i])] == 0)
            return false;
    return true;
}

// Both texts plain ASCII without ignored characters: each character is one
// collation element with a weight of its own, so the collator's answer is the
// characters' places compared in turn, the shorter text first when one is the
// start of the other. Returns false when the shortcut does not apply.
template <typename Unit>
bool asciiCompare(const Unit *a, qsizetype na, const Unit *b, qsizetype nb, int &result)
{
    if (!ranks)
        order();
    const qsizetype common = std::min(na, nb);
    int folded = 0;
    qsizetype i = 0;
    int decided = 0;
    for (; i < common; ++i) {
        const unsigned x = unsigned(a[i]);
        const unsigned y = unsigned(b[i]);
        if ((x | y) >= 128)
            return false;
        const unsigned rx = ranks[x];
        const unsigned ry = ranks[y];
        if (rx == 0 || ry == 0)
            return false;
        if (rx != ry) {
            decided = rx < ry ? -1 : 1;
            ++i;
            break;
        }
        if (x != y && !folded)
            folded = lower(x) < lower(y) ? -1 : (lower(x) > lower(y) ? 1 : 0);
    }
    // The rest must qualify too: a character the collator ignores or one
    // beyond ASCII is no longer a weight of its own.
    if (!allRanked(a, i, na) || !allRanked(b, i, nb))
        return false;
    if (!decided)
        decided = na < nb ? -1 : (na > nb ? 1 : folded);
    result = decided;
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

int compareCodePoints(const QString &a, const QString &b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x == y)
            continue;
        const bool xSurrogate = QChar::isSurrogate(x);
        if (xSurrogate != QChar::isSurrogate(y))
            return xSurrogate ? 1 : -1;
        return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

QStringList distinct(const std::vector<QString> &texts, const std::vector<char> &used)
{
    // A pool keeps texts no row holds any longer: only those in use are ranked.
    std::vector<quint32> inUse;
    std::vector<QString> ranked;
    for (quint32 i = 1; i < quint32(texts.size()); ++i)
        if (used[i]) {
            inUse.push_back(i);
            ranked.push_back(texts[i]);
        }
    const std::vector<quint32> place = places(ranked);
    std::vector<quint32> order(ranked.size());
    for (quint32 i = 0; i < quint32(order.size()); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&place](quint32 a, quint32 b) { return place[a] < place[b]; });
    QStringList out;
    out.reserve(qsizetype(order.size()) + 1);
    if (!used.empty() && used[0])
        out << QString();
    // One text held at several indexes (a column that did not pool) or texts
    // that differ only in case are one entry.
    for (size_t i = 0; i < order.size();) {
        const QString *least = &ranked[order[i]];
        size_t next = i + 1;
        for (; next < order.size() && place[order[next]] == place[order[i]]; ++next)
            if (compareCodePoints(ranked[order[next]], *least) < 0)
                least = &ranked[order[next]];
        out << *least;
        i = next;
    }
    return out;
}

std::vector<quint32> places(const std::vector<QString> &texts)
{
    UCollator *collator = order().collator;
    // One buffer for every key; a key's bytes compare as the collator does.
    std::vector<uint8_t> bytes;
    std::vector<std::pair<size_t, size_t>> keys(texts.size()); // offset, length
    for (size_t i = 0; i < texts.size(); ++i) {
        const QString &t = texts[i];
        const size_t at = bytes.size();
        bytes.resize(at + size_t(t.size()) * 4 + 16);
        int32_t length = ucol_getSortKey(collator, reinterpret_cast<const UChar *>(t.utf16()), int32_t(t.size()),
                                         bytes.data() + at, int32_t(bytes.size() - at));
        if (size_t(length) > bytes.size() - at) {
            bytes.resize(at + size_t(length));
            length = ucol_getSortKey(collator, reinterpret_cast<const UChar *>(t.utf16()), int32_t(t.size()),
                                     bytes.data() + at, length);
        }
        bytes.resize(at + size_t(length));
        keys[i] = {at, size_t(length)};
    }
    auto keyCompare = [&](quint32 a, quint32 b) {
        const auto [ao, al] = keys[a];
        const auto [bo, bl] = keys[b];
        const int c = memcmp(bytes.data() + ao, bytes.data() + bo, std::min(al, bl));
        return c ? sign(c) : (al < bl ? -1 : (al > bl ? 1 : 0));
    };
    // Equal keys: the tie-break of compareByCollator.
    auto full = [&](quint32 a, quint32 b) {
        const int c = keyCompare(a, b);
        return c ? c : sign(QStringView(texts[a]).compare(texts[b], Qt::CaseInsensitive));
    };
    std::vector<quint32> byText(texts.size());
    for (quint32 i = 0; i < quint32(texts.size()); ++i)
        byText[i] = i;
    std::sort(byText.begin(), byText.end(), [&](quint32 a, quint32 b) { return full(a, b) < 0; });
    std::vector<quint32> place(texts.size());
    for (size_t i = 1; i < byText.size(); ++i)
        place[byText[i]] = place[byText[i - 1]] + (full(byText[i - 1], byText[i]) < 0 ? 1 : 0);
    return place;
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
