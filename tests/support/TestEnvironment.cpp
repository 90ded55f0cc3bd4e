#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Root writes to any file whatever its mode says, so a read-only file
// proves nothing when the tests run as root (as they do on the build
// machine). There the steps run in a child process that has become the
// unprivileged user "nobody", owner of the test folder. The steps return
// what went wrong, or nothing.
QString asOrdinaryUser(const QString &folder, const std::function<QString()> &steps)
{
    if (::geteuid() != 0)
        return steps();
    constexpr uid_t kNobody = 65534;
    const QByteArray local = QFile::encodeName(folder);
    if (::chown(local.constData(), kNobody, kNobody) != 0)
        return QStringLiteral("cannot hand the folder to nobody");
    for (QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString entry = it.next();
        if (::chown(QFile::encodeName(entry).constData(), kNobody, kNobody) != 0)
            return QStringLiteral("cannot hand %1 to nobody").arg(entry);
    }
    int channel[2];
    if (::pipe(channel) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child < 0)
        return QStringLiteral("no child process");
    if (child == 0) {
        ::close(channel[0]);
        QByteArray report;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            report = "cannot become nobody";
        else if (::access(local.constData(), R_OK | W_OK | X_OK) != 0)
            report = "SKIP: the test folder lies out of nobody's reach";
        else
            report = steps().toUtf8();
        for (qsizetype done = 0; done < report.size();) {
            const ssize_t n = ::write(channel[1], report.constData() + done, size_t(report.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, n);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("the child process died");
    return QString::fromUtf8(report);
}

} // namespace quollin::test
