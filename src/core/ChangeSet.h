#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace quollin {

// What a confirmed sale changed beyond its rows: the slip it went onto and
// how it was confirmed, for the windows that follow the current slip.
struct RecordedSale {
    enum class Origin { Panel, Keyboard };
    qint64 goodsId = 0;
    qint64 lineId = 0;
    QString slipNumber;
    QString customer;
    Origin origin = Origin::Panel;
};

// The rows of one table that one committed transaction touched, by ID. A row
// is listed once, under what it is after the transaction: a row added and
// then changed is added, a row added and then removed is not listed at all.
class RowChanges {
public:
    void added(qint64 id);
    void changed(qint64 id);
    void removed(qint64 id);
    // Too many rows to name (an import, a restore): read the table again.
    void all() { m_all = true; }

    const QList<qint64> &addedRows() const { return m_added; }
    const QList<qint64> &changedRows() const { return m_changed; }
    const QList<qint64> &removedRows() const { return m_removed; }
    bool isAll() const { return m_all; }
    bool isEmpty() const { return !m_all && m_added.isEmpty() && m_changed.isEmpty() && m_removed.isEmpty(); }
    // Whether this row is among the ones added or changed (or all are).
    bool touches(qint64 id) const { return m_all || m_added.contains(id) || m_changed.contains(id) || m_removed.contains(id); }

    void merge(const RowChanges &other);

private:
    QList<qint64> m_added, m_changed, m_removed;
    bool m_all = false;
};

// Everything one transaction of the session committed, announced once after
// the commit (ShopContext::changed).
struct ChangeSet {
    RowChanges goods;     // table data
    RowChanges saleLines; // table data1
    RowChanges operators; // table usertable
    // Set when the transaction was a sale.
    std::optional<RecordedSale> sale;

    bool isEmpty() const { return goods.isEmpty() && saleLines.isEmpty() && operators.isEmpty() && !sale; }
    void merge(const ChangeSet &other);

    // The rows as one till tells the others (at most `limit` bytes: a table
    // with more rows than fit is sent as "all"). The sale stays this till's.
    QByteArray toAnnouncement(qsizetype limit = 7900) const;
    // Another till's announcement; text that is not one reads as "all".
    static ChangeSet fromAnnouncement(const QByteArray &text);
    // Everything may have changed (a reconnection to the server).
    static ChangeSet everything();
};

} // namespace quollin
