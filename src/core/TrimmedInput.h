#pragma once

#include <QString>

namespace quollin {

// The text with leading and trailing blanks and control characters removed:
// how every typed value is taken before it is checked or stored.
QString TrimmedInput(const QString &text);

} // namespace quollin
