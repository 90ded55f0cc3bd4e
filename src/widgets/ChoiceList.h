#pragma once

#include <QStringList>

class QComboBox;

namespace quollin {

// Replaces the list of a drop-down box in one model reset and empties its
// text. The box gets a string-list model of its own on the first call: adding
// tens of thousands of names item by item, as addItems does, costs many times
// more than handing over the list.
void setChoices(QComboBox *box, const QStringList &values);

} // namespace quollin
