#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace quollin {

// One row of table data1: one goods item sold (or, with a negative quantity,
// taken back). Numbers are empty when the file holds none.
struct SaleLine {
    qint64 id = 0;
    QString name;          // a
    QString specification; // b
    QString code;          // c
    QString category;      // d
    QString saleDate;      // day1, yyyy-mm-dd
    std::optional<double> price;    // 2
    std::optional<double> quantity; // 3
    std::optional<double> amount;   // 4
    std::optional<double> arrears;  // 6
    std::optional<double> profit;   // a5; empty for an operator who may not see it
    QString slipNumber; // z
    QString customer;   // g
    QString address;    // h
    QString phone;      // i
    QString remark;     // j
    std::optional<double> purchasePrice; // 1, copied at sale time
    QString stockInDate;                 // day2: the goods row's stock-in date
    std::optional<qint64> goodsId;       // empty in lines of older files
};

} // namespace quollin
