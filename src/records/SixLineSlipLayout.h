#pragma once

#include "records/ComposerPrint.h"
#include "sales/PrintLayout.h"

#include <QStringList>

namespace quollin {

// The composer's six-line slip: one block of 190 × 90 mm at the top of a
// portrait A4 page, in tenths of a millimetre. The shop's name and address,
// the customer, the six rows under their headings with the remark filling
// the "备 注" column beside them, the total in figures and capitals, and the
// signature lines, left blank for whoever signs (only the operator is known).
struct SixLineSlip {
    PrintLayout layout;
    QString capitals; // empty when the total cannot be written in capitals
    QString notice;   // one message for the operator about an empty capitals field
};

class SixLineSlipLayout {
public:
    static constexpr int kDotsPerInch = 254;
    static constexpr int kLeft = 100;
    static constexpr int kRight = 2000;
    static constexpr int kTop = 100;
    static constexpr int kHeadingY = 320;
    static constexpr int kRowHeight = 60;
    // The block ends here: 90 mm below its top.
    static constexpr int kBottom = kTop + 900;
    // How many GBK bytes of the remark go on one row of its column.
    static constexpr int kRemarkBytes = 16;

    static SixLineSlip build(const ComposerPrint &print);

    // The remark cut into the lines of its column, at most one per row, each
    // at most kRemarkBytes GBK bytes, never inside a character; what does
    // not fit six lines is dropped from the last one with "…".
    static QStringList remarkLines(const QString &remark);
};

} // namespace quollin
