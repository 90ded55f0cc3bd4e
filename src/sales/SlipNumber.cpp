#include "sales/SlipNumber.h"

namespace quollin {

QString SlipNumber(const QDate &day, int serial)
{
    // asprintf's "%.2d" pads with zeros but never cuts, so serial 1000 keeps
    // all four digits.
    return QString::asprintf("%d%.2d%.2d%.3d", day.year(), day.month(), day.day(), serial);
}

} // namespace quollin
