#pragma once

#include "records/ComposerPrint.h"
#include "sales/PrintLayout.h"

namespace quollin {

// The composer's POS ticket, on the same roll as the slip ticket (203 dots
// per inch, every line from x = 0): its own title and slogan, the non-empty
// rows in order, cash and change as the boxes show them, and the shop's name
// and address at the foot. None of the print settings' texts.
class ComposerTicketLayout {
public:
    static constexpr int kFirstRowY = 105;

    static PrintLayout build(const ComposerPrint &print);
    // A row as the ticket prints it: name, six blanks, quantity, five
    // blanks, amount.
    static QString rowText(const ComposerRow &row);
};

} // namespace quollin
