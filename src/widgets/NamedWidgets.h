#pragma once

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

} // namespace quollin
