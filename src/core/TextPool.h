#pragma once

#include <QByteArrayView>
#include <QString>

#include <string>
#include <vector>

namespace quollin {

// A table of texts in which identical texts, read row after row from the
// engine as UTF-8, are held once: a goods file repeats its names, categories,
// suppliers and dates thousands of times, and a cell then costs a 4-byte index
// instead of a string of its own. A column whose texts are mostly distinct
// (codes) stops looking texts up after a sample of rows and adds each text as
// it comes. Index 0 is always the null text.
class TextPool {
public:
    TextPool();

    // The index of the text; a null view (NULL in the engine) gives 0, an
    // empty text an empty, non-null one.
    quint32 add(QByteArrayView utf8);
    // A text added without looking for an equal one (a single cell changed).
    quint32 add(const QString &text);
    const QString &text(quint32 index) const { return m_texts[index]; }
    const std::vector<QString> &texts() const { return m_texts; }
    // The string of the text, shared with every other row that holds it.
    QString take(QByteArrayView utf8) { return m_texts[add(utf8)]; }

    // Frees what finding equal texts needs once no more rows come; later
    // texts are added as they come.
    void finish();
    bool pooling() const { return m_pooling; }
    // Texts held, the null text not counted.
    qsizetype distinct() const { return qsizetype(m_texts.size()) - 1; }

private:
    struct Key {
        std::string bytes;
        size_t hash;
        bool findable; // false for texts added as QString
    };
    void insertSlot(size_t hash, quint32 index);

    std::vector<QString> m_texts;
    // While pooling: the bytes of m_texts[i] in m_keys[i - 1], and open
    // addressing over them (index, 0 for a free slot).
    std::vector<Key> m_keys;
    std::vector<quint32> m_slots;
    qsizetype m_looked = 0;
    bool m_pooling = true;
};

} // namespace quollin
