#pragma once

#include <QString>
#include <QTemporaryDir>

#include <functional>

namespace quollin::test {

// A private folder for one test's database and settings files, so that no
// test ever touches the user's own.
class TestEnvironment {
public:
    TestEnvironment();
    QString path(const QString &fileName) const;
    QString databasePath() const { return path(QStringLiteral("data.db")); }
    QString settingsPath() const { return path(QStringLiteral("jxc.ini")); }

private:
    QTemporaryDir m_dir;
};

// Reads a whole file, for before-and-after comparisons.
QByteArray fileBytes(const QString &path);

// Runs `steps` as an unprivileged user, owner of `folder` and its files, so
// that read-only modes mean something even when the tests run as root.
// Returns what went wrong, or nothing; "SKIP: ..." when it cannot be tried.
QString asOrdinaryUser(const QString &folder, const std::function<QString()> &steps);

} // namespace quollin::test
