#pragma once

#include <QLine>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <Qt>

#include <vector>

namespace quollin {

// A printed document as placed texts and rules, before any painting: what
// goes where on which page. Positions are in the layout's own dots (its
// dotsPerInch); the painter scales them to the device.
struct PrintFont {
    QString family = QStringLiteral("宋体");
    double points = 8;
    bool bold = false;
};

struct PlacedText {
    int page = 0;
    QRect box; // the text is aligned inside this box
    QString text;
    PrintFont font;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop;
    // A text that must be read whole (an amount in capitals) is set in
    // smaller type until it fits its box; any other is shortened with "…".
    bool shrinkToFit = false;
};

struct PlacedRule {
    int page = 0;
    QLine line;
};

struct PrintLayout {
    int dotsPerInch = 203;
    QSizeF pageMillimetres;
    int pageCount = 1;
    std::vector<PlacedText> texts;
    std::vector<PlacedRule> rules;

    // The texts of one page from top to bottom, left to right.
    QStringList textsOn(int page) const;
    // The first text that is exactly this; nullptr when none.
    const PlacedText *find(const QString &text) const;
    // The first text that starts with this; nullptr when none.
    const PlacedText *findStarting(const QString &start) const;
};

} // namespace quollin
