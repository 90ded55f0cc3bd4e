#pragma once

#include "widgets/GridModel.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace quollin {

// What a grid hands to its printed and exported forms: the rows as the grid
// orders them now, the columns it shows (left to right) with their widths on
// screen, and who made the report when.
struct GridReport {
    const GridModel *model = nullptr;
    std::vector<int> columns; // model columns shown, in their visual order
    std::vector<int> widths;  // their widths on screen, in the same order
    QString operatorName;
    QDateTime madeAt;

    int rowCount() const { return model ? model->rowCount() : 0; }
    // The text under a column in the footer line ("" for nothing): its sum
    // in the column's format, or its fixed text.
    QString footerText(int column) const;
};

} // namespace quollin
