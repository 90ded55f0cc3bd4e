#pragma once

#include "records/ComposerRows.h"

#include <QDateTime>
#include <QString>

namespace quollin {

// What the composer's ticket and its six-line slip print: the rows and the
// boxes around them as they stand when the operator prints.
struct ComposerPrint {
    ComposerRows rows;
    QString customer;
    QString remark;
    QString total;  // as the total box shows it
    QString cash;   // as the cash box shows it
    QString change; // as the change box shows it
    QString operatorName;
    QString company; // the shop's name
    QString address; // the shop's address line
    QDateTime at;    // when it is printed
};

} // namespace quollin
