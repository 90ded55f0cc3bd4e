#pragma once

#include <QString>
#include <QTemporaryDir>

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

} // namespace quollin::test
