#include "widgets/GridReport.h"

#include "core/NumberText.h"

namespace quollin {

QString GridReport::footerText(int column) const
{
    const GridColumn &c = model->column(column);
    switch (c.footer) {
    case FooterKind::None:
        return {};
    case FooterKind::Text:
        return c.footerText;
    case FooterKind::Sum:
        break;
    }
    const double total = model->sum(column);
    switch (c.kind) {
    case GridKind::Amount:
        return NumberText::amount(total);
    case GridKind::Quantity:
        return NumberText::quantity(total);
    default:
        return NumberText::general(total);
    }
}

} // namespace quollin
