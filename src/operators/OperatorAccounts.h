#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quollin {

class ShopContext;

// The rules over table userdb: who may sign in, and the account commands of
// the user administration and password windows. No widgets here.
class OperatorAccounts {
public:
    enum class Outcome {
        Done,
        EmptyName,            // no name given
        NoSuchUser,           // the name matches no account
        AlreadyExists,        // adding a name that exists already
        SuperAdministrator,   // the super administrator cannot be added again or deleted
        WrongOldPassword,     // a change whose old password is not the current one
    };

    // Every command that changes an account is refused (NotPermitted) unless
    // the signed-in operator may run it.
    explicit OperatorAccounts(ShopContext &shop);

    // Every user name in stored order (the administration window's list).
    QStringList userNames() const;
    // The distinct user names in sorted order (sign-in and password window lists).
    QStringList sortedUserNames() const;

    // True when the name (as given, untrimmed) has an account whose stored
    // hash matches the password. The name matches regardless of letter case,
    // as every command's does; the password is compared case-sensitively.
    bool verify(const QString &name, const QString &password) const;
    // The account's name as stored when the password matches it.
    std::optional<QString> verifiedName(const QString &name, const QString &password) const;

    // Each command takes the name as typed or chosen and trims it first.
    Outcome addUser(const QString &name);
    Outcome initialisePassword(const QString &name);
    Outcome deleteUser(const QString &name);
    Outcome changePassword(const QString &name, const QString &oldPassword, const QString &newPassword);

private:
    ShopContext &m_shop;
};

} // namespace quollin
