#include "sales/PrintLayout.h"

#include <algorithm>

namespace quollin {

QStringList PrintLayout::textsOn(int page) const
{
    std::vector<const PlacedText *> on;
    for (const PlacedText &t : texts)
        if (t.page == page)
            on.push_back(&t);
    std::stable_sort(on.begin(), on.end(), [](const PlacedText *a, const PlacedText *b) {
        return a->box.top() != b->box.top() ? a->box.top() < b->box.top() : a->box.left() < b->box.left();
    });
    QStringList out;
    for (const PlacedText *t : on)
        out << t->text;
    return out;
}

const PlacedText *PrintLayout::find(const QString &text) const
{
    for (const PlacedText &t : texts)
        if (t.text == text)
            return &t;
    return nullptr;
}

const PlacedText *PrintLayout::findStarting(const QString &start) const
{
    for (const PlacedText &t : texts)
        if (t.text.startsWith(start))
            return &t;
    return nullptr;
}

} // namespace quollin
