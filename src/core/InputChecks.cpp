#include "core/InputChecks.h"

#include "core/DistinctValues.h"
#include "core/Prompter.h"

#include <QComboBox>
#include <QLineEdit>

namespace quollin {

namespace {

bool requireIn(QWidget *box, const QString &text, const QString &message, Prompter &prompter)
{
    if (!TrimmedInput(text).isEmpty())
        return true;
    prompter.warning(message);
    box->setFocus(Qt::OtherFocusReason);
    return false;
}

} // namespace

bool RequireText(QLineEdit *box, const QString &message, Prompter &prompter)
{
    return requireIn(box, box->text(), message, prompter);
}

bool RequireChoice(QComboBox *box, const QString &message, Prompter &prompter)
{
    return requireIn(box, box->currentText(), message, prompter);
}

void FillDistinct(Database &db, const QString &column, const QString &table, QComboBox *box)
{
    const QStringList values = DistinctValues(db, column, table);
    box->clear();
    box->clearEditText();
    box->addItems(values);
    // addItems selects the first entry of a non-editable box; the list is
    // offered, not chosen.
    box->setCurrentIndex(-1);
    box->clearEditText();
}

} // namespace quollin
