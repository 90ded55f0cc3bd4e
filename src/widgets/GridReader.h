#pragma once

#include "widgets/GridModel.h"

#include <QStringList>
#include <QVariantList>

#include <vector>

namespace quollin {

class Statement;

// Reads a statement's rows into grid cells by field name: each grid column
// takes the result column named like its field. A field the operator may not
// see is never read; its cells stay empty.
class GridReader {
public:
    GridReader(const Statement &statement, const GridRows &shape, const QStringList &hiddenFields = {});

    // The statement's current row appended to the rows, straight from the
    // engine's text (nothing held twice), with its ID when the statement
    // returns one.
    void appendRow(const Statement &statement, GridRows &rows) const;
    // The current row as values, for replacing one row in place.
    QVariantList values(const Statement &statement) const;

private:
    std::vector<int> m_stored; // result column of each grid column; -1 when not read
    int m_id = -1;
    std::vector<char> m_numeric;
};

} // namespace quollin
