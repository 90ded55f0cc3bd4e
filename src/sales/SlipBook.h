#pragma once

#include "core/ShopContext.h"
#include "sales/SlipLines.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quollin {

class Database;
class ShopContext;

// The highest serial among the slips of that day that hold lines; 0 when
// there is none. A new day's count starts after it. Numbers typed in another
// form or beyond the highest serial do not count.
int HighestSlipSerial(Database &db, const QDate &day);
// The first serial from `from` on whose slip of that day holds no lines, as
// the file holds them now: where a new number goes, so that it never lands on
// a slip that already has lines. None when every serial up to the highest is
// taken.
std::optional<int> FreeSlipSerial(Database &db, const QDate &day, int from);

// The customer fields a sale line carries.
struct SlipCustomer {
    QString name;    // g
    QString address; // h
    QString phone;   // i
    QString remark;  // j
};

// The slips and customers as the sale lines in table data1 give them: a slip
// is the set of lines with one number in z, a customer is a distinct g.
class SlipBook {
public:
    explicit SlipBook(ShopContext &shop) : m_shop(shop) {}

    // The customer of a known slip: the first of its distinct customer rows.
    // None for a number without lines.
    std::optional<SlipCustomer> customerOfSlip(const QString &slipNumber);
    // Address and phone of a known customer (name, remark left empty): the
    // first of the distinct pairs used with that name.
    std::optional<SlipCustomer> addressOf(const QString &customerName);
    // The names of all customers, as the customer drop-down lists them.
    QStringList customers();

    // Whether a free serial is taken from a server's counter (several tills
    // hand out numbers at once) rather than looked up.
    bool reservesNumbers() { return m_shop.db().isServer(); }
    // HighestSlipSerial and FreeSlipSerial on the shop's file.
    int highestSerialOn(const QDate &day);
    std::optional<int> freeSerialOn(const QDate &day, int from);

    // The lines of exactly this slip, in the order they were sold.
    std::vector<SlipLine> lines(const QString &slipNumber);
    // One sale line by its ID (a line just sold); none when it is gone.
    std::optional<SlipLine> line(qint64 lineId);

private:
    ShopContext &m_shop;
};

} // namespace quollin
