#include "core/ChangeSet.h"

namespace quollin {

void RowChanges::added(qint64 id)
{
    if (!m_added.contains(id))
        m_added.append(id);
    m_removed.removeAll(id);
}

void RowChanges::changed(qint64 id)
{
    // A row added in the same transaction is still new to every listener.
    if (!m_added.contains(id) && !m_changed.contains(id))
        m_changed.append(id);
}

void RowChanges::removed(qint64 id)
{
    const bool wasNew = m_added.removeAll(id) > 0;
    m_changed.removeAll(id);
    if (!wasNew && !m_removed.contains(id))
        m_removed.append(id);
}

void RowChanges::merge(const RowChanges &other)
{
    m_all = m_all || other.m_all;
    for (qint64 id : other.m_added)
        added(id);
    for (qint64 id : other.m_changed)
        changed(id);
    for (qint64 id : other.m_removed)
        removed(id);
}

void ChangeSet::merge(const ChangeSet &other)
{
    goods.merge(other.goods);
    saleLines.merge(other.saleLines);
    operators.merge(other.operators);
    if (other.sale)
        sale = other.sale;
}

// "g+1,2 g~3 g-4 l* o+5": table letter, then + added, ~ changed, - removed
// and their IDs, or * for all of the table.
namespace {

constexpr char kTables[] = {'g', 'l', 'o'};

RowChanges &tableOf(ChangeSet &set, char letter)
{
    return letter == 'g' ? set.goods : letter == 'l' ? set.saleLines : set.operators;
}

QByteArray rowsText(char table, const RowChanges &rows)
{
    if (rows.isAll())
        return QByteArray(1, table) + '*';
    QByteArray out;
    const auto part = [&](char kind, const QList<qint64> &ids) {
        if (ids.isEmpty())
            return;
        if (!out.isEmpty())
            out += ' ';
        out += table;
        out += kind;
        for (qsizetype i = 0; i < ids.size(); ++i) {
            if (i)
                out += ',';
            out += QByteArray::number(ids.at(i));
        }
    };
    part('+', rows.addedRows());
    part('~', rows.changedRows());
    part('-', rows.removedRows());
    return out;
}

} // namespace

QByteArray ChangeSet::toAnnouncement(qsizetype limit) const
{
    const RowChanges *rows[] = {&goods, &saleLines, &operators};
    QList<QByteArray> parts;
    for (int t = 0; t < 3; ++t)
        parts << (rows[t]->isEmpty() ? QByteArray() : rowsText(kTables[t], *rows[t]));
    // The longest table goes as "all" until the rest fits.
    while (true) {
        qsizetype total = 0;
        int longest = 0;
        for (int t = 0; t < 3; ++t) {
            total += parts[t].size() + 1;
            if (parts[t].size() > parts[longest].size())
                longest = t;
        }
        if (total <= limit || parts[longest].size() <= 2)
            break;
        parts[longest] = QByteArray(1, kTables[longest]) + '*';
    }
    QByteArray out;
    for (const QByteArray &part : std::as_const(parts)) {
        if (part.isEmpty())
            continue;
        if (!out.isEmpty())
            out += ' ';
        out += part;
    }
    return out;
}

ChangeSet ChangeSet::fromAnnouncement(const QByteArray &text)
{
    ChangeSet set;
    for (const QByteArray &part : text.split(' ')) {
        if (part.isEmpty())
            continue;
        const char table = part.at(0);
        if ((table != 'g' && table != 'l' && table != 'o') || part.size() < 2)
            return everything();
        RowChanges &rows = tableOf(set, table);
        const char kind = part.at(1);
        if (kind == '*') {
            rows.all();
            continue;
        }
        for (const QByteArray &idText : part.mid(2).split(',')) {
            bool ok = false;
            const qint64 id = idText.toLongLong(&ok);
            if (!ok)
                return everything();
            if (kind == '+')
                rows.added(id);
            else if (kind == '~')
                rows.changed(id);
            else if (kind == '-')
                rows.removed(id);
            else
                return everything();
        }
    }
    return set;
}

ChangeSet ChangeSet::everything()
{
    ChangeSet set;
    set.goods.all();
    set.saleLines.all();
    set.operators.all();
    return set;
}

} // namespace quollin
