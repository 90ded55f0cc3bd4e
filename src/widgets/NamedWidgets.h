#pragma once

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

namespace quollin {

// Every control carries its caption as its accessible name (screen readers and
// the tests find it by that) and an object name for the code.
template <class W> W *Named(W *widget, const QString &caption, const char *objectName)
{
    widget->setObjectName(QLatin1String(objectName));
    widget->setAccessibleName(caption);
    return widget;
}

// A button whose Enter press, when focused, clicks it, as everywhere in the program.
inline QPushButton *NamedButton(const QString &caption, const char *objectName, QWidget *parent)
{
    auto *button = Named(new QPushButton(caption, parent), caption, objectName);
    button->setAutoDefault(true);
    return button;
}

// A caption label and its box side by side in a grid layout: the label is
// the box's buddy, so a screen reader reads the caption with the value.
inline QLineEdit *CaptionedBox(QGridLayout *grid, int row, int column, const QString &caption,
                               const char *objectName, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    auto *box = Named(new QLineEdit(parent), caption, objectName);
    label->setBuddy(box);
    grid->addWidget(label, row, column);
    grid->addWidget(box, row, column + 1);
    return box;
}

// The same with an editable drop-down box that takes no typed entries into
// its list.
inline QComboBox *CaptionedChoice(QGridLayout *grid, int row, int column, const QString &caption,
                                  const char *objectName, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    auto *box = Named(new QComboBox(parent), caption, objectName);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    label->setBuddy(box);
    grid->addWidget(label, row, column);
    grid->addWidget(box, row, column + 1);
    return box;
}

} // namespace quollin
