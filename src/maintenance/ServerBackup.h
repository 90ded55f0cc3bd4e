#pragma once

#include "maintenance/BackupFile.h"

#include <QMap>
#include <QString>

#include <memory>

namespace quollin::ServerBackup {

// Backup and restore of a shop kept on a PostgreSQL server, through the
// server's own client programs (pg_dump, pg_restore). Progress is told with
// a total of -1: how far a dump has come is not known, but a false answer
// still stops it (the program is ended, no partial file is left).

// The client program of this name ("pg_dump", "pg_restore") of the highest
// installed version: a server newer than pg_dump is refused by it, so the
// newest one reaches the most servers. Empty when none is installed.
QString clientProgram(const QString &name);

// Rows per table of the shop ("data", "data1", "userdb", "rz").
using RowCounts = QMap<QString, qint64>;
// "商品 2 条、销售记录 5 条、操作员 1 个、操作日志 3 条".
QString describe(const RowCounts &rows);
// The rows the shop's tables hold now.
RowCounts countRows(Database &db);

// pg_dump of the database at `uri` (custom format) into `target`. Built
// under a temporary name beside the target; only a dump that pg_restore
// reads back and that holds the data of the shop's four tables is renamed
// to the target, replacing a file of that name.
BackupFile::Result dump(const QString &uri, const QString &target, const BackupFile::Progress &progress = {});

// Does pg_restore read this file's table of contents, and does it list
// the data of the shop's four tables?
BackupFile::Result verify(const QString &dumpFile);

// Whether the server database holds nothing of anyone's: no table, view,
// sequence, function, type or collation outside the system's schemas, no
// schema but "public", no extension the server did not bring.
bool isEmpty(Database &db);

struct Restored {
    BackupFile::Result result;
    RowCounts rows;               // as restored, equal to the dump's
    std::unique_ptr<Database> db; // the shop opened on it, on success
};
// Restores `dumpFile` into the EMPTY database at `targetUri`: the whole
// dump is read through first (a damaged one is refused before anything is
// written), then pg_restore loads it in one transaction (a failure leaves
// the database as it was), then the result is opened as a shop and its rows
// compared with the dump's. A database that is not empty is refused
// untouched.
Restored restore(const QString &dumpFile, const QString &targetUri, const BackupFile::Progress &progress = {});

// The database's name in a server's URI, as a file name may carry it (for
// the daily backups' names).
QString databaseName(const QString &uri);

} // namespace quollin::ServerBackup
