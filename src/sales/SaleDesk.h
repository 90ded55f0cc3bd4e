#pragma once

#include "core/ShopContext.h"
#include "sales/SaleTransaction.h"

namespace quollin {

// Sales as the signed-in operator may make them: the operator's rights
// decide the sale date, the sale itself is confirmSale's, and a committed
// sale is announced to every window that shows it.
class SaleDesk {
public:
    explicit SaleDesk(ShopContext &shop) : m_shop(shop) {}

    // Only an operator who may edit the sale date sells on another day; for
    // everybody else the sale is dated today, whatever the box said.
    SaleResult confirm(SaleInput input, RecordedSale::Origin origin = RecordedSale::Origin::Panel);

private:
    ShopContext &m_shop;
};

} // namespace quollin
