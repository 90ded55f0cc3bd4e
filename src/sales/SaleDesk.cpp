#include "sales/SaleDesk.h"

#include "core/EngineMessage.h"
#include "core/DateText.h"
#include "core/TrimmedInput.h"

namespace quollin {

SaleResult SaleDesk::confirm(SaleInput input, RecordedSale::Origin origin)
{
    if (!m_shop.rights().mayRun(OperatorRestrictions::Command::EditSaleDate))
        input.saleDate = DateText::today();
    SaleResult result;
    try {
        ShopTransaction tx(m_shop);
        result = confirmSale(tx.db(), input);
        if (!result.ok)
            return result; // rolled back with tx
        RecordedSale sale;
        sale.goodsId = input.goodsId;
        sale.lineId = result.lineId;
        sale.slipNumber = result.slipNumber;
        sale.customer = TrimmedInput(input.customer);
        sale.origin = origin;
        tx.changes().goods.changed(input.goodsId);
        tx.changes().saleLines.added(result.lineId);
        tx.changes().sale = sale;
        tx.commit();
    } catch (const DbError &e) {
        // The file is closed (a backup under way) or the commit failed:
        // nothing was written.
        result = SaleResult{};
        result.refusal = SaleRefusal::Database;
        result.message = engineMessage(e);
    }
    return result;
}

} // namespace quollin
