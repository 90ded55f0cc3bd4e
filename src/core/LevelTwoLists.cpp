#include "core/LevelTwoLists.h"

#include "core/GbkCodec.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <array>

namespace quollin {

namespace {

constexpr LevelTwoList Lists[] = {
#include "core/LevelTwoLists.inc"
};

// Second-level codes: rows D8–F7, cells A1–FE.
constexpr unsigned char FirstRow = 0xD8;
constexpr unsigned char LastRow = 0xF7;
constexpr unsigned char FirstCell = 0xA1;
constexpr unsigned char LastCell = 0xFE;
constexpr int CellsPerRow = LastCell - FirstCell + 1;
constexpr int LevelTwoSize = (LastRow - FirstRow + 1) * CellsPerRow;

bool isLevelTwo(unsigned char hi, unsigned char lo)
{
    return hi >= FirstRow && hi <= LastRow && lo >= FirstCell && lo <= LastCell;
}

int cellIndex(unsigned char hi, unsigned char lo)
{
    return (hi - FirstRow) * CellsPerRow + (lo - FirstCell);
}

// Code → letter for every second-level cell ('\0': in no list). Looking up a
// whole cell keeps a blank or half a character from ever matching.
using InitialTable = std::array<char, LevelTwoSize>;

InitialTable buildTable()
{
    InitialTable table {};
    for (const LevelTwoList &list : Lists) {
        const QString text = QString::fromUtf8(list.characters.data(),
                                               qsizetype(list.characters.size()));
        for (const char32_t codePoint : QStringView(text).toUcs4()) {
            const std::optional<QByteArray> bytes = GbkBytes(codePoint);
            if (!bytes || bytes->size() != 2) {
                Q_ASSERT_X(false, "LevelTwoLists", "a listed character is not GBK");
                continue;
            }
            const auto hi = static_cast<unsigned char>(bytes->at(0));
            const auto lo = static_cast<unsigned char>(bytes->at(1));
            if (!isLevelTwo(hi, lo)) {
                Q_ASSERT_X(false, "LevelTwoLists", "a listed character is not second-level");
                continue;
            }
            char &slot = table[cellIndex(hi, lo)];
            if (slot == '\0') // the earliest list wins
                slot = list.letter;
        }
    }
    return table;
}

} // namespace

std::span<const LevelTwoList> LevelTwoLists()
{
    return Lists;
}

std::optional<char> LevelTwoInitial(unsigned char hi, unsigned char lo)
{
    if (!isLevelTwo(hi, lo))
        return std::nullopt;
    static const InitialTable table = buildTable();
    const char letter = table[cellIndex(hi, lo)];
    if (letter == '\0')
        return std::nullopt;
    return letter;
}

} // namespace quollin
