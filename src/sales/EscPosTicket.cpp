#include "sales/EscPosTicket.h"

#include "core/GbkCodec.h"
#include "core/PrintableText.h"

#include <algorithm>

namespace quollin {

QByteArray EscPosTicket::initialise() { return QByteArray("\x1b\x40\x1c\x26", 4); }
QByteArray EscPosTicket::boldOn() { return QByteArray("\x1b\x45\x01", 3); }
QByteArray EscPosTicket::boldOff() { return QByteArray("\x1b\x45\x00", 3); }
QByteArray EscPosTicket::feedAndCut() { return QByteArray("\x1d\x56\x42\x30", 4); }
QByteArray EscPosTicket::drawerPulse() { return QByteArray("\x1b\x70\x00\x19\xfa", 5); }

QByteArray EscPosTicket::gbk(const QString &text)
{
    QByteArray out;
    // Control bytes of a text would be commands to the printer, and a line
    // break would shift every line after it.
    for (const char32_t c : PrintableText(text).toUcs4()) {
        const std::optional<QByteArray> bytes = GbkBytes(c);
        out += bytes ? *bytes : QByteArray("?");
    }
    return out;
}

QByteArray EscPosTicket::encode(const PrintLayout &ticket, bool openDrawer)
{
    std::vector<const PlacedText *> texts;
    for (const PlacedText &t : ticket.texts)
        texts.push_back(&t);
    // Top to bottom as on paper; the layout places one text a line.
    std::stable_sort(texts.begin(), texts.end(), [](const PlacedText *a, const PlacedText *b) {
        if (a->page != b->page)
            return a->page < b->page;
        if (a->box.top() != b->box.top())
            return a->box.top() < b->box.top();
        return a->box.left() < b->box.left();
    });

    QByteArray out = initialise();
    int lastTop = -1, lastPage = -1;
    for (const PlacedText *t : texts) {
        const bool sameLine = t->page == lastPage && t->box.top() == lastTop;
        if (!sameLine && lastTop >= 0)
            out += '\n';
        if (sameLine)
            out += ' ';
        if (t->font.bold)
            out += boldOn();
        out += gbk(t->text);
        if (t->font.bold)
            out += boldOff();
        lastTop = t->box.top();
        lastPage = t->page;
    }
    if (lastTop >= 0)
        out += '\n';
    out += feedAndCut();
    if (openDrawer)
        out += drawerPulse();
    return out;
}

} // namespace quollin
