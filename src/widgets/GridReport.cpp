#include "widgets/GridReport.h"

namespace quollin {

QString GridReport::footerText(int column) const { return model->footerText(column); }

} // namespace quollin
