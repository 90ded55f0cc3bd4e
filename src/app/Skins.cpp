#include "app/Skins.h"

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QStyle>

namespace quollin::Skins {

namespace {

struct Look {
    const char *caption;
    // Active and inactive colours.
    const char *window, *windowText, *base, *alternateBase, *text;
    const char *button, *buttonText, *highlight, *highlightedText;
    // Bevel shades, from lightest to darkest.
    const char *light, *midlight, *mid, *dark, *shadow;
    const char *link, *placeholder, *disabledText;
    // Outline of boxes and buttons: must stand out from both window and base,
    // which the bevel shades do not on the dark skins.
    const char *frame;
    // Drawing that is not colour: corner radii, header and group box style.
    const char *extraSheet;
    int buttonRadius;
    int editRadius;
};

// Every pair of text and background here keeps a contrast ratio of at least
// 4.5 (the WCAG AA level for body text); the tests check it.
const Look looks[Count] = {
    {"黑色经典(皮肤)",
     "#2b2b2b", "#f0f0f0", "#1e1e1e", "#262626", "#ececec",
     "#3a3a3a", "#f2f2f2", "#c8a24a", "#1a1a1a",
     "#555555", "#464646", "#303030", "#181818", "#000000",
     "#e6c36a", "#8c8c8c", "#7e7e7e", "#8a8a8a",
     // Square, bevelled: the classic desktop look in black and gold.
     "QHeaderView::section { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
     " stop:0 #4a4a4a, stop:1 #2e2e2e); border-bottom: 1px solid #c8a24a; }"
     "QGroupBox { border: 1px solid palette(dark); }"
     "QMenuBar { border-bottom: 1px solid #c8a24a; }",
     0, 0},
    {"蓝色幻想(皮肤)",
     "#dfe9f7", "#0d2240", "#ffffff", "#eef4fc", "#0d2240",
     "#c6d8f0", "#0d2240", "#1f5fbf", "#ffffff",
     "#f4f8fe", "#dbe6f5", "#8fa9cc", "#5a7aa6", "#233a5e",
     "#1a4fa0", "#6b7f99", "#74869e", "#7f9cc4",
     // Gently rounded glassy buttons and a blue band under the headers.
     "QHeaderView::section { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
     " stop:0 #f4f8fe, stop:1 #bcd1ee); border-bottom: 2px solid #1f5fbf; }"
     "QGroupBox { border: 1px solid palette(mid); border-radius: 4px; }"
     "QGroupBox::title { color: #1f5fbf; }",
     4, 3},
    {"梦幻天空(皮肤)",
     "#eaf7fd", "#0b3a52", "#ffffff", "#f1fafe", "#12324a",
     "#bfe6f7", "#0b3a52", "#0a76a8", "#ffffff",
     "#ffffff", "#dcf1fb", "#86c4de", "#4d93b3", "#1f5670",
     "#0a6a98", "#5f8294", "#6f8c9b", "#7fb9d3",
     // Airy and flat: soft round corners, no bevels, headers like clouds.
     "QHeaderView::section { background: #d6effa; border-bottom: 1px solid #86c4de; }"
     "QGroupBox { border: none; border-top: 2px solid #86c4de; border-radius: 0px; }"
     "QPushButton { background: palette(button); }"
     "QPushButton:hover { background: palette(light); }",
     10, 8},
    {"黑色遐想(皮肤)",
     "#231f2e", "#ece6f7", "#1a1722", "#221e2c", "#ebe5f5",
     "#362f47", "#f1ebfb", "#6a4bc4", "#ffffff",
     "#4b4261", "#3f3752", "#2c2639", "#15121c", "#000000",
     "#b49cf0", "#8a809e", "#857b99", "#6b5f86",
     // Night violet: boxes drawn as an underline only, a glow on focus.
     "QLineEdit { border: none; border-bottom: 2px solid #6b5f86; border-radius: 0px; }"
     "QLineEdit:focus { border-bottom: 2px solid #9b7be0; }"
     "QHeaderView::section { background: #2c2639; border-bottom: 2px solid #6a4bc4; }"
     "QGroupBox { border: 1px solid #3f3752; border-radius: 2px; }",
     2, 0},
    {"梦想成真(皮肤)",
     "#fdf1e6", "#3d2314", "#fffaf5", "#fcefe2", "#3d2314",
     "#f6d5b8", "#3d2314", "#b23a48", "#ffffff",
     "#fffaf4", "#f9e3cf", "#d9a98a", "#a4714f", "#5c3520",
     "#a33342", "#8a6a58", "#9a7b69", "#c99a7c",
     // Warm and round: pill buttons, a rose ribbon under the headers.
     "QHeaderView::section { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
     " stop:0 #fffaf4, stop:1 #f6d5b8); border-bottom: 2px solid #b23a48; }"
     "QGroupBox { border: 1px solid palette(mid); border-radius: 8px; }"
     "QGroupBox::title { color: #b23a48; }",
     12, 6},
};

// Shared by all skins; the colours come from the palette, the shape from the
// look. Paddings stay close to Fusion's so fixed-size windows do not clip.
// Drop-down and spin boxes are left to Fusion: a sheet on them loses their
// arrows.
QString baseSheet(const Look &look)
{
    return QStringLiteral(
               "QPushButton { border: 1px solid %3; border-radius: %1px;"
               " padding: 3px 10px; min-height: 16px;"
               " background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
               " stop:0 palette(light), stop:1 palette(button)); }"
               "QPushButton:hover { border-color: palette(highlight); }"
               "QPushButton:pressed { background: palette(mid); }"
               "QPushButton:default { border-color: palette(highlight); }"
               "QPushButton:disabled { border-color: palette(mid); }"
               "QToolButton { border: 1px solid transparent; border-radius: %1px; padding: 2px; }"
               "QToolButton:hover { border-color: palette(highlight); background: palette(light); }"
               "QToolButton:pressed { background: palette(mid); }"
               "QLineEdit { border: 1px solid %3; border-radius: %2px; padding: 2px 4px;"
               " background: palette(base); }"
               "QLineEdit:focus { border-color: palette(highlight); }"
               "QLineEdit:disabled { border-color: palette(mid); }"
               // The text part inside drop-down and spin boxes keeps no frame.
               "QComboBox QLineEdit, QAbstractSpinBox QLineEdit { border: none; padding: 0px;"
               " border-radius: 0px; background: transparent; }"
               "QCheckBox::indicator { width: 12px; height: 12px; border: 1px solid %3;"
               " border-radius: 2px; background: palette(base); }"
               "QCheckBox::indicator:checked { background: palette(highlight);"
               " border-color: palette(highlight); }"
               "QCheckBox::indicator:disabled { border-color: palette(mid); }"
               "QRadioButton::indicator { width: 12px; height: 12px; border: 1px solid %3;"
               " border-radius: 7px; background: palette(base); }"
               "QRadioButton::indicator:checked { background: palette(highlight); }"
               "QHeaderView::section { color: palette(button-text); padding: 3px 6px;"
               " border: none; border-right: 1px solid palette(mid); }"
               "QTableView { gridline-color: palette(mid); }"
               "QGroupBox { margin-top: 1.2em; padding-top: 4px; }"
               "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 4px; }"
               "QMenu::item:selected { background: palette(highlight);"
               " color: palette(highlighted-text); }")
               .arg(look.buttonRadius)
               .arg(look.editRadius)
               .arg(QLatin1String(look.frame))
           + QString::fromUtf8(look.extraSheet);
}

QPalette paletteOf(const Look &look)
{
    QPalette p;
    auto set = [&p](QPalette::ColorRole role, const char *colour) { p.setColor(role, QColor(colour)); };
    set(QPalette::Window, look.window);
    set(QPalette::WindowText, look.windowText);
    set(QPalette::Base, look.base);
    set(QPalette::AlternateBase, look.alternateBase);
    set(QPalette::Text, look.text);
    set(QPalette::Button, look.button);
    set(QPalette::ButtonText, look.buttonText);
    set(QPalette::Highlight, look.highlight);
    set(QPalette::HighlightedText, look.highlightedText);
    set(QPalette::Light, look.light);
    set(QPalette::Midlight, look.midlight);
    set(QPalette::Mid, look.mid);
    set(QPalette::Dark, look.dark);
    set(QPalette::Shadow, look.shadow);
    set(QPalette::Link, look.link);
    set(QPalette::LinkVisited, look.link);
    set(QPalette::PlaceholderText, look.placeholder);
    set(QPalette::BrightText, "#ff4040");

    const QColor disabled(look.disabledText);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(look.mid));
    p.setColor(QPalette::Disabled, QPalette::Base, QColor(look.window));
    return p;
}

void carryToolTipColours(QPalette &target, const QPalette &from)
{
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        target.setColor(group, QPalette::ToolTipBase, from.color(group, QPalette::ToolTipBase));
        target.setColor(group, QPalette::ToolTipText, from.color(group, QPalette::ToolTipText));
    }
}

// What the program looked like before the first skin, to come back to it.
struct Original {
    QString styleName;
    QPalette palette;
    QString styleSheet;
};

Original original;
int currentIndex = BuiltIn;

} // namespace

QStringList captions()
{
    QStringList list;
    for (const Look &look : looks)
        list << QString::fromUtf8(look.caption);
    return list;
}

bool isValid(const QString &settingValue) { return indexOf(settingValue) != BuiltIn; }

int indexOf(const QString &settingValue)
{
    if (settingValue.size() != 1)
        return BuiltIn;
    const int digit = settingValue.at(0).unicode() - u'0';
    return digit >= 0 && digit < Count ? digit : BuiltIn;
}

QString settingValue(int index) { return index >= 0 && index < Count ? QString::number(index) : QString(); }

int current() { return currentIndex; }

void apply(QApplication &app, int index)
{
    if (index < 0 || index >= Count)
        index = BuiltIn;
    const QPalette before = QApplication::palette();

    if (index == BuiltIn) {
        if (currentIndex == BuiltIn)
            return;
        app.setStyleSheet(original.styleSheet);
        QApplication::setStyle(original.styleName);
        QPalette restored = original.palette;
        carryToolTipColours(restored, before);
        QApplication::setPalette(restored);
        currentIndex = BuiltIn;
        return;
    }

    if (currentIndex == BuiltIn) {
        // With a style sheet set, style() is a wrapper without the underlying
        // style's name; take the sheet off first to read the name.
        original.styleSheet = app.styleSheet();
        if (!original.styleSheet.isEmpty())
            app.setStyleSheet(QString());
        original.styleName = QApplication::style()->name();
        original.palette = before;
    }
    const Look &look = looks[index];
    QApplication::setStyle(QStringLiteral("Fusion"));
    QPalette palette = paletteOf(look);
    carryToolTipColours(palette, before);
    QApplication::setPalette(palette);
    app.setStyleSheet(baseSheet(look));
    currentIndex = index;
}

} // namespace quollin::Skins
