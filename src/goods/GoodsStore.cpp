#include "goods/GoodsStore.h"

#include "core/Database.h"
#include "core/DateText.h"
#include "core/DistinctValues.h"
#include "core/NumberLimits.h"
#include "core/NumberText.h"
#include "core/PinyinInitials.h"
#include "core/Schema.h"
#include "core/ShopContext.h"

namespace quollin {

namespace {

// Column order of GoodsQuery::selectColumns().
enum Column { Id, A, B, C, D, E, F, G, N1, N2, N3, N4, N5, N6, N7, N8, Z, Day1 };

std::optional<double> amountAt(const Statement &row, int index)
{
    if (row.isNull(index))
        return std::nullopt;
    return row.real(index);
}

GoodsRecord readRow(const Statement &row)
{
    GoodsRecord r;
    r.id = row.integer(Id);
    r.name = row.text(A);
    r.specification = row.text(B);
    r.code = row.text(C);
    r.category = row.text(D);
    r.nameInitials = row.text(E);
    r.specInitials = row.text(F);
    r.supplier = row.text(G);
    r.purchasePrice = amountAt(row, N1);
    r.quantity = amountAt(row, N2);
    r.purchaseAmount = amountAt(row, N3);
    r.salePrice = amountAt(row, N4);
    r.soldQuantity = amountAt(row, N5);
    r.salesAmount = amountAt(row, N6);
    r.stockQuantity = amountAt(row, N7);
    r.stockValue = amountAt(row, N8);
    r.remarks = row.text(Z);
    r.day1 = row.text(Day1);
    return r;
}

void bindAmount(Statement &s, const char *name, const std::optional<double> &v)
{
    if (v)
        s.bind(name, *v);
    else
        s.bindNull(name);
}

void bindColumns(Statement &s, const GoodsRecord &r)
{
    s.bind(":a", r.name).bind(":b", r.specification).bind(":c", r.code).bind(":d", r.category);
    s.bind(":e", r.nameInitials).bind(":f", r.specInitials).bind(":g", r.supplier);
    bindAmount(s, ":n1", r.purchasePrice);
    bindAmount(s, ":n2", r.quantity);
    bindAmount(s, ":n3", r.purchaseAmount);
    bindAmount(s, ":n4", r.salePrice);
    bindAmount(s, ":n5", r.soldQuantity);
    bindAmount(s, ":n6", r.salesAmount);
    bindAmount(s, ":n7", r.stockQuantity);
    bindAmount(s, ":n8", r.stockValue);
    s.bind(":z", r.remarks).bind(":day1", r.day1);
}

// A product as the panel computes it: written as the general number text and
// stored as what that text reads, so 0.1 × 3 is stored as 0.3.
// Beyond what a text can carry (an overflow) the bare value stays.
double asShown(double value)
{
    const std::optional<double> shown = NumberText::parseDecimal(NumberText::general(value));
    return shown ? *shown : value;
}
double product(double x, double y) { return asShown(x * y); }

StockInCheck refuse(const QString &message, StockInBox box) { return {std::nullopt, message, box}; }

} // namespace

StockInCheck checkStockIn(const StockInBoxes &boxes, StockInKind kind)
{
    const struct {
        const QString &text;
        const char *message;
        StockInBox box;
    } required[] = {
        {boxes.name, "商品名称必须输入！", StockInBox::Name},
        {boxes.code, "商品编码必须输入！", StockInBox::Code},
        {boxes.category, "商品类别必须输入！", StockInBox::Category},
        {boxes.purchasePrice, "进货单价必须输入！", StockInBox::PurchasePrice},
        {boxes.quantity, "进货数量必须输入！", StockInBox::Quantity},
        {boxes.salePrice, "销售单价必须输入！", StockInBox::SalePrice},
    };
    for (const auto &r : required) {
        if (r.text.trimmed().isEmpty())
            return refuse(QString::fromUtf8(r.message), r.box);
    }

    const QDate date = DateText::parseDate(boxes.date);
    if (boxes.date.trimmed().isEmpty())
        return refuse(QStringLiteral("入库日期必须输入"), StockInBox::Date);
    if (!date.isValid())
        return refuse(QStringLiteral("入库日期“%1”不是有效的日期（yyyy-mm-dd）").arg(boxes.date), StockInBox::Date);

    // The hidden values may be empty on a row that never had them: that reads
    // as none sold. They are what the sales made of the row, returns
    // included, so they may be negative.
    const struct {
        const QString &text;
        const char *caption;
        StockInBox box;
        bool emptyIsZero;
        bool mayBeNegative;
    } numbers[] = {
        {boxes.purchasePrice, "进货单价", StockInBox::PurchasePrice, false, false},
        {boxes.quantity, "数量", StockInBox::Quantity, false, false},
        {boxes.salePrice, "销售单价", StockInBox::SalePrice, false, false},
        {boxes.soldQuantity, "销售数量", StockInBox::SoldQuantity, true, true},
        {boxes.salesAmount, "销售合计", StockInBox::SalesAmount, true, true},
    };
    double value[5];
    for (int i = 0; i < 5; ++i) {
        const auto &n = numbers[i];
        if (n.emptyIsZero && n.text.trimmed().isEmpty()) {
            value[i] = 0.0;
            continue;
        }
        const QString caption = QString::fromUtf8(n.caption);
        const std::optional<double> parsed = NumberText::parseDecimal(n.text);
        if (!parsed)
            return refuse(QStringLiteral("%1“%2”不是有效的数字，请重新输入。").arg(caption, n.text), n.box);
        if (!NumberLimits::inRange(*parsed))
            return refuse(QStringLiteral("%1“%2”超出允许的范围，请重新输入。").arg(caption, n.text.trimmed()), n.box);
        if (!n.mayBeNegative && *parsed < 0)
            return refuse(QStringLiteral("%1“%2”不能为负数，请重新输入。").arg(caption, n.text.trimmed()), n.box);
        value[i] = *parsed;
    }
    const double price = value[0], quantity = value[1], salePrice = value[2], sold = value[3];

    // Each box within the bound does not keep a product or difference there.
    const auto derivedBeyond = [](const char *what, const char *boxes, StockInBox box) {
        return refuse(QStringLiteral("%1超出允许的范围，请检查%2。").arg(QString::fromUtf8(what), QString::fromUtf8(boxes)),
                      box);
    };
    const double purchaseAmount = product(price, quantity);
    if (!NumberLimits::inRange(purchaseAmount))
        return derivedBeyond("进货金额", "进货单价和数量", StockInBox::Quantity);
    const double stock = kind == StockInKind::New ? quantity : asShown(quantity - sold);
    if (!NumberLimits::inRange(stock))
        return derivedBeyond("库存数量", "数量", StockInBox::Quantity);
    const double stockValue = kind == StockInKind::New ? purchaseAmount : product(stock, price);
    if (!NumberLimits::inRange(stockValue))
        return derivedBeyond("库存金额", "进货单价和数量", StockInBox::Quantity);

    GoodsRecord r;
    r.name = boxes.name.trimmed();
    r.specification = boxes.specification.trimmed();
    r.code = boxes.code.trimmed();
    r.category = boxes.category.trimmed();
    r.nameInitials = PinyinInitials(r.name);
    r.specInitials = PinyinInitials(r.specification);
    r.supplier = boxes.supplier.trimmed();
    r.remarks = boxes.remarks.trimmed();
    r.day1 = DateText::date(date);
    r.purchasePrice = price;
    r.quantity = quantity;
    r.purchaseAmount = purchaseAmount;
    r.salePrice = salePrice;
    r.soldQuantity = sold;
    r.salesAmount = value[4];
    r.stockQuantity = stock;
    r.stockValue = stockValue;
    return {r, QString(), StockInBox::None};
}

Database &GoodsStore::db() { return m_shop.db(); }

QStringList GoodsStore::hiddenFields() const
{
    using Column = OperatorRestrictions::Column;
    QStringList fields;
    if (!m_shop.maySee(Column::PurchasePrice))
        fields << QStringLiteral("1");
    if (!m_shop.maySee(Column::PurchaseAmount))
        fields << QStringLiteral("3");
    if (!m_shop.maySee(Column::StockValue))
        fields << QStringLiteral("8");
    return fields;
}

namespace {
void maskFor(const ShopContext &shop, GoodsRecord &r)
{
    using Column = OperatorRestrictions::Column;
    if (!shop.maySee(Column::PurchasePrice))
        r.purchasePrice.reset();
    if (!shop.maySee(Column::PurchaseAmount))
        r.purchaseAmount.reset();
    if (!shop.maySee(Column::StockValue))
        r.stockValue.reset();
}
} // namespace

std::vector<GoodsRecord> GoodsStore::load(const BoundQuery &query, qsizetype expectedRows)
{
    Statement s = db().prepare(query.sql);
    for (const auto &[name, value] : query.values)
        s.bind(name.constData(), value);
    std::vector<GoodsRecord> rows;
    if (expectedRows > 0)
        rows.reserve(size_t(expectedRows));
    while (s.next()) {
        rows.push_back(readRow(s));
        maskFor(m_shop, rows.back());
    }
    return rows;
}

Statement GoodsStore::statement(const BoundQuery &query)
{
    Statement s = db().prepare(query.sql);
    for (const auto &[name, value] : query.values)
        s.bind(name.constData(), value);
    return s;
}

void GoodsStore::scan(const BoundQuery &query, const std::function<void(const Statement &)> &row)
{
    Statement s = statement(query);
    while (s.next())
        row(s);
}

std::vector<GoodsRecord> GoodsStore::list(ZeroStock zeroStock)
{
    // The table's row count bounds the list; counting is cheap beside reading.
    Statement count = db().prepare(QStringLiteral("SELECT count(*) FROM data"));
    const qint64 total = count.next() ? count.integer(0) : 0;
    return load(GoodsQuery::list(zeroStock), qsizetype(total));
}

std::vector<GoodsRecord> GoodsStore::search(ZeroStock zeroStock, const GoodsSearch &search)
{
    return load(GoodsQuery::condition(zeroStock, search));
}

std::optional<GoodsRecord> GoodsStore::find(qint64 id)
{
    std::optional<GoodsRecord> row = findStored(id);
    if (row)
        maskFor(m_shop, *row);
    return row;
}

std::optional<GoodsRecord> GoodsStore::findStored(qint64 id)
{
    // Inside a write command the row stays locked (on a server) until it
    // commits, so a sale on another till cannot slip in between.
    Statement s = db().prepare(QStringLiteral("SELECT ") + GoodsQuery::selectColumns()
                               + QStringLiteral(" FROM data WHERE \"ID\"=:id")
                               + (db().inTransaction() ? db().lockRows() : QString()));
    s.bind(":id", id);
    if (!s.next())
        return std::nullopt;
    return readRow(s);
}

qint64 GoodsStore::insert(const GoodsRecord &record)
{
    m_shop.demand(OperatorRestrictions::Command::NewStockIn);
    ShopTransaction transaction(m_shop);
    Statement s = transaction.db().prepare(QStringLiteral(
        "INSERT INTO data (a,b,c,d,e,f,g,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",z,day1) "
        "VALUES (:a,:b,:c,:d,:e,:f,:g,:n1,:n2,:n3,:n4,:n5,:n6,:n7,:n8,:z,:day1)"));
    bindColumns(s, record);
    s.exec();
    const qint64 id = transaction.db().lastInsertId();
    transaction.changes().goods.added(id);
    transaction.commit();
    return id;
}

bool GoodsStore::update(const GoodsRecord &record)
{
    m_shop.demand(OperatorRestrictions::Command::ChangeGoods);
    ShopTransaction transaction(m_shop);
    Statement s = transaction.db().prepare(QStringLiteral(
        "UPDATE data SET a=:a,b=:b,c=:c,d=:d,e=:e,f=:f,g=:g,\"1\"=:n1,\"2\"=:n2,\"3\"=:n3,\"4\"=:n4,"
        "\"5\"=:n5,\"6\"=:n6,\"7\"=:n7,\"8\"=:n8,z=:z,day1=:day1 WHERE \"ID\"=:id"));
    bindColumns(s, record);
    s.bind(":id", record.id);
    s.exec();
    if (transaction.db().changes() != 1)
        return false;
    transaction.changes().goods.changed(record.id);
    transaction.commit();
    return true;
}

bool GoodsStore::remove(qint64 id)
{
    m_shop.demand(OperatorRestrictions::Command::DeleteGoods);
    ShopTransaction transaction(m_shop);
    Statement s = transaction.db().prepare(QStringLiteral("DELETE FROM data WHERE \"ID\"=:id"));
    s.bind(":id", id).exec();
    if (transaction.db().changes() != 1)
        return false;
    transaction.changes().goods.removed(id);
    transaction.commit();
    return true;
}

StockInCheck GoodsStore::addStockIn(const StockInBoxes &boxes)
{
    m_shop.demand(OperatorRestrictions::Command::NewStockIn);
    StockInCheck check = checkStockIn(boxes, StockInKind::New);
    if (check.ok())
        check.record->id = insert(*check.record);
    return check;
}

StockInCheck GoodsStore::changeStockIn(qint64 id, const StockInBoxes &boxes)
{
    m_shop.demand(OperatorRestrictions::Command::ChangeGoods);
    return retryingConflicts(db(), [&] { return changeStockInOnce(id, boxes); });
}

StockInCheck GoodsStore::changeStockInOnce(qint64 id, const StockInBoxes &boxes)
{
    StockInCheck check;
    {
        // The sold quantity and sales amount are the target row's own, read
        // under the write lock: never values a panel carried from another row.
        ShopTransaction transaction(m_shop);
        const std::optional<GoodsRecord> stored = findStored(id);
        if (!stored)
            return refuse(QStringLiteral("要修改的记录已不存在，请刷新商品列表。"), StockInBox::None);
        StockInBoxes own = boxes;
        own.soldQuantity = NumberText::general(stored->soldQuantity.value_or(0.0));
        own.salesAmount = NumberText::general(stored->salesAmount.value_or(0.0));
        check = checkStockIn(own, StockInKind::Change);
        if (!check.ok())
            return check;
        check.record->id = id;
        check.record->soldQuantity = stored->soldQuantity.value_or(0.0);
        check.record->salesAmount = stored->salesAmount.value_or(0.0);
        if (!update(*check.record))
            return refuse(QStringLiteral("要修改的记录已不存在，请刷新商品列表。"), StockInBox::None);
        transaction.commit();
    }
    return check;
}

GoodsDropDowns GoodsStore::dropDowns()
{
    const QString table = QStringLiteral("data");
    GoodsDropDowns lists;
    lists.names = DistinctValues(db(), QStringLiteral("a"), table);
    lists.specifications = DistinctValues(db(), QStringLiteral("b"), table);
    lists.codes = DistinctValues(db(), QStringLiteral("c"), table);
    lists.categories = DistinctValues(db(), QStringLiteral("d"), table);
    lists.suppliers = DistinctValues(db(), QStringLiteral("g"), table);
    return lists;
}

} // namespace quollin
