#include "core/TextPool.h"

#include <QHash>

#include <algorithm>
#include <string_view>

namespace quollin {

namespace {

// Rows looked at before deciding whether a column repeats enough to pool.
constexpr qsizetype kSample = 2048;

} // namespace

void TextPool::insertSlot(size_t hash, quint32 entry)
{
    const size_t mask = m_slots.size() - 1;
    size_t at = hash & mask;
    while (m_slots[at] != 0)
        at = (at + 1) & mask;
    m_slots[at] = entry + 1;
}

QString TextPool::take(QByteArrayView utf8)
{
    if (utf8.isNull())
        return {};
    if (!m_pooling)
        return QString::fromUtf8(utf8);
    ++m_taken;
    const std::string_view key(utf8.data(), size_t(utf8.size()));
    const size_t hash = qHash(utf8);
    if (!m_slots.empty()) {
        const size_t mask = m_slots.size() - 1;
        for (size_t at = hash & mask; m_slots[at] != 0; at = (at + 1) & mask) {
            const Entry &entry = m_entries[m_slots[at] - 1];
            if (entry.hash == hash && entry.bytes == key)
                return entry.text;
        }
    }
    // More than half distinct after the sample: the table would cost more
    // than it saves.
    if (m_taken >= kSample && qsizetype(m_entries.size()) * 2 > m_taken) {
        m_pooling = false;
        m_entries = {};
        m_slots = {};
        return QString::fromUtf8(utf8);
    }
    m_entries.push_back({std::string(key), QString::fromUtf8(utf8), hash});
    // At most half the slots taken keeps the probes short.
    if (m_entries.size() * 2 > m_slots.size()) {
        m_slots.assign(std::max<size_t>(64, m_slots.size() * 2), 0);
        for (size_t e = 0; e < m_entries.size(); ++e)
            insertSlot(m_entries[e].hash, quint32(e));
    } else {
        insertSlot(hash, quint32(m_entries.size() - 1));
    }
    return m_entries.back().text;
}

} // namespace quollin
