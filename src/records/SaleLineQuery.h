#pragma once

#include "goods/GoodsQuery.h"

#include <QDate>
#include <QString>

namespace quollin {

// The texts of the records window's search area. An empty text adds no
// condition; a non-empty one is matched anywhere in its column, untrimmed.
struct SaleLineSearch {
    QString category;     // d
    QString nameInitials; // e
    QString code;         // c
    QString specInitials; // f
    QString customer;     // g
    QString remark;       // j
    bool dateRange = false;
    QDate from;
    QDate to;
};

// The statements of the sales records window. Every value the operator typed
// travels as a bound value; dates compare as their yyyy-mm-dd text, which
// orders as the dates do, so a range on day1 is an index range.
namespace SaleLineQuery {

// The columns every records query returns, in stored order.
QString selectColumns();

// "查 询": sales (quantity above 0) or returns (below 0) narrowed by every
// non-empty box, in the order the lines were entered.
enum class Sign { Sales, Returns };
BoundQuery condition(Sign sign, const SaleLineSearch &search);

// "本 月": the calendar month of the given day, sales and returns, by sale
// date and then in entry order (the last row is the newest sale).
BoundQuery month(const QDate &anyDayOfMonth);
// "全部记录": every line by sale date.
BoundQuery all();
// "全部退货": every return by sale date.
BoundQuery allReturns();
// The slip-number search: lines whose slip number contains the text,
// trimmed, in entry order.
BoundQuery slipContaining(const QString &slipNumber);

} // namespace SaleLineQuery

// Title-click sorting of the records grid: a column not sorted by yet sorts
// descending, each further click on it reverses the order.
struct SaleSort {
    int column = -1;
    bool descending = false;
};
SaleSort nextSaleSort(SaleSort before, int clickedColumn);

// A line is drawn in red when its quantity, taken to the nearest whole number
// with halves to the even neighbour, is 0 or less (returns, and sales of half
// a unit or less). No quantity counts as 0.
bool isRedQuantity(double quantity);

} // namespace quollin
