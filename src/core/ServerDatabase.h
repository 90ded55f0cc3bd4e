#pragma once

#include "core/Database.h"

#include <QList>

namespace quollin {

struct ServerLink;

// The books on a PostgreSQL server, shared by several tills. Statements are
// written once for both engines; this class turns the few things the server
// reads differently into its own terms at prepare time:
// - parameters ":name" and "?" become "$1", "$2", … (a name used twice keeps
//   one number);
// - LIKE becomes ILIKE: our statements' LIKE ignores the case of Latin
//   letters, as the server's ILIKE does over columns in the "C" collation
//   (and only of those letters there, as the goods list's own matching);
// - every ORDER BY item puts NULL where the file's engine does: first, last
//   when descending.
// Transactions are the server's READ COMMITTED ones; a command locks the rows
// it changes as it reads them (lockRows). A connection found broken is
// reported once (DbError::kServerLost) and made anew at the next command.
class ServerDatabase final : public Database {
public:
    // The channel the tills announce their commits on.
    static constexpr char kChannel[] = "quollin_changes";

    static std::unique_ptr<Database> connect(const QString &uri);
    ~ServerDatabase() override;

    void execScript(const QString &sql) override;
    qint64 lastInsertId() override;
    qint64 dataVersion() override;
    int changes() const override;
    bool inTransaction() const override;
    QString lastErrorMessage() const override;
    bool isServer() const override { return true; }
    QString engineDescription() const override;
    QList<QByteArray> takeAnnouncements() override;
    int announcementSocket() const override;
    void announce(const QByteArray &payload) override;

    // The statement text the server is given for one of ours; for the tests.
    static QByteArray serverText(const QString &sql, QList<QByteArray> *parameterNames = nullptr);

protected:
    std::unique_ptr<Cursor> compile(const QString &sql) override;
    void beginWrite() override;
    void commitWrite() override;
    void rollbackWrite() override;

private:
    ServerDatabase(std::shared_ptr<ServerLink> link, QString uri);
    // Makes a broken connection anew before a command; throws kServerLost
    // when the server still cannot be reached.
    void ensureConnected();
    void runPlain(const char *sql);

    std::shared_ptr<ServerLink> m_link;
    QList<QByteArray> m_pendingAnnouncements;
};

} // namespace quollin
