#pragma once

#include <QString>

namespace quollin::PasswordHash {

// A salted Argon2id hash (libsodium, interactive limits) in libsodium's own
// text form, which is what userdb.passwd holds. Passwords never reach the file
// as plain text.
QString hash(const QString &password);

// True when the password matches the stored hash. A stored value that is no
// hash at all never matches.
bool verify(const QString &storedHash, const QString &password);

} // namespace quollin::PasswordHash
