// Confirms sales and returns on the goods rows of a shop file until it is
// killed. The crash test starts it and kills it at random moments; every line
// it writes to standard output is the ID of a sale line whose confirmation
// returned, so the test can tell which sales the program had reported done.
// With "delete" it also deletes sale lines, as the records window does, and
// writes the ID of each deleted line with a minus sign.
//
// Usage: sale_loop <database file> <seed> [delete]
#include "core/Database.h"
#include "core/SettingsStore.h"
#include "session/Shop.h"
#include "core/ShopDatabase.h"
#include "records/SaleLineStore.h"
#include "sales/SaleTransaction.h"

#include <QRandomGenerator>
#include <QString>

#include <cstdio>
#include <vector>

using namespace quollin;

int main(int argc, char **argv)
{
    if (argc != 3 && !(argc == 4 && QByteArray(argv[3]) == "delete")) {
        std::fprintf(stderr, "usage: sale_loop <database file> <seed> [delete]\n");
        return 2;
    }
    const bool deletes = argc == 4;
    try {
        const QString path = QString::fromLocal8Bit(argv[1]);
        SettingsStore settings(path + QStringLiteral(".conf"));
        Shop shop(ShopDatabase::open(path), settings);
        if (deletes && !shop.signIn(ShopDatabase::kSuperAdministrator, ShopDatabase::kInitialPassword).ok) {
            std::fprintf(stderr, "sale_loop: sign-in refused\n");
            return 2;
        }
        Database *db = &shop.db();
        std::vector<qint64> ids;
        Statement rows = db->prepare(QStringLiteral("SELECT ID FROM data ORDER BY ID"));
        while (rows.next())
            ids.push_back(rows.integer(0));
        if (ids.empty()) {
            std::fprintf(stderr, "sale_loop: no goods rows\n");
            return 2;
        }
        std::printf("ready\n");
        std::fflush(stdout);

        // Quantities with a fraction and prices whose products are inexact
        // in binary, so the stored sums carry real rounding.
        const char *const quantities[] = {"1", "2", "3", "0.5", "1.25", "0.3"};
        const char *const prices[] = {"8", "9.9", "12.35", "0.1", "100"};
        QRandomGenerator random(quint32(QByteArray(argv[2]).toULong()));
        for (int serial = 1;; ++serial) {
            if (deletes && random.bounded(3) == 0) {
                Statement pick = db->prepare(QStringLiteral("SELECT ID FROM data1 ORDER BY random() LIMIT 1"));
                if (pick.next()) {
                    const qint64 line = pick.integer(0);
                    pick.reset();
                    const SaleLineOutcome out = shop.saleLines().remove(line);
                    if (!out.ok) {
                        std::fprintf(stderr, "sale_loop: deletion refused: %s\n", out.message.toUtf8().constData());
                        return 3;
                    }
                    std::printf("-%lld\n", static_cast<long long>(line));
                    std::fflush(stdout);
                    continue;
                }
            }
            SaleInput in;
            in.goodsId = ids[random.bounded(quint32(ids.size()))];
            in.quantity = QString::fromLatin1(quantities[random.bounded(6)]);
            if (random.bounded(2) == 0)
                in.quantity.prepend(QLatin1Char('-'));
            in.price = QString::fromLatin1(prices[random.bounded(5)]);
            in.arrears = QStringLiteral("0");
            in.saleDate = QStringLiteral("2024-03-05");
            in.slipNumber = QStringLiteral("20240305%1").arg(serial % 1000, 3, 10, QLatin1Char('0'));
            in.customer = QStringLiteral("客户%1").arg(random.bounded(20));
            const SaleResult r = confirmSale(*db, in);
            if (!r.ok) {
                std::fprintf(stderr, "sale_loop: sale refused: %s\n", r.message.toUtf8().constData());
                return 3;
            }
            std::printf("%lld\n", static_cast<long long>(r.lineId));
            std::fflush(stdout);
        }
    } catch (const DbError &e) {
        std::fprintf(stderr, "sale_loop: %s\n", e.message().toUtf8().constData());
        return 4;
    }
}
