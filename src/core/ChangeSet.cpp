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

} // namespace quollin
