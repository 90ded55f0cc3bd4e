#pragma once

#include <QDateTime>
#include <QString>

namespace quollin {

class ShopContext;

// Table rz: one row per successful sign-in; the close of the main window
// stamps its end. A run that ends without a clean close leaves jtime empty.
class OperatorLog {
public:
    explicit OperatorLog(ShopContext &shop) : m_shop(shop) {}

    // Returns the id of the row this sign-in inserted (never max(id), which
    // would pick another copy's row when two copies share the file). Throws
    // DbError when the row cannot be written, SQLITE_BUSY after the engine's
    // busy wait when another program holds the file's write lock: a sign-in
    // whose row is not written does not succeed.
    qint64 recordSignIn(const QString &operatorName, const QDateTime &when);
    void recordClose(qint64 id, const QDateTime &when);

private:
    ShopContext &m_shop;
};

} // namespace quollin
