#pragma once

#include "goods/GoodsQuery.h"
#include "goods/GoodsRecord.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace quollin {

class Database;
class ShopContext;
class Statement;

// The texts of the stock-in panel, as typed. soldQuantity and salesAmount
// count for a new stock-in only ("0" after clearing); a change always takes
// them from the row it changes, as stored.
struct StockInBoxes {
    QString name, specification, code, category;
    QString date; // yyyy-mm-dd
    QString purchasePrice, quantity, salePrice;
    QString supplier, remarks;
    QString soldQuantity = QStringLiteral("0");
    QString salesAmount = QStringLiteral("0");
};

// The input a refusal points at, so that the panel can put the focus there.
enum class StockInBox {
    None, Name, Code, Category, Date, PurchasePrice, Quantity, SalePrice, SoldQuantity, SalesAmount
};

// Either the row to store or why not.
struct StockInCheck {
    std::optional<GoodsRecord> record;
    QString error;
    StockInBox box = StockInBox::None;
    bool ok() const { return record.has_value(); }
};

enum class StockInKind {
    New,    // stock = quantity, stock value = purchase amount
    Change, // stock recount: stock = quantity − sold, value = stock × price
};

// Checks the panel's texts in the panel's order (required values first, then
// the date, then that every number reads) and derives the amounts. Nothing is
// read from or written to the database.
StockInCheck checkStockIn(const StockInBoxes &boxes, StockInKind kind);

// The drop-down lists that "全部记录" refills.
struct GoodsDropDowns {
    QStringList names, specifications, codes, categories, suppliers;
};

// The goods rows of table data. Every command that writes checks the
// signed-in operator's rights first and announces what it committed.
class GoodsStore {
public:
    explicit GoodsStore(ShopContext &shop) : m_shop(shop) {}

    // The fields the signed-in operator may not see: a reader that shows
    // rows leaves them out rather than hiding their column.
    QStringList hiddenFields() const;

    std::vector<GoodsRecord> load(const BoundQuery &query, qsizetype expectedRows = 0);
    // Runs the query and hands each row to `row` as it stands in the engine,
    // columns in the stored order of table data (ID first): for the goods
    // list, which fills its grid without building records.
    void scan(const BoundQuery &query, const std::function<void(const Statement &)> &row);
    // The query prepared and bound, ready to step through: for readers that
    // take many rows.
    Statement statement(const BoundQuery &query);
    std::vector<GoodsRecord> list(ZeroStock zeroStock);
    std::vector<GoodsRecord> search(ZeroStock zeroStock, const GoodsSearch &search);
    // The row as the signed-in operator may see it: values he may not see
    // are left empty.
    std::optional<GoodsRecord> find(qint64 id);
    // The row as stored, for the rules themselves.
    std::optional<GoodsRecord> findStored(qint64 id);

    // Stores a new row and returns its ID.
    qint64 insert(const GoodsRecord &record);
    // Writes every column but ID to the row with record.id; false when there is
    // no such row.
    bool update(const GoodsRecord &record);
    bool remove(qint64 id);

    // "新建入库" and "修改入库": check first, write only a checked row. The
    // returned check carries the stored row (with its ID) or the refusal. A
    // change re-reads the target row inside its transaction and keeps that
    // row's own sold quantity and sales amount.
    StockInCheck addStockIn(const StockInBoxes &boxes);
    StockInCheck changeStockIn(qint64 id, const StockInBoxes &boxes);

    GoodsDropDowns dropDowns();

private:
    StockInCheck changeStockInOnce(qint64 id, const StockInBoxes &boxes);
    Database &db();
    ShopContext &m_shop;
};

} // namespace quollin
