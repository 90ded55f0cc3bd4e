#include "sales/SlipBook.h"

#include "core/Columns.h"
#include "core/Database.h"
#include "core/DateText.h"
#include "core/DistinctValues.h"
#include "core/ShopContext.h"
#include "sales/SlipNumber.h"

#include <algorithm>
#include <vector>

namespace quollin {

std::optional<SlipCustomer> SlipBook::customerOfSlip(const QString &slipNumber)
{
    // Grouped as the lines were entered; ordered so that "the first" means
    // the same on every engine.
    Statement s = m_shop.db().prepare(QStringLiteral(
        "SELECT g,h,i,j FROM data1 WHERE z=:z GROUP BY g,h,i,j ORDER BY g,h,i,j"));
    s.bind(":z", slipNumber.trimmed());
    if (!s.next())
        return std::nullopt;
    return SlipCustomer{s.text(0), s.text(1), s.text(2), s.text(3)};
}

std::optional<SlipCustomer> SlipBook::addressOf(const QString &customerName)
{
    Statement s = m_shop.db().prepare(QStringLiteral("SELECT h,i FROM data1 WHERE g=:g GROUP BY h,i ORDER BY h,i"));
    s.bind(":g", customerName.trimmed());
    if (!s.next())
        return std::nullopt;
    return SlipCustomer{customerName.trimmed(), s.text(0), s.text(1), QString()};
}

QStringList SlipBook::customers() { return DistinctValues(m_shop.db(), QStringLiteral("g"), QStringLiteral("data1")); }

namespace {

// The serials of that day's slips that hold lines, in ascending order.
std::vector<int> usedSerials(Database &db, const QDate &day)
{
    // The day's numbers all begin with its eight digits, so a range on z
    // finds them through the index; the serial is the rest of the number.
    const QString prefix = SlipNumber(day, 0).chopped(3);
    const QString after = SlipNumber(day.addDays(1), 0).chopped(3);
    Statement s = db.prepare(QStringLiteral("SELECT z FROM data1 WHERE z>=:from AND z<:to GROUP BY z"));
    s.bind(":from", prefix).bind(":to", after);
    std::vector<int> serials;
    while (s.next())
        if (const std::optional<int> serial = SlipSerialOf(s.text(0), day))
            serials.push_back(*serial);
    // 001 and a typed 0001 are one serial.
    std::sort(serials.begin(), serials.end());
    serials.erase(std::unique(serials.begin(), serials.end()), serials.end());
    return serials;
}

} // namespace

int HighestSlipSerial(Database &db, const QDate &day)
{
    const std::vector<int> used = usedSerials(db, day);
    return used.empty() ? 0 : used.back();
}

namespace {

// The first serial from `from` on whose slip holds no lines.
std::optional<int> firstUnused(const std::vector<int> &used, int from)
{
    int serial = std::max(from, 0);
    for (auto at = std::lower_bound(used.begin(), used.end(), serial); at != used.end() && *at == serial; ++at)
        ++serial;
    if (serial > kMaxSlipSerial)
        return std::nullopt;
    return serial;
}

// On a server several tills hand out numbers at once: a number handed out
// is taken from the day's counter, so no other till is given it, whether or
// not a sale follows. The counter never goes back; a slip with lines (sold
// before the counter knew of it) is stepped over.
std::optional<int> reserveSerial(Database &db, const QDate &day, const std::vector<int> &used, int from)
{
    Statement take = db.prepare(QStringLiteral(
        "INSERT INTO slip_serials (day, serial) VALUES (:day, :from) "
        "ON CONFLICT (day) DO UPDATE SET serial = greatest(slip_serials.serial + 1, excluded.serial) "
        "RETURNING serial"));
    for (std::optional<int> next = firstUnused(used, from); next;) {
        take.bind(":day", DateText::date(day)).bind(":from", *next);
        if (!take.next())
            return std::nullopt;
        const int reserved = int(take.integer(0));
        take.reset();
        const std::optional<int> free = firstUnused(used, reserved);
        if (free == reserved)
            return reserved;
        next = free;
    }
    return std::nullopt;
}

} // namespace

std::optional<int> FreeSlipSerial(Database &db, const QDate &day, int from)
{
    const std::vector<int> used = usedSerials(db, day);
    if (db.isServer())
        return reserveSerial(db, day, used, from);
    return firstUnused(used, from);
}

int SlipBook::highestSerialOn(const QDate &day) { return HighestSlipSerial(m_shop.db(), day); }

std::optional<int> SlipBook::freeSerialOn(const QDate &day, int from) { return FreeSlipSerial(m_shop.db(), day, from); }

namespace {

// The columns a slip line is read from, in the order lineAt() takes them.
QString lineColumns()
{
    using namespace SaleLineColumn;
    QStringList names;
    for (const char *name : {Name, Specification, Code, Quantity, Price, Amount, Customer, Address, Phone, Remark, SaleDate})
        names << QLatin1Char('"') + QLatin1String(name) + QLatin1Char('"');
    return names.join(QLatin1Char(','));
}

SlipLine lineAt(const Statement &s)
{
    const auto text = [&s](int at) { return s.isNull(at) ? QString() : s.text(at); };
    const auto number = [&s](int at) { return s.isNull(at) ? 0.0 : s.real(at); };
    SlipLine line;
    line.name = text(0);
    line.specification = text(1);
    line.code = text(2);
    line.quantity = number(3);
    line.price = number(4);
    line.amount = number(5);
    line.customer = text(6);
    line.address = text(7);
    line.phone = text(8);
    line.remark = text(9);
    line.day = text(10);
    return line;
}

} // namespace

std::vector<SlipLine> SlipBook::lines(const QString &slipNumber)
{
    // Exactly this number: a pattern would put serials 1000-1009 on slip 100.
    Statement s = m_shop.db().prepare(QStringLiteral("SELECT %1 FROM data1 WHERE z=:z ORDER BY \"ID\"").arg(lineColumns()));
    s.bind(":z", slipNumber.trimmed());
    std::vector<SlipLine> out;
    while (s.next())
        out.push_back(lineAt(s));
    return out;
}

std::optional<SlipLine> SlipBook::line(qint64 lineId)
{
    Statement s = m_shop.db().prepare(QStringLiteral("SELECT %1 FROM data1 WHERE \"ID\"=:id").arg(lineColumns()));
    s.bind(":id", lineId);
    if (!s.next())
        return std::nullopt;
    return lineAt(s);
}

} // namespace quollin
