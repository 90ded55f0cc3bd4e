#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace quollin {

class Database;

// What the sale panel holds when the operator confirms, as the boxes' texts.
struct SaleInput {
    qint64 goodsId = 0;
    QString price;
    QString quantity;
    QString arrears;
    QString saleDate;   // yyyy-mm-dd
    QString slipNumber;
    // The number was handed out as a new slip. Should another till have sold
    // on it meanwhile, the sale goes onto the day's next free number instead
    // of joining that till's customer.
    bool opensSlip = false;
    QString customer;
    QString address;
    QString phone;
    QString remark;
};

// Why a sale was refused, so that the panel reacts as the operator expects:
// a missing value puts the focus on its box, zero and short stock still run
// the closing steps. NotANumber also covers a number the shop does not store:
// a negative price or arrears, or a box or derived value outside the bound of
// NumberLimits (the box named is the one to correct).
enum class SaleRefusal { None, ZeroQuantity, OutOfStock, MissingValue, NotANumber, BadDate, GoodsRow, Database };

// The box a refusal is about.
enum class SaleBox { None, Price, Quantity, Arrears, Date };

struct SaleResult {
    bool ok = false;
    SaleRefusal refusal = SaleRefusal::None;
    SaleBox box = SaleBox::None;
    // Empty on success; otherwise the words for the operator.
    QString message;
    // Set when the refusal was "库存不足": the panel puts this stock into its
    // quantity box.
    std::optional<double> stockQuantity;
    qint64 lineId = 0;
    // The slip number the line was filed under (trimmed).
    QString slipNumber;
    // The goods row's values after the sale, and the line's amount and profit.
    double newSoldQuantity = 0;
    double newSalesAmount = 0;
    double newStockQuantity = 0;
    double newStockValue = 0;
    double amount = 0;
    double profit = 0;
};

// Deducts the sale from goods row goodsId and appends its sale line, both in
// one transaction or neither. The goods row is read inside that transaction,
// so the stock check and the new values rest on what the file holds now, not
// on what the panel showed when it opened. Every refusal happens before the
// first write, including those for values that would leave the bound once
// derived (amount, new sold quantity, sales amount, stock, stock value,
// profit). The quantity may be negative (a return), the price and arrears
// may not. A sale that opens a slip finds out inside the transaction whether
// the number is still free. A database failure returns its message with
// nothing written.
SaleResult confirmSale(Database &db, const SaleInput &in);

// The "退" button: a positive quantity becomes negative and a negative or zero
// one loses its sign, keeping the digits as typed (2.5 → -2.5, -3 → 3).
// Refused (no value) for a text that is no number.
std::optional<QString> toggleReturnSign(const QString &quantityText);

} // namespace quollin
