#pragma once

#include "core/Database.h"

#include <QString>

#include <memory>

namespace quollin::ShopDatabase {

// The key the shop's file is encrypted with.
inline constexpr const char *kKey = "kvrmqt-zpw";

// The account that may do everything, and the password every new account
// starts with.
inline const QString kSuperAdministrator = QStringLiteral("超级管理员");
inline const QString kInitialPassword = QStringLiteral("582");

// Opens the shop's file. A missing file is created, complete with the schema
// and the super administrator; it appears under its name only once it is
// whole. An existing file that cannot be opened or is not ours is refused with
// a DbError and left exactly as it was.
std::unique_ptr<Database> open(const QString &path);

} // namespace quollin::ShopDatabase
