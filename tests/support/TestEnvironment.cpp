#include "support/TestEnvironment.h"

#include <QFile>
#include <QStandardPaths>

namespace quollin::test {

TestEnvironment::TestEnvironment()
{
    // Anything that asks for the standard folders gets test folders instead.
    QStandardPaths::setTestModeEnabled(true);
}

QString TestEnvironment::path(const QString &fileName) const { return m_dir.filePath(fileName); }

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace quollin::test
