#include "app/ExternalTools.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>

namespace quollin::ExternalTools {

namespace {

// Example addresses until the maker's own are settled.
const char webSiteAddress[] = "https://www.quollin.example/";
const char upgradeAddress[] = "https://www.quollin.example/upgrade";

} // namespace

QUrl webSite() { return QUrl(QString::fromLatin1(webSiteAddress)); }

QUrl upgradePage() { return QUrl(QString::fromLatin1(upgradeAddress)); }

bool openWebSite() { return QDesktopServices::openUrl(webSite()); }

bool openUpgradePage() { return QDesktopServices::openUrl(upgradePage()); }

QStringList calculators()
{
    return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),        QStringLiteral("galculator"),
            QStringLiteral("mate-calc"),        QStringLiteral("xcalc"),        QStringLiteral("qalculate-gtk")};
}

QStringList textEditors()
{
    return {QStringLiteral("gedit"),   QStringLiteral("gnome-text-editor"), QStringLiteral("kate"),
            QStringLiteral("kwrite"),  QStringLiteral("mousepad"),          QStringLiteral("pluma"),
            QStringLiteral("xed"),     QStringLiteral("leafpad"),           QStringLiteral("featherpad")};
}

QString findProgram(const QStringList &candidates, const QStringList &searchPaths)
{
    for (const QString &name : candidates) {
        // A name with a folder in it would let the list reach outside the
        // search path.
        if (name.isEmpty() || name.contains(u'/'))
            continue;
        const QString path = QStandardPaths::findExecutable(name, searchPaths);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

bool startFirst(const QStringList &candidates, const QStringList &searchPaths)
{
    const QString program = findProgram(candidates, searchPaths);
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, {}, QDir::homePath());
}

bool startCalculator() { return startFirst(calculators()); }

bool startTextEditor() { return startFirst(textEditors()); }

} // namespace quollin::ExternalTools
