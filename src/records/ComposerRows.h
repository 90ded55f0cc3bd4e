#pragma once

#include <QString>

#include <array>

namespace quollin {

// One row of the six-line slip composer, its texts as the boxes show them.
struct ComposerRow {
    QString code;          // c
    QString name;          // a
    QString specification; // b
    QString quantity;      // 3
    QString price;         // 2
    QString amount;        // 4, "0.00"

    // A row without a name counts as empty, whatever else it holds.
    bool isEmpty() const { return name.isEmpty(); }

    // A sale line as the composer takes it: quantity and price in the
    // general number format, the amount with two decimals.
    static ComposerRow fromLine(const QString &code, const QString &name, const QString &specification,
                                double quantity, double price, double amount);
};

// The six rows of the composer: lines go into the first empty row, a full
// composer takes nothing more.
class ComposerRows {
public:
    static constexpr int kRows = 6;

    // The index the row went into; -1 when all six rows hold a line.
    int add(const ComposerRow &row);
    void clearRow(int index);
    void clear();

    const ComposerRow &row(int index) const { return m_rows[size_t(index)]; }
    int filledCount() const;

    // The sum of the amounts, an empty or unreadable amount counting as 0,
    // with two decimals.
    QString total() const;

private:
    std::array<ComposerRow, kRows> m_rows;
};

} // namespace quollin
