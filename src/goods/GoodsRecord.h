#pragma once

#include <QString>

#include <optional>

namespace quollin {

// One row of table data: one stock-in of one article. The amounts are
// optional because imported or hand-edited rows may leave them empty, and an
// empty amount behaves differently from 0 in the list conditions.
struct GoodsRecord {
    qint64 id = 0;           // ID, the only way a row is addressed
    QString name;            // a
    QString specification;   // b
    QString code;            // c
    QString category;        // d
    QString nameInitials;    // e, pinyin initials of a
    QString specInitials;    // f, pinyin initials of b
    QString supplier;        // g
    std::optional<double> purchasePrice;  // 1
    std::optional<double> quantity;       // 2, purchased
    std::optional<double> purchaseAmount; // 3
    std::optional<double> salePrice;      // 4
    std::optional<double> soldQuantity;   // 5
    std::optional<double> salesAmount;    // 6
    std::optional<double> stockQuantity;  // 7
    std::optional<double> stockValue;     // 8
    QString remarks;         // z
    QString day1;            // stock-in date, yyyy-mm-dd

    bool operator==(const GoodsRecord &) const = default;
};

} // namespace quollin
