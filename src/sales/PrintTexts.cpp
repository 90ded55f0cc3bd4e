#include "sales/PrintTexts.h"

#include "core/ShopSettings.h"

namespace quollin {

PrintTexts PrintTexts::load(const ShopSettings &settings)
{
    PrintTexts texts;
    texts.ticketPrinter = settings.ticketPrinter();
    texts.openDrawer = settings.cashDrawer();
    if (settings.pos(1).isEmpty())
        return texts;
    texts.ticketTitle = settings.pos(1);
    texts.ticketSlogan1 = settings.pos(2);
    texts.ticketSlogan2 = settings.pos(3);
    texts.ticketClosing = settings.pos(4);
    texts.slipHeader = settings.dan(1);
    texts.slipContact = settings.dan(2);
    texts.slipSlogan1 = settings.dan(3);
    texts.slipSlogan2 = settings.dan(4);
    texts.company = settings.company();
    return texts;
}

bool PrintTexts::save(ShopSettings &settings) const
{
    bool ok = settings.setPos(1, ticketTitle);
    ok = settings.setPos(2, ticketSlogan1) && ok;
    ok = settings.setPos(3, ticketSlogan2) && ok;
    ok = settings.setPos(4, ticketClosing) && ok;
    ok = settings.setDan(1, slipHeader) && ok;
    ok = settings.setDan(2, slipContact) && ok;
    ok = settings.setDan(3, slipSlogan1) && ok;
    ok = settings.setDan(4, slipSlogan2) && ok;
    ok = settings.setTicketPrinter(ticketPrinter) && ok;
    ok = settings.setCashDrawer(openDrawer) && ok;
    return settings.setCompany(company) && ok;
}

} // namespace quollin
