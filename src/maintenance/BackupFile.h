#pragma once

#include "core/Database.h"

#include <QString>

#include <functional>

namespace quollin::BackupFile {

// Either done, or why not (a text the operator can act on).
struct Result {
    bool ok = false;
    QString reason;
    static Result success() { return {true, QString()}; }
    static Result failure(const QString &why) { return {false, why}; }
};

// Told how many pages of how many are copied; returning false stops the copy.
using Progress = std::function<bool(int done, int total)>;

// The copy moves this many pages per step and no more, each connection of a
// copy or a check holds at most kCopyCacheKiB of pages: a copy of a large
// file runs beside the program's own work in little memory of its own.
constexpr int kPagesPerStep = 256;
constexpr int kCopyCacheKiB = 2048;

// A connection with our key for reading or writing a file once through (a
// copy, a check): its cache is bounded by kCopyCacheKiB.
std::unique_ptr<Database> openForCopy(const QString &path, Database::OpenMode mode);

// Is this a shop file we can use: does our key open it, does it hold our
// tables, does the engine find it whole (integrity check)? Opens the file
// for reading only, so a backup on write-protected media can be checked.
Result verify(const QString &path);

// Copies every page of `from` into `to` through the engine, in one
// transaction of `to`. False when `progress` stopped it; throws DbError.
bool copyPages(Database &from, Database &to, const Progress &progress = {});

// Leaves the file of `db` as a single file: folds a write-ahead log into it
// and marks it as a file without one, which the engine can then read from
// write-protected media.
void makeSingleFile(Database &db);

// Copies the shop file `source` to `target` through the engine, page by page,
// so that the copy is consistent even while another connection writes and
// includes what still sits in the write-ahead log. The copy is built under a
// temporary name beside the target, verified, and only then renamed to the
// target, replacing a file of that name: a failed, stopped or interrupted copy
// never leaves a target that passes for a good one, and an old target stays
// as it was until the new one is whole. The copy is a single file.
// A source that is itself a backup (a restore) is read as one: read-only.
Result copy(const QString &source, const QString &target, const Progress &progress = {},
            Database::OpenMode sourceMode = Database::OpenMode::ExistingOnly);

// The name a backup is built under beside its target until it is whole.
QString temporaryNameFor(const QString &target);
// Moves `from` over `to`, replacing it in one step where the system can.
bool replaceFile(const QString &from, const QString &to);
// Why a backup cannot be written to `target` (a missing or read-only
// folder, a folder of that name), or success.
Result checkTarget(const QString &target);

// The companions the engine keeps beside a file (write-ahead log, shared
// memory index, rollback journal).
QStringList companions(const QString &path);
void removeWithCompanions(const QString &path);

} // namespace quollin::BackupFile
