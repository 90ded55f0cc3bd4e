#include "widgets/GridReader.h"

#include "core/Database.h"

namespace quollin {

GridReader::GridReader(const Statement &statement, const GridRows &shape, const QStringList &hiddenFields)
{
    for (int column = 0; column < shape.columnCount(); ++column) {
        const QString &field = shape.columnField(column);
        m_stored.push_back(hiddenFields.contains(field) ? -1 : statement.columnIndex(field.toUtf8().constData()));
        m_numeric.push_back(shape.isNumericColumn(column));
    }
    for (int column = 0; column < statement.columnCount(); ++column)
        if (statement.columnName(column).compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0)
            m_id = column;
}

void GridReader::appendRow(const Statement &s, GridRows &rows) const
{
    for (int column = 0; column < int(m_stored.size()); ++column) {
        const int at = m_stored[size_t(column)];
        if (!m_numeric[size_t(column)])
            rows.appendText(column, at < 0 ? QByteArrayView() : s.utf8(at));
        else if (at < 0 || s.isNull(at))
            rows.appendEmptyNumber(column);
        else
            rows.appendNumber(column, s.real(at));
    }
    rows.endRow(m_id < 0 ? 0 : s.integer(m_id));
}

QVariantList GridReader::values(const Statement &s) const
{
    QVariantList values;
    for (int column = 0; column < int(m_stored.size()); ++column) {
        const int at = m_stored[size_t(column)];
        if (m_numeric[size_t(column)])
            values << (at < 0 || s.isNull(at) ? QVariant() : QVariant(s.real(at)));
        else
            values << (at < 0 ? QString() : s.text(at));
    }
    return values;
}

} // namespace quollin
