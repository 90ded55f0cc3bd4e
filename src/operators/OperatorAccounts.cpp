#include "operators/OperatorAccounts.h"

#include "core/Database.h"
#include "core/DistinctValues.h"
#include "core/ShopContext.h"
#include "core/TrimmedInput.h"
#include "core/PasswordHash.h"
#include "core/ShopDatabase.h"
#include "core/TextCollation.h"

#include <QStringDecoder>

#include <unicode/uchar.h>

namespace quollin {

namespace {

bool isSuperAdministrator(const QString &trimmedName) { return trimmedName == ShopDatabase::kSuperAdministrator; }

// A user name matches regardless of letter case, as the lists show one entry
// for names that differ only in case. The program's order counts names as
// equal only when they are also equal letter for letter but for case; a
// server's order has no such tie-break (it would take a name with an
// invisible mark in it for the name it imitates), so there the folded names
// must match as well.
QString byName(const Database &db)
{
    QString condition = QStringLiteral(" WHERE username = :name") + TextCollation::clause();
    if (db.isServer())
        condition += QStringLiteral(" AND lower(username COLLATE \"und-x-icu\") = lower(:name COLLATE \"und-x-icu\")");
    return condition;
}

// A stored name exactly as kept: the usual reading drops a leading byte
// order mark, which would show a marked name as the one it imitates.
QString storedName(const Statement &query, int column)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(query.utf8(column));
}

bool accountExists(Database &db, const QString &name)
{
    Statement query = db.prepare(QStringLiteral("SELECT 1 FROM userdb") + byName(db));
    query.bind(":name", name);
    return query.next();
}

} // namespace

OperatorAccounts::OperatorAccounts(ShopContext &shop) : m_shop(shop) {}

QString OperatorAccounts::normalisedName(const QString &name)
{
    return name.normalized(QString::NormalizationForm_KC);
}

bool OperatorAccounts::showsWhole(const QString &name)
{
    for (const char32_t c : name.toUcs4()) {
        switch (QChar::category(c)) {
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Other_Surrogate:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return false;
        default:
            break;
        }
        // Fillers and variation selectors are letters and marks by category,
        // yet show nothing.
        if (u_hasBinaryProperty(UChar32(c), UCHAR_DEFAULT_IGNORABLE_CODE_POINT))
            return false;
    }
    return true;
}

QStringList OperatorAccounts::userNames() const
{
    // Stored order is insertion order, which rowid keeps.
    Statement query = m_shop.db().prepare(QStringLiteral("SELECT username FROM userdb ORDER BY rowid"));
    QStringList names;
    while (query.next())
        names << storedName(query, 0);
    return names;
}

QStringList OperatorAccounts::sortedUserNames() const
{
    return DistinctValues(m_shop.db(), QStringLiteral("username"), QStringLiteral("userdb"));
}

bool OperatorAccounts::verify(const QString &name, const QString &password) const
{
    return verifiedName(name, password).has_value();
}

std::optional<QString> OperatorAccounts::verifiedName(const QString &name, const QString &password) const
{
    const QString typed = normalisedName(name);
    if (!showsWhole(typed))
        return std::nullopt;
    // An older file may hold names kept as typed (full-width letters): they
    // are found by the name as typed and still sign in, unless they only
    // look like the super administrator.
    QStringList lookups{typed};
    if (name != typed && showsWhole(name))
        lookups << name;
    for (const QString &lookup : lookups) {
        Statement query = m_shop.db().prepare(QStringLiteral("SELECT username, passwd FROM userdb") + byName(m_shop.db()));
        query.bind(":name", lookup);
        while (query.next()) {
            const QString stored = storedName(query, 0);
            if (!showsWhole(stored)
                || (stored != normalisedName(stored) && isSuperAdministrator(TrimmedInput(normalisedName(stored)))))
                continue;
            if (!query.isNull(1) && PasswordHash::verify(query.text(1), password))
                return stored;
        }
    }
    return std::nullopt;
}

OperatorAccounts::Outcome OperatorAccounts::addUser(const QString &name)
{
    m_shop.demand(OperatorRestrictions::Command::UserAdministration);
    // Trimmed after as well: the compatibility form makes an ideographic
    // space a plain one.
    const QString trimmed = TrimmedInput(normalisedName(TrimmedInput(name)));
    if (!showsWhole(trimmed))
        return Outcome::InvisibleCharacters;
    if (isSuperAdministrator(trimmed))
        return Outcome::SuperAdministrator;
    if (trimmed.isEmpty())
        return Outcome::EmptyName;

    // Hash before taking the write lock: it is the slow part.
    const QString initial = PasswordHash::hash(ShopDatabase::kInitialPassword);
    ShopTransaction transaction(m_shop);
    if (accountExists(transaction.db(), trimmed))
        return Outcome::AlreadyExists;
    Statement insert = transaction.db().prepare(QStringLiteral("INSERT INTO userdb (username, passwd) VALUES (:name, :hash)"));
    insert.bind(":name", trimmed).bind(":hash", initial).exec();
    transaction.changes().operators.added(transaction.db().lastInsertId());
    transaction.commit();
    return Outcome::Done;
}

OperatorAccounts::Outcome OperatorAccounts::initialisePassword(const QString &name)
{
    m_shop.demand(OperatorRestrictions::Command::UserAdministration);
    const QString trimmed = TrimmedInput(name);
    if (trimmed.isEmpty())
        return Outcome::EmptyName;
    Statement update = m_shop.db().prepare(QStringLiteral("UPDATE userdb SET passwd = :hash") + byName(m_shop.db()));
    update.bind(":hash", PasswordHash::hash(ShopDatabase::kInitialPassword)).bind(":name", trimmed).exec();
    return m_shop.db().changes() > 0 ? Outcome::Done : Outcome::NoSuchUser;
}

OperatorAccounts::Outcome OperatorAccounts::deleteUser(const QString &name)
{
    m_shop.demand(OperatorRestrictions::Command::UserAdministration);
    const QString trimmed = TrimmedInput(name);
    if (isSuperAdministrator(trimmed))
        return Outcome::SuperAdministrator;
    if (trimmed.isEmpty())
        return Outcome::EmptyName;
    ShopTransaction transaction(m_shop);
    Statement remove = transaction.db().prepare(QStringLiteral("DELETE FROM userdb") + byName(transaction.db()));
    remove.bind(":name", trimmed).exec();
    if (transaction.db().changes() == 0)
        return Outcome::NoSuchUser;
    // The accounts have no ID of their own that a window follows: the whole
    // list is read again.
    transaction.changes().operators.all();
    transaction.commit();
    return Outcome::Done;
}

OperatorAccounts::Outcome OperatorAccounts::changePassword(const QString &name, const QString &oldPassword,
                                                           const QString &newPassword)
{
    m_shop.demand(OperatorRestrictions::Command::ChangePassword);
    const QString trimmed = TrimmedInput(name);
    if (trimmed.isEmpty())
        return Outcome::EmptyName;

    // Check and write under one lock, so a password changed elsewhere in
    // between cannot be overwritten on the strength of the old one.
    ShopTransaction transaction(m_shop);
    {
        Statement query = m_shop.db().prepare(QStringLiteral("SELECT passwd FROM userdb") + byName(m_shop.db()));
        query.bind(":name", trimmed);
        // An older file may hold names that differ only in case: as at
        // sign-in, the password of any of them will do, and all then change.
        bool found = false;
        bool right = false;
        while (!right && query.next()) {
            found = true;
            right = !query.isNull(0) && PasswordHash::verify(query.text(0), oldPassword);
        }
        if (!found)
            return Outcome::NoSuchUser;
        if (!right)
            return Outcome::WrongOldPassword;
    }
    Statement update = m_shop.db().prepare(QStringLiteral("UPDATE userdb SET passwd = :hash") + byName(m_shop.db()));
    update.bind(":hash", PasswordHash::hash(newPassword)).bind(":name", trimmed).exec();
    transaction.commit();
    return Outcome::Done;
}

} // namespace quollin
