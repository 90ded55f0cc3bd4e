#pragma once

#include <atomic>

#include "maintenance/BackupFile.h"

#include <QDate>
#include <QString>

namespace quollin {

class ShopContext;

// Backup and restore of the shop's file. Every backup is a verified copy;
// a restore takes only a backup that passes the same checks and replaces the
// file in use without a moment in which neither file would open.
// A shop on a server is backed up with the server's own dump program
// (ServerBackup) and restored into an empty database of the server, never
// over the one in use: the other tills may still be working in it.
class DatabaseBackup {
public:
    explicit DatabaseBackup(ShopContext &shop) : m_shop(shop) {}

    // What the shop owner reads when the file in use is found damaged.
    static QString damagedFileMessage();

    // "beifen.db" in the user's documents folder.
    static QString defaultTarget();
    // The same for the shop in use: "beifen.dump" there for a server's.
    QString suggestedTarget() const;

    // Copies the file in use to `target` (open or closed, the copy is
    // consistent). The caller has asked before replacing an existing file.
    // The default target's folder is made when missing (a fresh home has no
    // documents folder); any other target's folder must exist.
    BackupFile::Result backup(const QString &target, const BackupFile::Progress &progress = {});

    enum class RestoreOutcome { Restored, NotFound, Refused };
    struct Restore {
        RestoreOutcome outcome = RestoreOutcome::Refused;
        QString reason;   // why a refused backup was refused
        QString keptCopy; // where the replaced file was kept
        QString rows;     // on a server: the rows restored, for the operator
    };
    // Replaces the file in use by `backupFile`. The file is closed for the
    // time of the swap and opened again afterwards when it was open before.
    // The replaced file is first kept as a dated copy beside it. The super
    // administrator's command.
    Restore restore(const QString &backupFile, const BackupFile::Progress &progress = {});

    // On a server: restores the dump `backupFile` into the empty database
    // at `targetUri` (ServerBackup::restore) and moves the session there,
    // open: databasePath() is `targetUri` from then on, for this run of the
    // program (nothing is saved; the next start opens what its command line
    // says). The database in use is left as it is. The super
    // administrator's command.
    Restore restoreInto(const QString &targetUri, const QString &backupFile,
                        const BackupFile::Progress &progress = {});

    // The daily automatic backup: "自动备份" beside the shop's file holds one
    // copy a day, the newest `keep` kept. A server's shop has no file here:
    // its dumps go to "自动备份" in the user's application data folder (the
    // default shop file's), named after the server's database. Makes today's when it is missing;
    // costs one file lookup when it is there. Returns the reason when
    // today's copy could not be made.
    QString ensureDailyBackup(const QDate &today, int keep = 7);
    QString dailyFolder() const;
    // The newest daily backup, or nothing when there is none yet.
    QString newestDailyBackup() const;

    // The same for the file at databasePath, touching nothing of the
    // session: a copy of a large file takes seconds, so the program makes it
    // on a thread of its own (with its own connection) while the operator
    // works. `stop` set ends the copy early and leaves no partial file.
    static QString dailyFolderOf(const QString &databasePath);
    static QString todaysDailyBackup(const QString &databasePath, const QDate &today);
    // The daily backups of the file at databasePath, oldest first.
    static QStringList dailyBackupsOf(const QString &databasePath);
    static QString makeDailyBackup(const QString &databasePath, const QDate &today, int keep,
                                   const std::atomic_bool *stop = nullptr);

private:
    ShopContext &m_shop;
};

} // namespace quollin
