#include "widgets/GridLayoutIni.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QSettings>

namespace quollin::GridLayoutIni {

// QSettings would percent-escape "(Default)" and quote values with commas,
// so the file is read and written here, line by line, as plain bytes (other
// sections may hold text in any code page).

namespace {

const QByteArray kDefaultKey = QByteArrayLiteral("(Default)");

QByteArray keyOf(const QString &field)
{
    return QByteArray(kGridName) + '.' + field.toUtf8();
}

struct IniLines {
    QList<QByteArray> lines; // without line ends
    QByteArray lineEnd = QByteArrayLiteral("\r\n");
};

IniLines split(const QByteArray &content)
{
    IniLines ini;
    if (!content.isEmpty() && !content.contains("\r\n"))
        ini.lineEnd = QByteArrayLiteral("\n");
    QByteArray text = content;
    text.replace("\r\n", "\n");
    ini.lines = text.split('\n');
    if (!ini.lines.isEmpty() && ini.lines.last().isEmpty())
        ini.lines.removeLast();
    return ini;
}

bool isSectionLine(const QByteArray &line, QByteArray *name = nullptr)
{
    const QByteArray t = line.trimmed();
    if (!t.startsWith('[') || !t.endsWith(']'))
        return false;
    if (name)
        *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

// Section and key names compare without regard to case, as the system's ini
// routines do. Returns the range [first, end) of the section's body, or
// first = -1.
std::pair<qsizetype, qsizetype> findSection(const QList<QByteArray> &lines, const QString &section)
{
    qsizetype first = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray name;
        if (!isSectionLine(lines[i], &name))
            continue;
        if (first >= 0)
            return {first, i};
        if (QString::fromUtf8(name).compare(section, Qt::CaseInsensitive) == 0)
            first = i + 1;
    }
    return {first, lines.size()};
}

bool keyMatches(const QByteArray &line, const QByteArray &key, QByteArray *value = nullptr)
{
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return false;
    if (QString::fromUtf8(line.left(eq).trimmed()).compare(QString::fromUtf8(key), Qt::CaseInsensitive) != 0)
        return false;
    if (value)
        *value = line.mid(eq + 1).trimmed();
    return true;
}

bool readInt(const QString &text, int &target)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (ok)
        target = number;
    return ok;
}

} // namespace

QString defaultPath()
{
    // The folder QSettings uses for the user's ini-format store of the
    // program, whatever the platform's native store is.
    const QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("brennick"),
                          QStringLiteral("jxc"));
    return QFileInfo(store.fileName()).absoluteDir().filePath(QStringLiteral("qljxc.ini"));
}

QString columnValue(const ColumnLayout &c)
{
    return QStringLiteral("%1,%2,%3,%4,%5,%6,%7")
        .arg(c.position)
        .arg(c.width)
        .arg(c.sortMark)
        .arg(c.visible)
        .arg(c.sortIndex)
        .arg(c.dropDownRows)
        .arg(c.dropDownWidth);
}

void readColumnValue(const QString &value, ColumnLayout &c)
{
    const QStringList parts = value.split(QLatin1Char(','));
    int *ordered[] = {&c.position, &c.width, &c.sortMark, &c.visible, &c.sortIndex, &c.dropDownRows, &c.dropDownWidth};
    for (qsizetype i = 0; i < parts.size() && i < 7; ++i)
        readInt(parts[i], *ordered[i]);
}

bool save(const QString &path, const QString &section, const GridLayout &layout)
{
    QByteArray content;
    {
        QFile in(path);
        if (in.exists()) {
            if (!in.open(QIODevice::ReadOnly))
                return false;
            content = in.readAll();
        }
    }
    IniLines ini = split(content);

    std::vector<std::pair<QByteArray, QByteArray>> entries;
    for (const ColumnLayout &c : layout.columns)
        entries.emplace_back(keyOf(c.field), columnValue(c).toUtf8());
    entries.emplace_back(kDefaultKey, QByteArray::number(layout.rowHeight) + ',' + QByteArray::number(layout.rowLines));

    auto [first, end] = findSection(ini.lines, section);
    if (first < 0) {
        ini.lines.append('[' + section.toUtf8() + ']');
        first = end = ini.lines.size();
    }
    for (const auto &[key, value] : entries) {
        bool replaced = false;
        for (qsizetype i = first; i < end; ++i) {
            if (keyMatches(ini.lines[i], key)) {
                ini.lines[i] = key + '=' + value;
                replaced = true;
                break;
            }
        }
        if (replaced)
            continue;
        // New keys go after the section's last non-blank line.
        qsizetype at = end;
        while (at > first && ini.lines[at - 1].trimmed().isEmpty())
            --at;
        ini.lines.insert(at, key + '=' + value);
        ++end;
    }

    QByteArray out;
    for (const QByteArray &line : ini.lines)
        out += line + ini.lineEnd;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(out);
    return file.commit();
}

bool restore(const QString &path, const QString &section, GridLayout &layout)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const IniLines ini = split(file.readAll());
    const auto [first, end] = findSection(ini.lines, section);
    if (first < 0)
        return false;
    QByteArray value;
    for (ColumnLayout &c : layout.columns) {
        const QByteArray key = keyOf(c.field);
        for (qsizetype i = first; i < end; ++i) {
            if (keyMatches(ini.lines[i], key, &value)) {
                readColumnValue(QString::fromUtf8(value), c);
                break;
            }
        }
    }
    for (qsizetype i = first; i < end; ++i) {
        if (keyMatches(ini.lines[i], kDefaultKey, &value)) {
            const QStringList parts = QString::fromUtf8(value).split(QLatin1Char(','));
            if (parts.size() > 0)
                readInt(parts[0], layout.rowHeight);
            if (parts.size() > 1)
                readInt(parts[1], layout.rowLines);
            break;
        }
    }
    return true;
}

} // namespace quollin::GridLayoutIni
