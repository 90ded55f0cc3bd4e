#pragma once

#include <QByteArrayView>
#include <QString>

#include <string>
#include <vector>

namespace quollin {

// Turns the UTF-8 texts of one column, row after row, into QStrings, and
// gives identical texts one shared string. A goods file repeats its names,
// categories, suppliers and dates thousands of times; held once each, a loaded
// list needs a fraction of the memory and skips most conversions. A column
// whose texts are mostly distinct (codes) stops pooling after a sample of rows
// and converts each text as it comes.
class TextPool {
public:
    // A null view (NULL in the engine) gives a null string, an empty text an
    // empty one.
    QString take(QByteArrayView utf8);
    bool pooling() const { return m_pooling; }
    qsizetype distinct() const { return qsizetype(m_entries.size()); }

private:
    struct Entry {
        std::string bytes;
        QString text;
        size_t hash;
    };
    // Open addressing over the entries: index + 1, 0 for a free slot.
    void insertSlot(size_t hash, quint32 entry);

    std::vector<Entry> m_entries;
    std::vector<quint32> m_slots;
    qsizetype m_taken = 0;
    bool m_pooling = true;
};

} // namespace quollin
