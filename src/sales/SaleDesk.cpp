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
        result = confirmSale(m_shop.db(), input);
    } catch (const DbError &e) {
        // The file is closed (a backup under way): nothing was written.
        result.refusal = SaleRefusal::Database;
        result.message = engineMessage(e);
        return result;
    }
    if (result.ok) {
        RecordedSale sale;
        sale.goodsId = input.goodsId;
        sale.lineId = result.lineId;
        sale.slipNumber = result.slipNumber;
        sale.customer = TrimmedInput(input.customer);
        sale.origin = origin;
        emit m_shop.saleRecorded(sale);
    }
    return result;
}

} // namespace quollin
