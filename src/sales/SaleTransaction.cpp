#include "sales/SaleTransaction.h"

#include "core/EngineMessage.h"
#include "core/Database.h"
#include "core/DateText.h"
#include "core/NumberLimits.h"
#include "core/NumberText.h"
#include "core/PinyinInitials.h"
#include "sales/SlipBook.h"
#include "sales/SlipNumber.h"

#include <QDate>
#include <QVariant>

namespace quollin {

namespace {

using NumberText::parseDecimal;

// Refusals travel as exceptions inside the command so that the transaction
// rolls back on the way out, whatever step refused.
struct Refusal {
    Refusal(SaleRefusal k, QString m, SaleBox b = SaleBox::None, std::optional<double> s = std::nullopt)
        : kind(k), box(b), message(std::move(m)), stock(s)
    {
    }
    SaleRefusal kind;
    SaleBox box;
    QString message;
    std::optional<double> stock;
};

// A number box: empty gives the "must be entered" words, anything else that
// is no number gives the "not a number" words.
double boxNumber(const QString &text, const QString &caption, SaleBox box)
{
    if (text.trimmed().isEmpty())
        throw Refusal{SaleRefusal::MissingValue, caption + QStringLiteral("必须输入！"), box};
    const std::optional<double> v = parseDecimal(text);
    if (!v)
        throw Refusal{SaleRefusal::NotANumber,
                      caption + QStringLiteral("“") + text.trimmed() + QStringLiteral("”不是有效的数字"), box};
    if (!NumberLimits::inRange(*v))
        throw Refusal{SaleRefusal::NotANumber,
                      caption + QStringLiteral("“") + text.trimmed() + QStringLiteral("”超出允许的范围，请重新输入"), box};
    return *v;
}

// Prices and arrears: a number box that may not hold a negative value.
double notNegativeBoxNumber(const QString &text, const QString &caption, SaleBox box)
{
    const double v = boxNumber(text, caption, box);
    if (v < 0)
        throw Refusal{SaleRefusal::NotANumber,
                      caption + QStringLiteral("“") + text.trimmed() + QStringLiteral("”不能为负数"), box};
    return v;
}

// A value the sale derives and stores. Its inputs are each within the bound,
// yet a product or a sum with a stored value can leave it.
double derived(double value, const QString &caption)
{
    if (!NumberLimits::inRange(value))
        throw Refusal{SaleRefusal::NotANumber,
                      caption + QStringLiteral("超出允许的范围，请检查实际销售价和销售数量"), SaleBox::Quantity};
    return value;
}

// A numeric column of the goods row. Older files may hold text or nothing in
// these columns; a sale must not compute on such a value.
double storedNumber(const Statement &row, const char *column, const QString &caption)
{
    const QVariant v = row.value(column);
    std::optional<double> n;
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
        n = v.toDouble();
    else if (v.typeId() == QMetaType::QString)
        n = parseDecimal(v.toString());
    if (!n)
        throw Refusal{SaleRefusal::GoodsRow, QStringLiteral("该商品的") + caption + QStringLiteral("不是有效的数字，不能销售")};
    if (!NumberLimits::inRange(*n))
        throw Refusal{SaleRefusal::GoodsRow, QStringLiteral("该商品的") + caption + QStringLiteral("超出允许的范围，不能销售")};
    return *n;
}

// The number the line is filed under. A new slip's number that holds lines
// by now (another till sold on it after it was offered here) gives way to
// the day's next free one; with the write lock taken, no till can take that
// one before the commit.
QString slipFor(Database &db, const SaleInput &in)
{
    const QString number = in.slipNumber.trimmed();
    if (!in.opensSlip)
        return number;
    Statement used = db.prepare(QStringLiteral("SELECT 1 FROM data1 WHERE z=:z LIMIT 1"));
    used.bind(":z", number);
    if (!used.next())
        return number;
    QDate day = QDate::fromString(number.left(8), QStringLiteral("yyyyMMdd"));
    if (!day.isValid())
        day = QDate::currentDate();
    const std::optional<int> free = FreeSlipSerial(db, day, SlipSerialOf(number, day).value_or(0) + 1);
    if (!free)
        throw Refusal{SaleRefusal::GoodsRow, QStringLiteral("今天的销售单号已经用完，请在“销售单号：”中输入一个新单号")};
    return SlipNumber(day, *free);
}

// What a number box would hold: the general text read back, as the stored
// values have always been written.
double asBoxText(double value)
{
    return parseDecimal(NumberText::general(value)).value_or(value);
}

} // namespace

namespace {

SaleResult confirmSaleOnce(Database &db, const SaleInput &in, bool &conflict)
{
    SaleResult result;
    try {
        // The quantity is read first: its zero check comes before everything
        // else, as the operator knows it.
        const double q = boxNumber(in.quantity, QStringLiteral("销售数量"), SaleBox::Quantity);
        if (q == 0)
            throw Refusal{SaleRefusal::ZeroQuantity, QStringLiteral("销售数量不能为0"), SaleBox::Quantity};

        Transaction tx(db);

        // Locked on a server until the commit: another till selling from the
        // same row waits, then reads the stock this sale leaves.
        Statement row = db.prepare(QStringLiteral(
            "SELECT a,b,c,d,\"1\",\"5\",\"6\",\"7\",day1 FROM data WHERE \"ID\"=:id") + db.lockRows());
        row.bind(":id", in.goodsId);
        if (!row.next())
            throw Refusal{SaleRefusal::GoodsRow, QStringLiteral("该商品记录已不存在（可能已被删除），不能销售")};

        const double s = storedNumber(row, "7", QStringLiteral("库存数量"));
        if (q > s)
            throw Refusal{SaleRefusal::OutOfStock, QStringLiteral("库存不足"), SaleBox::Quantity, s};

        const double c = storedNumber(row, "1", QStringLiteral("进货单价"));
        const double sold = storedNumber(row, "5", QStringLiteral("已售数量"));
        const double salesAmount = storedNumber(row, "6", QStringLiteral("销售金额"));
        const double p = notNegativeBoxNumber(in.price, QStringLiteral("实际销售价"), SaleBox::Price);
        const double arrears = notNegativeBoxNumber(in.arrears, QStringLiteral("欠款金额"), SaleBox::Arrears);

        // An empty date box shows its mask "    -  -  ".
        QString dateText = in.saleDate;
        dateText.remove(QLatin1Char('-'));
        if (dateText.trimmed().isEmpty())
            throw Refusal{SaleRefusal::MissingValue, QStringLiteral("销售日期必须输入"), SaleBox::Date};
        const QDate saleDate = DateText::parseDate(in.saleDate);
        if (!saleDate.isValid())
            throw Refusal{SaleRefusal::BadDate, QStringLiteral("销售日期“") + in.saleDate.trimmed() + QStringLiteral("”不是有效的日期"), SaleBox::Date};
        const QDate stockInDate = row.isNull("day1") ? QDate() : DateText::parseDate(row.text("day1"));
        if (!stockInDate.isValid())
            throw Refusal{SaleRefusal::GoodsRow, QStringLiteral("该商品没有有效的入库日期，不能销售")};

        const QString name = row.text("a").trimmed();
        const QString model = row.text("b").trimmed();
        const QString code = row.text("c").trimmed();
        const QString category = row.text("d").trimmed();
        row.reset();

        result.amount = derived(asBoxText(p * q), QStringLiteral("销售金额"));
        result.newSoldQuantity = derived(asBoxText(sold + q), QStringLiteral("已售数量"));
        result.newSalesAmount = derived(asBoxText(salesAmount + p * q), QStringLiteral("累计销售金额"));
        result.newStockQuantity = derived(NumberText::roundHalfAwayFromZero(s - q, 2), QStringLiteral("库存数量"));
        // From the exact difference, not the two-decimal stock.
        result.newStockValue = derived(asBoxText((s - q) * c), QStringLiteral("库存金额"));
        result.profit = derived(NumberText::roundHalfAwayFromZero((p - c) * q, 2), QStringLiteral("利润"));

        result.slipNumber = slipFor(db, in);

        Statement update = db.prepare(QStringLiteral(
            "UPDATE data SET \"5\"=:n5,\"6\"=:n6,\"7\"=:n7,\"8\"=:n8 WHERE \"ID\"=:id"));
        update.bind(":n5", result.newSoldQuantity)
            .bind(":n6", result.newSalesAmount)
            .bind(":n7", result.newStockQuantity)
            .bind(":n8", result.newStockValue)
            .bind(":id", in.goodsId);
        update.exec();

        Statement insert = db.prepare(QStringLiteral(
            "INSERT INTO data1 (a,b,c,d,e,f,g,h,i,j,z,\"1\",\"2\",\"3\",\"4\",a5,\"6\",day1,day2,goods_id) "
            "VALUES (:a,:b,:c,:d,:e,:f,:g,:h,:i,:j,:z,:n1,:n2,:n3,:n4,:a5,:n6,:day1,:day2,:gid)"));
        insert.bind(":a", name)
            .bind(":b", model)
            .bind(":c", code)
            .bind(":d", category)
            .bind(":e", PinyinInitials(name))
            .bind(":f", PinyinInitials(model))
            .bind(":g", in.customer.trimmed())
            .bind(":h", in.address.trimmed())
            .bind(":i", in.phone.trimmed())
            .bind(":j", in.remark.trimmed())
            .bind(":z", result.slipNumber)
            .bind(":n1", asBoxText(c))
            .bind(":n2", p)
            .bind(":n3", q)
            .bind(":n4", result.amount)
            .bind(":a5", result.profit)
            .bind(":n6", arrears)
            .bind(":day1", DateText::date(saleDate))
            .bind(":day2", DateText::date(stockInDate))
            .bind(":gid", in.goodsId);
        insert.exec();
        result.lineId = db.lastInsertId();

        tx.commit();
        result.ok = true;
    } catch (const Refusal &r) {
        result = SaleResult{};
        result.refusal = r.kind;
        result.box = r.box;
        result.message = r.message;
        result.stockQuantity = r.stock;
    } catch (const DbError &e) {
        result = SaleResult{};
        result.refusal = SaleRefusal::Database;
        result.message = engineMessage(e);
        conflict = e.isConflict();
    }
    return result;
}

} // namespace

SaleResult confirmSale(Database &db, const SaleInput &in)
{
    // Another till's transaction in the way (a deadlock the server broke)
    // leaves nothing written: the sale runs again, a few times at most.
    // Inside a larger command only that command can run again.
    const int attempts = db.inTransaction() ? 1 : kConflictAttempts;
    SaleResult result;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        bool conflict = false;
        result = confirmSaleOnce(db, in, conflict);
        if (!conflict)
            break;
    }
    return result;
}

std::optional<QString> toggleReturnSign(const QString &quantityText)
{
    const std::optional<double> v = parseDecimal(quantityText);
    if (!v)
        return std::nullopt;
    QString digits = quantityText.trimmed();
    if (digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+')))
        digits.remove(0, 1);
    return *v > 0 ? QLatin1Char('-') + digits : digits;
}

} // namespace quollin
