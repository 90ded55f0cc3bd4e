#pragma once

#include <QString>

namespace quollin {

// The text as it may go to a printer or into a PDF. Control characters are
// dropped: a receipt printer takes an ESC or GS inside a goods name as a
// command (the drawer pulse, the cut). So are the invisible format
// characters, the bidi controls among them: U+202E at the head of a name
// would print its whole line backwards. Line breaks go too: every printed
// text is one line of its layout.
QString PrintableText(const QString &text);

// The text as a message box shows it: the same characters dropped, but line
// breaks and tabs kept, since a message may run over several lines.
QString MessageText(const QString &text);

} // namespace quollin
