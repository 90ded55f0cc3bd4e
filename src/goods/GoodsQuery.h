#pragma once

#include "core/SortMark.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

namespace quollin {

// Statement text with placeholders and the values for them. What the operator
// types only ever travels in values.
struct BoundQuery {
    QString sql;
    QList<QPair<QByteArray, QVariant>> values; // ":name" → value

    // " AND column LIKE :parameter", finding the text anywhere (quotes, "%"
    // and "_" literally); nothing for an empty text. The search boxes of the
    // goods list and of the sales records build their conditions with it.
    void andContains(const char *column, const char *parameter, const QString &text);
    // " AND day1 between the two days", both ends included.
    void andDayRange(const QDate &from, const QDate &to);
};

// The "不显示零库存" switch. Shown: every row is listed, and condition queries
// keep to rows with a purchased quantity above 0. Hidden: only rows whose
// stock is not 0 (an empty stock is hidden as well).
enum class ZeroStock { Shown, Hidden };

// The texts of the search area. An empty text adds no condition; a non-empty
// one is matched anywhere in its column, untrimmed.
struct GoodsSearch {
    QString category;      // d
    QString nameInitials;  // e
    QString specInitials;  // f
    QString code;          // c
    QString remarks;       // z
    QString supplier;      // g
    bool dateRange = false;
    QDate from;
    QDate to;
};

namespace GoodsQuery {

// The columns every goods query returns, in this order, so that rows can be
// read by index.
QString selectColumns();

// The list's own condition (without "where"): the equivalent of
// ListStatement's and BaseCondition's filter for the switch. Empty for the
// full list with zero stock shown.
QString listCondition(ZeroStock zeroStock);
QString baseCondition(ZeroStock zeroStock);

// "全部记录": all goods (or those with stock), by stock-in date and then by
// the order they were entered.
BoundQuery list(ZeroStock zeroStock);

// "查询": the base condition and one LIKE per non-empty box, joined by AND.
// Rows come in the order they were entered.
BoundQuery condition(ZeroStock zeroStock, const GoodsSearch &search);

// The same query narrowed to one row, in no particular order: whether the row
// with this ID still belongs to the rows the query lists, and its values.
BoundQuery oneRow(const BoundQuery &query, qint64 id);

// One keystroke of the live initials search of the name (e) or of the
// specification (f) box, the other boxes being empty.
enum class InitialsOf { Name, Specification };
BoundQuery initials(ZeroStock zeroStock, InitialsOf which, const QString &typed);

} // namespace GoodsQuery

// Title-click sorting of the rows held. The mark shown lags one step behind
// the order: the first click sorts descending while the mark turns ascending.
struct SortStep {
    bool descending;
    SortMark markAfter;
};
SortStep sortClick(SortMark markBefore);

} // namespace quollin
