#include "SheetWriter.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryFile>

namespace quollin::test {

namespace {

// The system's interpreter carries the Debian xlwt and openpyxl packages; a
// private one earlier on the path may not.
QString interpreter(const QString &module)
{
    for (const QString &candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess probe;
        probe.start(candidate, {QStringLiteral("-c"), QStringLiteral("import ") + module});
        if (probe.waitForFinished(20000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0)
            return candidate;
    }
    return QString();
}

QString runWriter(const QString &python, const QString &script, QJsonObject book, const QList<TestSheet> &sheets)
{
    QJsonArray sheetArray;
    for (const TestSheet &s : sheets)
        sheetArray.append(QJsonObject{{QStringLiteral("name"), s.name}, {QStringLiteral("rows"), s.rows}});
    book.insert(QStringLiteral("sheets"), sheetArray);
    QTemporaryFile spec;
    if (!spec.open())
        return QStringLiteral("no temporary file");
    spec.write(QJsonDocument(book).toJson());
    spec.flush();
    QProcess run;
    run.start(python, {script, spec.fileName()});
    if (!run.waitForFinished(60000) || run.exitCode() != 0)
        return QString::fromUtf8(run.readAllStandardError());
    return QString();
}

} // namespace

QJsonValue day(const QString &isoDate) { return QJsonObject{{QStringLiteral("date"), isoDate}}; }
QJsonValue runs(const QStringList &pieces) { return QJsonObject{{QStringLiteral("runs"), QJsonArray::fromStringList(pieces)}}; }
QJsonValue inlineText(const QString &text) { return QJsonObject{{QStringLiteral("inline"), text}}; }

QString writeWorkbook(const QString &path, const QList<TestSheet> &sheets)
{
    static const QString python = interpreter(QStringLiteral("xlwt"));
    if (python.isEmpty())
        return QStringLiteral("python3 with xlwt is missing (scripts/deps.sh installs python3-xlwt)");
    return runWriter(python, QStringLiteral(XLS_WRITER_SCRIPT), {{QStringLiteral("path"), path}}, sheets);
}

QString writeXlsxWorkbook(const QString &path, const QList<TestSheet> &sheets, const QString &damage)
{
    static const QString python = interpreter(QStringLiteral("openpyxl"));
    if (python.isEmpty())
        return QStringLiteral("python3 with openpyxl is missing (scripts/deps.sh installs python3-openpyxl)");
    QJsonObject book{{QStringLiteral("path"), path}};
    if (!damage.isEmpty())
        book.insert(QStringLiteral("damage"), damage);
    return runWriter(python, QStringLiteral(XLSX_WRITER_SCRIPT), book, sheets);
}

QJsonArray goodsTitles(bool withInitials)
{
    QJsonArray titles;
    for (const char *t : {"a", "b", "c", "d", "e", "f", "g", "a1", "a2", "a3", "a4", "a5", "a6", "a7", "a8", "z", "day1"}) {
        const QString title = QString::fromLatin1(t);
        if (!withInitials && (title == QLatin1String("e") || title == QLatin1String("f")))
            continue;
        titles.append(title);
    }
    return titles;
}

QJsonArray goodsRow(const QString &name, const QString &spec, double price, double quantity, const QString &date,
                    bool withInitials)
{
    QJsonArray row{name, spec, QStringLiteral("C-") + name, QStringLiteral("饮料")};
    if (withInitials)
        row << QStringLiteral("ini") << QStringLiteral("spc");
    row << QStringLiteral("供货商甲") << price << quantity << price * quantity << price * 1.5 << 0 << 0 << quantity
        << price * quantity << QStringLiteral("备注") << day(date);
    return row;
}

} // namespace quollin::test
