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

enum class IfMissing { Create, Refuse };

// Opens the shop's file. A missing file is created (with its folders),
// complete with the schema and the super administrator; it appears under its
// name only once it is whole. With IfMissing::Refuse a missing file is refused
// instead and nothing is created: a mistyped path or an unmounted data folder
// must not look like a shop whose data is gone. An existing file that cannot
// be opened or is not ours is refused with a DbError and left exactly as it
// was.
std::unique_ptr<Database> open(const QString &path, IfMissing ifMissing = IfMissing::Create);

} // namespace quollin::ShopDatabase
