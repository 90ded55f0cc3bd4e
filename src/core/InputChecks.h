#pragma once

#include "core/TrimmedInput.h"

#include <QString>

class QComboBox;
class QLineEdit;
class QWidget;

namespace quollin {

class Database;
class Prompter;

// The required-field checks every command runs before it writes: true when
// the box holds something other than blanks and control characters; otherwise
// the caller's message is shown as a warning, the focus goes to the box and
// the result is false. The box keeps its text either way.
bool RequireText(QLineEdit *box, const QString &message, Prompter &prompter);
bool RequireChoice(QComboBox *box, const QString &message, Prompter &prompter);

// Empties the drop-down box, text and list, then lists the column's distinct
// values (a null as an empty first entry).
void FillDistinct(Database &db, const QString &column, const QString &table, QComboBox *box);

} // namespace quollin
