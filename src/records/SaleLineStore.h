#pragma once

#include "goods/GoodsQuery.h"
#include "records/SaleLine.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quollin {

class Database;
class ShopContext;
class Statement;

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
    explicit SaleLineStore(ShopContext &shop) : m_shop(shop) {}

    // The fields the signed-in operator may not see: readers leave them out.
    QStringList hiddenFields() const;
    // The query prepared and bound, ready to step through.
    Statement statement(const BoundQuery &query);
    // The line as the operator may see it; empty when there is none.
    std::optional<SaleLine> find(qint64 id);

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
    Database &db();
    ShopContext &m_shop;
};

} // namespace quollin
