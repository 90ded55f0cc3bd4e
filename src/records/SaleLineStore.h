#pragma once

#include "goods/GoodsQuery.h"
#include "records/SaleLine.h"
#include "records/SaleLineQuery.h"
#include "records/SaleLineValues.h"

#include <QString>
#include <QStringList>

#include <QHash>

#include <functional>
#include <optional>
#include <vector>

namespace quollin {

class Database;
class GridRows;
class ShopContext;
class Statement;
struct ChangeSet;
class RowChanges;

// What the edit panel may change in a line: the arrears as typed, and the
// slip number and customer data (stored trimmed).
struct SaleLineCorrection {
    QString arrears;
    QString slipNumber;
    QString customer;
    QString address;
    QString phone;
    QString remark;
};

// The answer to a correction or deletion: done, or the operator's words for
// why not (nothing was written then).
struct SaleLineOutcome {
    bool ok = false;
    QString message;
    // The goods row a deletion gave the stock back to; 0 when none.
    qint64 goodsId = 0;
};

// The sale lines of table data1 as the records window reads, corrects and
// deletes them. Every write checks the operator's rights first and is
// announced after its commit.
class SaleLineStore {
public:
    explicit SaleLineStore(ShopContext &shop);

    // The fields the signed-in operator may not see: readers leave them out.
    QStringList hiddenFields() const;
    // The query prepared and bound, ready to step through.
    Statement statement(const BoundQuery &query);
    // The line as the operator may see it; empty when there is none.
    std::optional<SaleLine> find(qint64 id);

    // The query's rows appended to grid rows by field name, each with its
    // line ID; fields the operator may not see stay empty.
    void fillRows(const BoundQuery &query, GridRows &rows);
    // The lines with these IDs (ascending) appended in ID order; those that
    // no longer exist are left out.
    void fillLines(const std::vector<qint64> &ids, GridRows &rows);
    // The records window's live search: the lines SaleLineQuery::condition
    // finds, as IDs in the same order. A box's text is matched against the
    // held distinct values of its column and the lines of the matching
    // values come from the column's index; no line itself is read.
    std::vector<qint64> searchIds(SaleLineQuery::Sign sign, const SaleLineSearch &search);
    // "全部记录" and "全部退货": the lines SaleLineQuery::all() and
    // allReturns() find, as IDs in the same order, from indexes alone. Every
    // line's ID is read once and then kept current from the announced
    // changes, until forgetLineIds().
    std::vector<qint64> allLineIds();
    // One column of the lines with IDs in [first, last], in ID order: each
    // row's ID at 0 and the value at 1. The field is one of the grid's.
    void readColumn(const QString &field, qint64 first, qint64 last,
                    const std::function<void(qint64 id, const Statement &row)> &take);
    std::vector<qint64> allReturnIds();
    // Gives back the IDs kept (the records window closes).
    void forgetLineIds();
    // The distinct values the live search matches against, read at first
    // use and kept current from the announced changes.
    const SaleLineValues &heldValues() const { return m_values; }

    // The distinct categories and customers of all lines, for the lists.
    QStringList categories();
    QStringList customers();

    // "修 改": the arrears must read as a number, or nothing changes.
    SaleLineOutcome correct(qint64 id, const SaleLineCorrection &correction);

    // "删 除": deletes the line and gives its quantity and value back to the
    // goods row it was sold from, both in one transaction. The goods row is
    // the line's goods_id when it has one; a line of an older file takes the
    // lowest-ID row with the same trimmed name, specification, code and
    // category stocked in on the line's day2. Without such a row, or without
    // a sold or stock quantity in it, only the line goes.
    SaleLineOutcome remove(qint64 id);

private:
    SaleLineOutcome removeOnce(qint64 id);
    Database &db();
    void follow(const ChangeSet &changes);
    SaleLineSearchValues searchValuesOf(Database &db, qint64 id);
    // The IDs of the lines that are not sales, from their small index: every
    // one, or the returns alone; ascending.
    std::vector<qint64> unsoldIds(bool returnsOnly);
    void readLines(const std::vector<qint64> &ids, const QString &where,
                   const QList<QPair<QByteArray, QVariant>> &values, GridRows &rows);

    ShopContext &m_shop;
    SaleLineValues m_values;
    // What the lines held before a correction or deletion of this store, for
    // dropping values no line holds any more once the change is announced.
    QHash<qint64, SaleLineSearchValues> m_before;
    // Every line's ID, by sale date and entry order, and by ID; read when
    // first needed, as the file was at dataVersion m_idsVersion.
    struct LineIds {
        std::vector<qint64> byDate;
        std::vector<qint64> byId;
        QString lastDay; // the sale date of the last line by date
        qint64 version = 0;
    };
    std::optional<LineIds> m_ids;
    const LineIds &lineIds();
    void followLineIds(const RowChanges &lines);
};

} // namespace quollin
