#include "support/ShopFixture.h"

#include "core/PasswordHash.h"
#include "core/ShopDatabase.h"

namespace quollin::test {

ShopFixture::ShopFixture(Start start)
    : m_shop(std::make_unique<Shop>(ShopDatabase::open(env.databasePath()), settings))
{
    if (start == Start::SignedInAsSuper)
        signIn();
}

ShopFixture::ShopFixture(const QString &databasePath, const QString &settingsPath)
    : settings(settingsPath), m_shop(std::make_unique<Shop>(ShopDatabase::open(databasePath), settings))
{
}

ShopFixture::~ShopFixture() = default;

bool ShopFixture::signIn(const QString &name, const QString &password) { return m_shop->signIn(name, password).ok; }

void ShopFixture::addOperator(const QString &name)
{
    Statement s = db().prepare(QStringLiteral("INSERT INTO userdb (username, passwd) VALUES (:n, :p)"));
    s.bind(":n", name).bind(":p", PasswordHash::hash(ShopDatabase::kInitialPassword)).exec();
}

GoodsRecord ShopFixture::boughtIn(const QString &name, double purchasePrice, double quantity, const QString &day)
{
    GoodsRecord r;
    r.name = name;
    r.purchasePrice = purchasePrice;
    r.quantity = quantity;
    r.purchaseAmount = quantity * purchasePrice;
    r.soldQuantity = 0;
    r.salesAmount = 0;
    r.stockQuantity = quantity;
    r.stockValue = quantity * purchasePrice;
    r.day1 = day;
    return r;
}

qint64 ShopFixture::seedGoods(const GoodsRecord &r)
{
    Statement s = db().prepare(QStringLiteral(
        "INSERT INTO data (a,b,c,d,e,f,g,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",z,day1) "
        "VALUES (:a,:b,:c,:d,:e,:f,:g,:n1,:n2,:n3,:n4,:n5,:n6,:n7,:n8,:z,:day1)"));
    s.bind(":a", r.name).bind(":b", r.specification).bind(":c", r.code).bind(":d", r.category);
    s.bind(":e", r.nameInitials).bind(":f", r.specInitials).bind(":g", r.supplier);
    const std::pair<const char *, std::optional<double>> amounts[] = {
        {":n1", r.purchasePrice}, {":n2", r.quantity},      {":n3", r.purchaseAmount}, {":n4", r.salePrice},
        {":n5", r.soldQuantity},  {":n6", r.salesAmount},   {":n7", r.stockQuantity},  {":n8", r.stockValue}};
    for (const auto &[name, value] : amounts) {
        if (value)
            s.bind(name, *value);
        else
            s.bindNull(name);
    }
    s.bind(":z", r.remarks).bind(":day1", r.day1);
    s.exec();
    return db().lastInsertId();
}

qint64 ShopFixture::count(const QString &table)
{
    // Only the shop's own tables: the name is part of the statement text.
    static const QStringList tables{QStringLiteral("data"), QStringLiteral("data1"), QStringLiteral("userdb"),
                                    QStringLiteral("rz")};
    if (!tables.contains(table))
        return -1;
    Statement s = db().prepare(QStringLiteral("SELECT count(*) FROM ") + table);
    return s.next() ? s.integer(0) : 0;
}

} // namespace quollin::test
