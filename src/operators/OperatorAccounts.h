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
        InvisibleCharacters,  // a new name holding characters that show nothing
    };

    // A user name as it is kept and looked up: in Unicode's compatibility
    // form (NFKC), so that full-width letters and compatibility ideographs
    // become the plain ones they look like.
    static QString normalisedName(const QString &name);
    // True when every character of the name shows: no control, format
    // (zero-width, byte order or direction marks) or other invisible one.
    // Two names that look alike in the lists and the log are then one name.
    static bool showsWhole(const QString &name);

    // Every command that changes an account is refused (NotPermitted) unless
    // the signed-in operator may run it.
    explicit OperatorAccounts(ShopContext &shop);

    // Every user name in stored order (the administration window's list).
    QStringList userNames() const;
    // The distinct user names in sorted order (sign-in and password window lists).
    QStringList sortedUserNames() const;

    // True when the name (as given, untrimmed), normalised, has an account whose stored hash
    // matches the password. The name matches regardless of letter case, as
    // every command's does; the password is compared case-sensitively. An
    // account whose stored name is not a normalised name that shows whole
    // (one an older file may hold) signs nobody in.
    bool verify(const QString &name, const QString &password) const;
    // The account's name as stored when the password matches it.
    std::optional<QString> verifiedName(const QString &name, const QString &password) const;

    // Each command takes the name as typed or chosen and trims it first. A
    // new name is normalised and must show whole; the others are names from
    // the lists, taken as stored, so that an odd one can still be deleted.
    Outcome addUser(const QString &name);
    Outcome initialisePassword(const QString &name);
    Outcome deleteUser(const QString &name);
    Outcome changePassword(const QString &name, const QString &oldPassword, const QString &newPassword);

private:
    ShopContext &m_shop;
};

} // namespace quollin
