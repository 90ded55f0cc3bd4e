#pragma once

#include <QString>

#include <optional>

namespace quollin {

// The cash a customer hands over for the current slip, against the slip's
// total as the slip panel shows it. Texts in, texts out: the boxes hold them.
class Tender {
public:
    enum class Verdict {
        NoSale,     // the total is "0": nothing to tender for
        NoCash,     // the cash box is empty
        NotANumber, // a lone point or the like
        ShortCash,  // the cash does not cover the total
        Print,
    };

    // The change box's text for this cash and total: cash − total in the
    // general number format. No value when the cash box is empty or either
    // text is no number; the change box then keeps what it shows.
    static std::optional<QString> change(const QString &cash, const QString &total);

    // Whether a ticket may be printed for this slip.
    static Verdict check(const QString &total, const QString &cash);

    // What the operator reads for a refusal; empty for Print.
    static QString message(Verdict verdict);

    // The amounts as the ticket prints them, cash and change with two
    // decimals; only for texts check() lets through.
    static QString cashOnTicket(const QString &cash);
    static QString changeOnTicket(const QString &cash, const QString &total);
};

} // namespace quollin
