#pragma once

#include <QString>
#include <QStringList>

class QApplication;

namespace quollin {

// The five selectable looks of the program, numbered 0 to 4 as they are kept
// in setting "skin", and the built-in look (-1). Each look is a palette plus a
// small style sheet over the Fusion style.
namespace Skins {

inline constexpr int BuiltIn = -1;
inline constexpr int Count = 5;

// Menu captions, in skin number order.
QStringList captions();

// Only "0" to "4" name a skin; anything else (empty, " 1", "01", "5") means
// the built-in look.
bool isValid(const QString &settingValue);
// The skin number a setting value names, or BuiltIn.
int indexOf(const QString &settingValue);
// The setting value that stores a skin number ("" for the built-in look).
QString settingValue(int index);

// Applies a skin to the whole program at once; BuiltIn, or any number outside
// 0 to 4, brings back the look the program had before the first skin.
// Tooltip colours are carried over from the current palette, so a hint colour
// set by the main window survives a change of skin.
void apply(QApplication &app, int index);
// The skin applied last, BuiltIn at start.
int current();

} // namespace Skins

} // namespace quollin
