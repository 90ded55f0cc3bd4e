#pragma once

#include "sales/PrintLayout.h"
#include "sales/PrintTexts.h"
#include "sales/SlipLines.h"

#include <QString>

#include <vector>

namespace quollin {

// What the A4 sales slip prints besides its lines.
struct SlipInput {
    QString header;   // dan1
    QString contact;  // dan2
    QString slogan1;  // dan3; empty: no slogan band
    QString slogan2;  // dan4
    QString slipNumber;
    QString operatorName;
    std::vector<SlipLine> lines;

    // The slip of that number with the print settings' texts, lines still
    // to be read.
    static SlipInput withTexts(const PrintTexts &texts, const QString &slipNumber, const QString &operatorName);
};

struct SlipDocument {
    PrintLayout layout;
    QString total;    // general number format
    QString capitals; // empty when the total cannot be written in capitals
    // One message for the operator when the capitals field stays empty for a
    // reason he should know (a negative total); empty otherwise.
    QString notice;
};

// The sales slip for a portrait A4 page, in tenths of a millimetre. Bands
// from the top: title, customer and slip lines, column headings, one framed
// row per line, the summary, the slogans (only when slogan 1 is filled) and
// the signatures. Rows that do not fit go on to the next page under the
// column headings again.
class SlipLayout {
public:
    static constexpr int kDotsPerInch = 254;
    static constexpr int kPageWidth = 2100;
    static constexpr int kPageHeight = 2970;
    static constexpr int kLeft = 100;
    static constexpr int kRight = 2000;
    static constexpr int kTop = 100;
    static constexpr int kBottom = 2870;
    static constexpr int kRowHeight = 60;

    static SlipDocument build(const SlipInput &input);
};

} // namespace quollin
