#pragma once

#include <QString>

#include <vector>

namespace quollin {

class SlipBook;

// One sale line as the printed documents show it.
struct SlipLine {
    QString name;          // a
    QString specification; // b
    QString code;          // c
    double quantity = 0;   // 3
    double price = 0;      // 2
    double amount = 0;     // 4
    QString customer;      // g
    QString address;       // h
    QString phone;         // i
    QString remark;        // j
    QString day;           // day1, yyyy-mm-dd
};

// The lines of exactly this slip number, in the order they were sold.
std::vector<SlipLine> ReadSlipLines(SlipBook &slips, const QString &slipNumber);

} // namespace quollin
