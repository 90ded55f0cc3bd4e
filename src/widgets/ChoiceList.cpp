#include "widgets/ChoiceList.h"

#include <QComboBox>
#include <QStringListModel>

#include <algorithm>

namespace quollin {

void setChoices(QComboBox *box, const QStringList &values)
{
    auto *model = qobject_cast<QStringListModel *>(box->model());
    if (!model || model->parent() != box) {
        model = new QStringListModel(box);
        box->setModel(model);
        // Measuring every entry for the box's width would walk the whole list.
        if (box->sizeAdjustPolicy() != QComboBox::AdjustToMinimumContentsLengthWithIcon) {
            box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            box->setMinimumContentsLength(std::max(box->minimumContentsLength(), 10));
        }
    }
    model->setStringList(values);
    box->setCurrentIndex(-1);
    if (box->isEditable())
        box->clearEditText();
}

} // namespace quollin
