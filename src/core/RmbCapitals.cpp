#include "core/RmbCapitals.h"

#include "core/GbkCodec.h"

#include <QList>
#include <QStringView>

#include <array>

namespace quollin {

namespace {

// Every refusal ends with this message.
void showReadError(Prompter &prompter)
{
    prompter.information(QStringLiteral("读取错误，应为数字"));
}

constexpr std::array<const char16_t *, 10> DigitCapitals = {
    u"零", u"壹", u"贰", u"叁", u"肆", u"伍", u"陆", u"柒", u"捌", u"玖"};

// Unit of each position of the fen string, counted from its right end (index
// 0 unused). Position 3 is the yuan digit; "元" is written separately.
constexpr int MaxPositions = 30;
constexpr std::array<const char16_t *, MaxPositions + 1> PositionUnits = {
    u"",
    u"分", u"角", u"", u"拾", u"佰", u"仟", u"万", u"拾", u"佰", u"仟",
    u"亿", u"拾", u"佰", u"仟", u"万亿", u"拾", u"佰", u"仟", u"亿亿", u"拾",
    u"佰", u"仟", u"万亿亿", u"拾", u"佰", u"仟", u"亿亿亿", u"拾", u"佰", u"仟"};

// 3, 7, 11, ...: the last digit of a group of four (yuan, 万, 亿, ...).
bool closesGroup(int position)
{
    return (position + 1) % 4 == 0;
}

// The first byte of the text's GBK form that is neither a digit nor a point.
// A character GBK lacks would reach the checked bytes as "?".
std::optional<unsigned char> firstBadByte(const QString &text)
{
    for (const char32_t codePoint : QStringView(text).toUcs4()) {
        const std::optional<QByteArray> bytes = GbkBytes(codePoint);
        const QByteArray checked = bytes ? *bytes : QByteArrayLiteral("?");
        for (const char c : checked) {
            if ((c < '0' || c > '9') && c != '.')
                return static_cast<unsigned char>(c);
        }
    }
    return std::nullopt;
}

// The amount in whole fen as decimal digits without leading zeros ("0" for
// nothing), cut toward zero, taken from the text's digits so it is exact at
// any length. The text holds only digits and at most one point.
QString fenDigits(const QString &text)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const QString yuan = point < 0 ? text : text.left(point);
    const QString decimals = point < 0 ? QString() : text.mid(point + 1);
    const QString fen = yuan + decimals.left(2).leftJustified(2, QLatin1Char('0'));

    qsizetype leadingZeros = 0;
    while (leadingZeros < fen.size() - 1 && fen.at(leadingZeros) == QLatin1Char('0'))
        ++leadingZeros;
    return fen.mid(leadingZeros);
}

} // namespace

QString RmbCapitals(const QString &amountText, Prompter &prompter)
{
    if (const std::optional<unsigned char> bad = firstBadByte(amountText)) {
        prompter.information(QString::number(*bad));
        showReadError(prompter);
        return {};
    }
    if (amountText.count(QLatin1Char('.')) > 1) {
        showReadError(prompter);
        return {};
    }
    const QString fen = fenDigits(amountText);
    if (fen.size() > MaxPositions) {
        showReadError(prompter);
        return {};
    }

    QString result;
    bool zeroPending = false;
    bool unitOwed = true;
    const int length = int(fen.size());
    for (int i = 0; i < length; ++i) {
        const int position = length - i;
        const int digit = fen.at(i).digitValue();
        const bool groupUnit = position > 4 && closesGroup(position);
        if (digit != 0) {
            if (zeroPending)
                result += QString::fromUtf16(DigitCapitals[0]);
            result += QString::fromUtf16(DigitCapitals[digit]);
            result += QString::fromUtf16(PositionUnits[position]);
            zeroPending = false;
            // A digit on a closing position carries the group unit itself; any
            // other digit leaves its group owing the unit.
            unitOwed = !groupUnit;
        } else {
            zeroPending = true;
            if (groupUnit && unitOwed) {
                result += QString::fromUtf16(PositionUnits[position]);
                zeroPending = false;
                unitOwed = false;
            }
        }
        if (position == 3) {
            result += QStringLiteral("元");
            zeroPending = false;
        }
    }
    if (fen.endsWith(QLatin1String("00"))) // no jiao, no fen
        result += QStringLiteral("整");
    return result;
}

std::optional<QString> RmbCapitalsQuietly(const QString &amountText)
{
    class Silent : public Prompter {
    public:
        void warning(const QString &) override { refused = true; }
        void information(const QString &) override { refused = true; }
        bool confirm(const QString &) override { return false; }
        bool askYesNo(const QString &) override { return false; }
        QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
        QString saveFileName(const QString &, const QString &, const QString &, Overwrite) override { return {}; }
        bool refused = false;
    } silent;
    const QString capitals = RmbCapitals(amountText, silent);
    if (silent.refused)
        return std::nullopt;
    return capitals;
}

} // namespace quollin
