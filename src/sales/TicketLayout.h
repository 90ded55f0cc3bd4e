#pragma once

#include "sales/PrintLayout.h"
#include "sales/SlipLines.h"

#include <QString>

#include <vector>

namespace quollin {

// What a POS ticket of a slip prints besides its lines.
struct TicketInput {
    QString title;    // pos1
    QString slogan1;  // pos2
    QString slogan2;  // pos3
    QString closing;  // pos4
    QString slipNumber;
    QString cashier;
    QString date;     // as the stock-in date box shows it
    QString time;     // hh:mm:ss
    QString total;    // as the total box shows it
    QString cash;     // two decimals
    QString change;   // two decimals
    std::vector<SlipLine> lines;
};

// A narrow receipt ticket in the receipt printer's dots (203 per inch),
// every line from x = 0, 30 dots apart. The page is 250 mm long, or longer
// when the ticket needs more: roll paper has no fixed end, and a ticket is
// never cut short.
class TicketLayout {
public:
    static constexpr int kDotsPerInch = 203;
    static constexpr double kPaperWidthMm = 58;
    static constexpr double kPaperLengthMm = 250;
    static constexpr int kLinePitch = 30;

    static PrintLayout build(const TicketInput &input);

    // Tickets are set in a monospaced face whose Chinese characters are
    // exactly two Latin cells wide, as on a receipt printer's own font: the
    // columns, counted in GBK bytes, then stand where the bytes say on the
    // system printer and in a PDF too.
    static PrintFont font(double points, bool bold = false);

    // The name column of a line: cut to 18 GBK bytes at a character boundary
    // (a cut never halves a character), a name that reached 18 bytes followed
    // by one blank, a shorter one padded with blanks to 18 bytes. Counted as
    // sent: control characters dropped, a character GBK lacks as one "?".
    static QString nameColumn(const QString &name);
    // The whole text of a line: name column, a blank, the quantity, six
    // blanks, the amount.
    static QString lineText(const SlipLine &line);
    // The y of the ticket's last line: 450 + 30 per line.
    static int lastLineY(int lineCount);
};

} // namespace quollin
