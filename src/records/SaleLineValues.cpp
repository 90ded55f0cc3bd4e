#include "records/SaleLineValues.h"

#include "core/Database.h"

namespace quollin {

namespace {

// The engine's LIKE folds only the letters A to Z.
QString foldAscii(const QString &text)
{
    QString out = text;
    for (QChar &ch : out)
        if (ch >= QLatin1Char('A') && ch <= QLatin1Char('Z'))
            ch = QChar(ch.unicode() + ('a' - 'A'));
    return out;
}

QString quotedField(SaleLineValues::Column column)
{
    return QLatin1Char('"') + QLatin1String(SaleLineValues::field(column)) + QLatin1Char('"');
}

} // namespace

const char *SaleLineValues::field(Column column)
{
    static const char *const fields[kColumns] = {"d", "e", "c", "f", "g", "j"};
    return fields[column];
}

void SaleLineValues::load(Database &db, Column column)
{
    if (m_loaded[size_t(column)])
        return;
    // One index seek per distinct value: a few thousand seeks instead of a
    // walk over a million index entries.
    const QString c = quotedField(column);
    Statement first = db.prepare(QStringLiteral("SELECT %1 FROM data1 WHERE %1 IS NOT NULL ORDER BY %1 LIMIT 1").arg(c));
    Statement next = db.prepare(QStringLiteral("SELECT %1 FROM data1 WHERE %1>:last ORDER BY %1 LIMIT 1").arg(c));
    QSet<QString> values;
    if (first.next()) {
        QVariant last = first.value(0);
        values.insert(last.toString());
        for (;;) {
            next.reset();
            next.bind(":last", last);
            if (!next.next())
                break;
            last = next.value(0);
            values.insert(last.toString());
        }
    }
    m_values[size_t(column)] = std::move(values);
    m_loaded[size_t(column)] = true;
}

void SaleLineValues::forget(Column column)
{
    m_values[size_t(column)] = {};
    m_loaded[size_t(column)] = false;
}

void SaleLineValues::forgetAll()
{
    for (int c = 0; c < kColumns; ++c)
        forget(Column(c));
}

QStringList SaleLineValues::matching(Column column, const QString &text) const
{
    const QString wanted = foldAscii(text);
    QStringList out;
    for (const QString &value : m_values[size_t(column)])
        if (foldAscii(value).contains(wanted))
            out << value;
    return out;
}

QStringList SaleLineValues::values(Column column) const
{
    QStringList out(m_values[size_t(column)].begin(), m_values[size_t(column)].end());
    out.sort();
    return out;
}

void SaleLineValues::add(Column column, const std::optional<QString> &value)
{
    if (m_loaded[size_t(column)] && value)
        m_values[size_t(column)].insert(*value);
}

void SaleLineValues::recheck(Database &db, Column column, const std::optional<QString> &value)
{
    if (!m_loaded[size_t(column)] || !value || !m_values[size_t(column)].contains(*value))
        return;
    Statement still = db.prepare(QStringLiteral("SELECT 1 FROM data1 WHERE %1=:v LIMIT 1").arg(quotedField(column)));
    still.bind(":v", *value);
    if (!still.next())
        m_values[size_t(column)].remove(*value);
}

} // namespace quollin
