#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace quollin {

class ShopContext;

// Copies a shop's file onto an empty database of a server, so that several
// tills can keep the books together from then on. Every row of the four
// tables goes over with its key (the slips, the logs and the goods rows the
// sale lines point to keep their numbers), all in one transaction of the
// server. Before it commits, the row counts and the sums of every number
// column are read back on both sides; the server keeps nothing unless they
// agree. The file is only read.
//
// A number column of a file may hold text: the engine does not enforce the
// declared types, and older files declared none. A text that is a decimal
// number (as NumberText::parseDecimal reads it, which the sums' fen() does
// too) is stored as that number. Anything else cannot be stored in a number
// column of the server: it is stored as no value, and the report lists each
// such cell (table, key, column, the text) so that the shop owner can enter
// it again. No row is left out.
class MoveToServer {
public:
    // One table as one side holds it.
    struct Tally {
        QString table;
        qint64 rows = 0;
        // The summed columns: the key, the amounts (in fen) and the whole
        // numbers; no sum where a column holds no value at all.
        QStringList columns;
        QList<std::optional<qint64>> sums;
    };
    // A number column's cell whose text is no number.
    struct Cell {
        QString table;
        qint64 key = 0;
        QString column;
        QString text;
    };
    struct Report {
        bool ok = false;
        // Why nothing was moved (with the differences found, if it came to
        // comparing).
        QString failure;
        QString file;   // as messages show it
        QString server; // without a password
        QList<Tally> tables;
        qint64 numbersFromText = 0;
        QList<Cell> emptied;

        // Plain text for the shop owner; at most listLimit emptied cells are
        // listed one by one (all with -1).
        QString text(qsizetype listLimit = -1) const;
    };

    // Told how many rows of how many have been copied; false stops the move,
    // which then leaves the server's database as it was.
    using Progress = std::function<bool(qint64 copied, qint64 total)>;

    // The file at filePath onto the database serverUri names. Refuses a
    // server database that holds anything, and leaves it as it was; so it
    // does on any failure.
    static Report run(const QString &filePath, const QString &serverUri, const Progress &progress = {});

    explicit MoveToServer(ShopContext &shop) : m_shop(shop) {}
    // The session's own file; the super administrator's command (throws
    // NotPermitted for anybody else, before anything is read).
    Report moveTo(const QString &serverUri, const Progress &progress = {});

private:
    ShopContext &m_shop;
};

} // namespace quollin
