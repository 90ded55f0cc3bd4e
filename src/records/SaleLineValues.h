#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace quollin {

class Database;

// The distinct values of the sale-line columns the records window searches
// as the operator types. A shop has a few thousand customers, names and codes
// but a million lines: the typed text is matched against the values held
// here, and only the lines of the matching values are read, through each
// column's index. A column's values are read at its first search and then
// follow every announced change.
class SaleLineValues {
public:
    enum Column { Category, NameInitials, Code, SpecInitials, Customer, Remark };
    static constexpr int kColumns = 6;
    // The stored field of a column.
    static const char *field(Column column);

    bool isLoaded(Column column) const { return m_loaded[size_t(column)]; }
    // Reads the column's distinct values (a NULL is no value: it never
    // matches a search) when not held yet.
    void load(Database &db, Column column);
    void forget(Column column);
    void forgetAll();

    // The held values containing the text as the engine's LIKE finds it
    // anywhere: letters A to Z in either case alike, every other character
    // as it is ("%" and "_" literally).
    QStringList matching(Column column, const QString &text) const;
    QStringList values(Column column) const;

    // A line now holds this value.
    void add(Column column, const std::optional<QString> &value);
    // A line held this value and no longer does: dropped unless another line
    // still holds it.
    void recheck(Database &db, Column column, const std::optional<QString> &value);

private:
    std::array<QSet<QString>, kColumns> m_values;
    std::array<bool, kColumns> m_loaded{};
};

// The searched values of one line, in column order; none for a NULL.
using SaleLineSearchValues = std::array<std::optional<QString>, SaleLineValues::kColumns>;

} // namespace quollin
