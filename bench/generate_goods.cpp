#include "GoodsGenerator.h"

#include "core/Database.h"
#include "core/NumberText.h"
#include "goods/GoodsStore.h"

#include <QDate>
#include <QRandomGenerator>
#include <QStringList>

namespace quollin {

namespace {

const QStringList kBrands = {"康师傅", "统一", "娃哈哈", "可口", "百事", "蒙牛", "伊利", "光明", "农夫",
                              "金龙鱼", "海天", "老干妈", "双汇", "雀巢", "立白", "蓝月亮", "得力", "晨光"};
const QStringList kGoods = {"方便面", "红茶", "绿茶", "矿泉水", "可乐", "牛奶", "酸奶", "食用油", "酱油",
                             "辣椒酱", "火腿肠", "咖啡", "洗衣粉", "洗洁精", "铅笔", "笔记本", "胶水", "剪刀"};
const QStringList kModels = {"500ml", "1.5L", "大号", "小号", "袋装", "盒装", "桶装", "红色", "蓝色", "家庭装"};
const QStringList kCategories = {"食品", "饮料", "调料", "日用", "文具", "五金"};
const QStringList kSuppliers = {"华联批发", "永辉配送", "城南商贸", "东方百货", "利民供销"};

const QString &pick(const QStringList &list, QRandomGenerator &random)
{
    return list.at(int(random.bounded(quint32(list.size()))));
}

} // namespace

void generateGoods(Database &db, int rows, quint32 seed)
{
    QRandomGenerator random(seed);
    // Straight into the table: the store now needs a whole shop session.
    Statement insert = db.prepare(QStringLiteral(
        "INSERT INTO data (a,b,c,d,e,f,g,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",z,day1) "
        "VALUES (:a,:b,:c,:d,:e,:f,:g,:n1,:n2,:n3,:n4,:n5,:n6,:n7,:n8,:z,:day1)"));
    const QDate first(2014, 1, 1);
    Transaction transaction(db);
    for (int i = 0; i < rows; ++i) {
        StockInBoxes b;
        b.name = pick(kBrands, random) + pick(kGoods, random);
        b.specification = pick(kModels, random);
        b.code = QStringLiteral("69%1").arg(random.bounded(100000000000LL), 11, 10, QLatin1Char('0'));
        b.category = pick(kCategories, random);
        b.date = first.addDays(random.bounded(3 * 365)).toString(Qt::ISODate);
        const double price = random.bounded(1, 20000) / 100.0;
        const int quantity = random.bounded(1, 200);
        b.purchasePrice = NumberText::general(price);
        b.quantity = QString::number(quantity);
        const double salePrice = NumberText::roundHalfAwayFromZero(price * 1.3, 2);
        b.salePrice = NumberText::general(salePrice);
        b.supplier = pick(kSuppliers, random);
        if (random.bounded(5) == 0)
            b.remarks = QStringLiteral("促销");
        // Some stock sold, a tenth sold out.
        const int sold = random.bounded(10) == 0 ? quantity : random.bounded(quantity);
        b.soldQuantity = QString::number(sold);
        b.salesAmount = NumberText::general(sold * salePrice);
        const StockInCheck check = checkStockIn(b, StockInKind::Change);
        if (!check.ok())
            throw DbError(check.error);
        const GoodsRecord &r = *check.record;
        insert.bind(":a", r.name).bind(":b", r.specification).bind(":c", r.code).bind(":d", r.category);
        insert.bind(":e", r.nameInitials).bind(":f", r.specInitials).bind(":g", r.supplier);
        insert.bind(":n1", *r.purchasePrice).bind(":n2", *r.quantity).bind(":n3", *r.purchaseAmount);
        insert.bind(":n4", *r.salePrice).bind(":n5", *r.soldQuantity).bind(":n6", *r.salesAmount);
        insert.bind(":n7", *r.stockQuantity).bind(":n8", *r.stockValue).bind(":z", r.remarks).bind(":day1", r.day1);
        insert.exec();
        insert.reset();
    }
    transaction.commit();
}

} // namespace quollin
