#pragma once

#include "sales/PrintLayout.h"

#include <QByteArray>

namespace quollin {

// The same ticket as the system printer gets, as the byte stream a thermal
// receipt printer without a driver understands (ESC/POS): each placed text a
// line of GBK text in the order it stands on the ticket, bold where the
// layout is bold, then a feed and a cut. Many such printers hang on a plain
// USB or network port with no queue in between.
class EscPosTicket {
public:
    // Optionally the pulse that opens a cash drawer hanging on the printer.
    static QByteArray encode(const PrintLayout &ticket, bool openDrawer);

    // The control sequences, for those who check the stream.
    static QByteArray initialise();  // ESC @, then the printer's Chinese mode (FS &)
    static QByteArray boldOn();      // ESC E 1
    static QByteArray boldOff();     // ESC E 0
    static QByteArray feedAndCut();  // GS V 66 n: feed to the cutter, partial cut
    static QByteArray drawerPulse(); // ESC p 0: pin 2, 50 ms on, 500 ms off

    // The printable text as GBK; a character GBK lacks becomes "?" rather
    // than garbling the rest of the line.
    static QByteArray gbk(const QString &text);
};

} // namespace quollin
