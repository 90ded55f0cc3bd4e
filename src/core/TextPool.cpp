#include "core/TextPool.h"

#include <QHash>

#include <algorithm>
#include <string_view>

namespace quollin {

namespace {

// Texts looked up before deciding whether a column repeats enough to pool.
constexpr qsizetype kSample = 2048;

} // namespace

TextPool::TextPool() : m_texts(1) {}

void TextPool::insertSlot(size_t hash, quint32 index)
{
    const size_t mask = m_slots.size() - 1;
    size_t at = hash & mask;
    while (m_slots[at] != 0)
        at = (at + 1) & mask;
    m_slots[at] = index;
}

quint32 TextPool::add(const QString &text)
{
    if (text.isNull())
        return 0;
    m_texts.push_back(text);
    if (m_pooling) // keep the keys in step; this one is never found
        m_keys.push_back({std::string(), 0, false});
    return quint32(m_texts.size() - 1);
}

quint32 TextPool::add(QByteArrayView utf8)
{
    if (utf8.isNull())
        return 0;
    if (!m_pooling) {
        m_texts.push_back(QString::fromUtf8(utf8));
        return quint32(m_texts.size() - 1);
    }
    ++m_looked;
    const std::string_view bytes(utf8.data(), size_t(utf8.size()));
    const size_t hash = qHash(utf8);
    if (!m_slots.empty()) {
        const size_t mask = m_slots.size() - 1;
        for (size_t at = hash & mask; m_slots[at] != 0; at = (at + 1) & mask) {
            const quint32 index = m_slots[at];
            const Key &key = m_keys[index - 1];
            if (key.hash == hash && key.bytes == bytes)
                return index;
        }
    }
    // More than half distinct after the sample: the lookup would cost more
    // than it saves.
    if (m_looked >= kSample && distinct() * 2 > m_looked) {
        finish();
        return add(utf8);
    }
    m_texts.push_back(QString::fromUtf8(utf8));
    m_keys.push_back({std::string(bytes), hash, true});
    const quint32 index = quint32(m_texts.size() - 1);
    // At most half the slots taken keeps the probes short.
    if (m_keys.size() * 2 > m_slots.size()) {
        m_slots.assign(std::max<size_t>(64, m_slots.size() * 2), 0);
        for (size_t k = 0; k < m_keys.size(); ++k)
            if (m_keys[k].findable)
                insertSlot(m_keys[k].hash, quint32(k + 1));
    } else {
        insertSlot(hash, index);
    }
    return index;
}

void TextPool::finish()
{
    m_pooling = false;
    m_keys = {};
    m_slots = {};
}

} // namespace quollin
