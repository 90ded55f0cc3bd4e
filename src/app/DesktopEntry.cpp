#include "app/DesktopEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace quollin {

namespace {

// Escapes for a value of type string: backslash and control characters.
QString escapeValue(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        switch (c.unicode()) {
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\t': out += QLatin1String("\\t"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        default: out += c;
        }
    }
    // A leading blank would be taken for the blank after "=".
    if (out.startsWith(u' '))
        out.replace(0, 1, QLatin1String("\\s"));
    return out;
}

// One argument of Exec: quoted when it holds a reserved character, with
// '"', '`', '$' and '\' escaped inside the quotes, and every '%' doubled so
// it is not read as a field code. The string escapes come on top of this.
QString execArgument(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#`()");
    bool quote = argument.isEmpty();
    for (QChar c : argument)
        quote = quote || reserved.contains(c);

    QString out;
    if (quote) {
        out += u'"';
        for (QChar c : argument) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                out += u'\\';
            out += c;
        }
        out += u'"';
    } else {
        out = argument;
    }
    out.replace(u'%', QLatin1String("%%"));
    return out;
}

QByteArray entryText(const QString &programPath, const QString &iconPath)
{
    const QFileInfo program(programPath);
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Version=1.0\n"
                                  "Type=Application\n"
                                  "Name=Quollin进销存\n"
                                  "GenericName=进销存管理\n"
                                  "Comment=小商店的进货、销售与库存管理\n");
    text += QStringLiteral("Exec=") + escapeValue(execArgument(program.absoluteFilePath())) + u'\n';
    text += QStringLiteral("Path=") + escapeValue(program.absolutePath()) + u'\n';
    if (!iconPath.isEmpty())
        text += QStringLiteral("Icon=") + escapeValue(iconPath) + u'\n';
    text += QStringLiteral("Terminal=false\n"
                           "Categories=Office;Finance;\n"
                           "StartupNotify=true\n");
    return text.toUtf8();
}

} // namespace

QString desktopEntryFileName() { return QStringLiteral("Quollin进销存.desktop"); }

QString desktopFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    // Qt falls back to the home folder when it knows no desktop; a shortcut
    // there would only clutter it.
    if (folder.isEmpty() || !QFileInfo(folder).isDir() || QDir(folder) == QDir::home())
        return {};
    return folder;
}

bool writeDesktopEntry(const QString &desktopFolder, const QString &programPath, const QString &iconPath)
{
    if (desktopFolder.isEmpty() || !QFileInfo(desktopFolder).isDir())
        return false;
    QSaveFile file(QDir(desktopFolder).filePath(desktopEntryFileName()));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Set on the temporary file, so the entry never appears without them.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                        | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser
                        | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const QByteArray bytes = entryText(programPath, iconPath);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool refreshDesktopEntry()
{
    const QString folder = desktopFolder();
    if (folder.isEmpty())
        return false;
    const QString program = QCoreApplication::applicationFilePath();
    const QString installedIcon = QDir::cleanPath(QFileInfo(program).absolutePath()
                                                  + QStringLiteral("/../share/icons/hicolor/scalable/apps/quollin.svg"));
    const QString icon = QFileInfo::exists(installedIcon) ? installedIcon : QStringLiteral("quollin");
    return writeDesktopEntry(folder, program, icon);
}

} // namespace quollin
