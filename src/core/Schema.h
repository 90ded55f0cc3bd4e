#pragma once

#include <QStringList>

namespace quollin {

class Database;

// The four tables of the shop's file and the version stamp that lets a later
// release migrate an older file.
namespace Schema {

inline constexpr int kVersion = 1;

// Column names of each table in their stored order.
QStringList goodsColumns();     // table data
QStringList saleLineColumns();  // table data1
QStringList userColumns();      // table userdb
QStringList logColumns();       // table rz

// Creates every table and index and stamps the version. Runs in the caller's
// transaction.
void create(Database &db);

// Whether a server's database holds no table yet: where --new may create
// the shop's tables.
bool isEmptyServer(Database &db);

// The condition of the lines that are not sales (returns, and quantities of
// 0, none or text). The partial index data1_unsold is made with this text,
// and a statement must use it word for word for the engine to use the index.
QString unsoldCondition(const Database &db);

// Refuses (DbError with a Chinese message) a file that lacks a table or column,
// or that a newer release has written. Reads only.
void verify(Database &db);

// Adds the indexes that a file of an earlier layout lacks, in one
// transaction; writes nothing when all are there. Only for a file that
// verify() has accepted.
void addMissingIndexes(Database &db);

// Whether the schema keeps an index that starts with this column of this
// table (so that reading its values in order is a walk over the index).
bool hasIndexOn(const QString &table, const QString &column);

// Quotes an identifier for statement text: column names made of digits must
// be quoted wherever they stand. Only for names from this schema, never for
// anything typed.
QString quoted(const QString &identifier);

// Values bound per statement stay well under the engine's limit of 999: long
// lists of values go in chunks of this many.
inline constexpr size_t kBoundChunk = 500;
// "?,?,…,?": the placeholders of an IN list of count values.
QString placeholders(size_t count);

// The condition that the column holds the text bound to parameter anywhere,
// Latin letters in either case: "column LIKE parameter ESCAPE '\'". Every
// search that finds text inside a column builds its condition here, so the
// one place where the engine's matching without regard to case is relied on
// is this. The bound value is containsPattern(text).
QString containsCondition(const QString &column, const QString &parameter);

// The LIKE pattern that finds the text anywhere, with "\" escaping "%", "_"
// and itself, for containsCondition.
QString containsPattern(const QString &text);

} // namespace Schema
} // namespace quollin
