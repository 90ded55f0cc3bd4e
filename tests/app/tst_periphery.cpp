#include "app/DesktopEntry.h"
#include "app/ExternalTools.h"
#include "app/Skins.h"
#include "app/TAboutBox.h"
#include "app/Tchhform.h"
#include "core/Database.h"
#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStyle>
#include <QTextBrowser>
#include <QtTest>

#include <unistd.h>

using namespace quollin;
using quollin::test::TestEnvironment;
using quollin::test::fileBytes;

namespace {

double luminance(const QColor &c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QMap<QString, QString> readEntry(const QString &path)
{
    QMap<QString, QString> keys;
    const QStringList lines = QString::fromUtf8(fileBytes(path)).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines.mid(1)) {
        const qsizetype eq = line.indexOf(u'=');
        keys.insert(line.left(eq), line.mid(eq + 1));
    }
    if (!lines.isEmpty())
        keys.insert(QStringLiteral("[header]"), lines.first());
    return keys;
}

void writeFile(const QString &path, const QByteArray &bytes, QFile::Permissions permissions)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QVERIFY(file.setPermissions(permissions));
}

const QFile::Permissions executable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

} // namespace

class PeripheryTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Skins::apply(*qApp, Skins::BuiltIn); }

    // --- skins -----------------------------------------------------------

    void onlyTheFiveSkinNumbersNameASkin_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("index");
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("4") << "4" << 4;
        QTest::newRow("5") << "5" << -1;
        QTest::newRow("minus one") << "-1" << -1;
        QTest::newRow("leading zero") << "01" << -1;
        QTest::newRow("blank") << " 1" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("full-width digit") << "２" << -1;
        QTest::newRow("letter") << "a" << -1;
    }
    void onlyTheFiveSkinNumbersNameASkin()
    {
        QFETCH(QString, value);
        QFETCH(int, index);
        QCOMPARE(Skins::indexOf(value), index);
        QCOMPARE(Skins::isValid(value), index >= 0);
        if (index >= 0)
            QCOMPARE(Skins::settingValue(index), value);
        QCOMPARE(Skins::captions().size(), Skins::Count);
        QCOMPARE(Skins::captions().at(Skins::indexOf(QStringLiteral("3"))), QStringLiteral("黑色遐想(皮肤)"));
    }

    void everySkinIsLegible_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < Skins::Count; ++i)
            QTest::newRow(qPrintable(Skins::captions().at(i))) << i;
    }
    void everySkinIsLegible()
    {
        QFETCH(int, index);
        Skins::apply(*qApp, index);
        QCOMPARE(Skins::current(), index);
        QVERIFY(!qApp->styleSheet().isEmpty());

        const QPalette p = QApplication::palette();
        const struct { QPalette::ColorRole text, background; } pairs[] = {
            {QPalette::WindowText, QPalette::Window},
            {QPalette::ButtonText, QPalette::Button},
            {QPalette::ButtonText, QPalette::Light}, // buttons are a gradient from Light to Button
            {QPalette::Text, QPalette::Base},
            {QPalette::Text, QPalette::AlternateBase},
            {QPalette::HighlightedText, QPalette::Highlight},
            {QPalette::Link, QPalette::Window}, // web address in the about box
        };
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            for (const auto &pair : pairs) {
                const double ratio = contrast(p.color(group, pair.text), p.color(group, pair.background));
                if (ratio < 4.5)
                    QFAIL(qPrintable(QStringLiteral("roles %1/%2 of group %3: contrast %4")
                                         .arg(pair.text).arg(pair.background).arg(group).arg(ratio)));
            }
        }
        // Disabled text must look disabled, yet still be seen.
        const QColor disabled = p.color(QPalette::Disabled, QPalette::WindowText);
        QVERIFY(disabled != p.color(QPalette::Active, QPalette::WindowText));
        QVERIFY(contrast(disabled, p.color(QPalette::Disabled, QPalette::Window)) >= 2.5);

        // The sheets are written for Fusion; the sheet's wrapper hides the
        // name of the style beneath it.
        qApp->setStyleSheet(QString());
        QCOMPARE(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
    }

    void skinsDifferInColourAndShape()
    {
        QList<QPalette> palettes;
        QStringList sheets;
        for (int i = 0; i < Skins::Count; ++i) {
            Skins::apply(*qApp, i);
            palettes << QApplication::palette();
            sheets << qApp->styleSheet();
        }
        for (int i = 0; i < Skins::Count; ++i) {
            for (int j = i + 1; j < Skins::Count; ++j) {
                QVERIFY2(palettes[i].color(QPalette::Window) != palettes[j].color(QPalette::Window)
                             && palettes[i].color(QPalette::Highlight) != palettes[j].color(QPalette::Highlight),
                         qPrintable(QStringLiteral("skins %1 and %2").arg(i).arg(j)));
                QVERIFY(sheets[i] != sheets[j]);
            }
        }
    }

    void builtInLookComesBackExactly()
    {
        // A look that is not Fusion and has a sheet of its own, so that a
        // restore that merely resets to defaults would show.
        QApplication::setStyle(QStringLiteral("Windows"));
        QPalette own = QApplication::palette();
        own.setColor(QPalette::Window, QColor(12, 34, 56));
        QApplication::setPalette(own);
        const QString ownSheet = QStringLiteral("QLabel { font-weight: bold; }");
        qApp->setStyleSheet(ownSheet);
        const QPalette before = QApplication::palette();

        Skins::apply(*qApp, 1);
        Skins::apply(*qApp, 3);
        QVERIFY(QApplication::palette() != before);
        Skins::apply(*qApp, 42); // out of range counts as the built-in look
        QCOMPARE(Skins::current(), Skins::BuiltIn);
        QCOMPARE(qApp->styleSheet(), ownSheet);
        qApp->setStyleSheet(QString()); // to read the underlying style's name
        QCOMPARE(QApplication::style()->name().toLower(), QStringLiteral("windows"));
        QCOMPARE(QApplication::palette(), before);

        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(QApplication::style()->standardPalette());
    }

    void hintColoursSurviveAChangeOfSkin()
    {
        QPalette p = QApplication::palette();
        p.setColor(QPalette::ToolTipBase, QColor(255, 194, 134));
        QApplication::setPalette(p);
        Skins::apply(*qApp, 0);
        QCOMPARE(QApplication::palette().color(QPalette::ToolTipBase), QColor(255, 194, 134));
        Skins::apply(*qApp, Skins::BuiltIn);
        QCOMPARE(QApplication::palette().color(QPalette::ToolTipBase), QColor(255, 194, 134));
    }

    // --- desktop entry ---------------------------------------------------

    void desktopEntryStartsTheProgram()
    {
        TestEnvironment env;
        const QString folder = env.path(QStringLiteral("Desktop"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeDesktopEntry(folder, QStringLiteral("/opt/quollin/bin/quollin"),
                                  QStringLiteral("/opt/quollin/share/quollin.svg")));

        const QString path = QDir(folder).filePath(QStringLiteral("Quollin进销存.desktop"));
        const auto keys = readEntry(path);
        QCOMPARE(keys.value(QStringLiteral("[header]")), QStringLiteral("[Desktop Entry]"));
        QCOMPARE(keys.value(QStringLiteral("Type")), QStringLiteral("Application"));
        QCOMPARE(keys.value(QStringLiteral("Name")), QStringLiteral("Quollin进销存"));
        QCOMPARE(keys.value(QStringLiteral("Exec")), QStringLiteral("/opt/quollin/bin/quollin"));
        QCOMPARE(keys.value(QStringLiteral("Path")), QStringLiteral("/opt/quollin/bin"));
        QCOMPARE(keys.value(QStringLiteral("Icon")), QStringLiteral("/opt/quollin/share/quollin.svg"));
        QVERIFY(!keys.value(QStringLiteral("Comment")).isEmpty());
        QVERIFY(QFile::permissions(path).testFlag(QFile::ExeOwner));
    }

    void execIsQuotedWhereTheRulesAskForIt_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("workingFolder");
        QTest::newRow("blank") << "/home/王 小明/进销存/quollin" << "\"/home/王 小明/进销存/quollin\""
                               << "/home/王 小明/进销存";
        QTest::newRow("dollar and quote") << "/opt/a$b\"c/quollin" << "\"/opt/a\\\\$b\\\\\"c/quollin\""
                                          << "/opt/a$b\"c";
        // A percent sign would otherwise be a field code, quoted or not.
        QTest::newRow("percent") << "/opt/100%/quollin" << "/opt/100%%/quollin" << "/opt/100%";
        // Quoting escapes the backslash, then the string rules double both.
        QTest::newRow("backslash") << "/opt/a\\b/quollin" << "\"/opt/a\\\\\\\\b/quollin\"" << "/opt/a\\\\b";
    }
    void execIsQuotedWhereTheRulesAskForIt()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        QFETCH(QString, workingFolder);
        TestEnvironment env;
        QVERIFY(writeDesktopEntry(env.path(QString()), program, QString()));
        const auto keys = readEntry(env.path(QStringLiteral("Quollin进销存.desktop")));
        QCOMPARE(keys.value(QStringLiteral("Exec")), exec);
        QCOMPARE(keys.value(QStringLiteral("Path")), workingFolder);
        QVERIFY(!keys.contains(QStringLiteral("Icon")));
    }

    void desktopEntryReplacesAnOldOne()
    {
        TestEnvironment env;
        const QString path = env.path(QStringLiteral("Quollin进销存.desktop"));
        writeFile(path, "[Desktop Entry]\nExec=/old/place/quollin\n", QFile::ReadOwner | QFile::WriteOwner);
        const QString other = env.path(QStringLiteral("other.desktop"));
        writeFile(other, "keep", QFile::ReadOwner | QFile::WriteOwner);

        QVERIFY(writeDesktopEntry(env.path(QString()), QStringLiteral("/new/place/quollin"), QStringLiteral("quollin")));
        QCOMPARE(readEntry(path).value(QStringLiteral("Exec")), QStringLiteral("/new/place/quollin"));
        QVERIFY(!fileBytes(path).contains("/old/place"));
        QVERIFY(QFile::permissions(path).testFlag(QFile::ExeOwner));
        QCOMPARE(fileBytes(other), QByteArray("keep"));
        // Nothing left over from the atomic write.
        QCOMPARE(QDir(env.path(QString())).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void unusableFolderGivesFalse()
    {
        TestEnvironment env;
        const QString missing = env.path(QStringLiteral("no such folder"));
        QVERIFY(!writeDesktopEntry(missing, QStringLiteral("/opt/q/quollin"), QString()));
        QVERIFY(!QFileInfo::exists(missing));
        QVERIFY(!writeDesktopEntry(QString(), QStringLiteral("/opt/q/quollin"), QString()));

        const QString plainFile = env.path(QStringLiteral("a file"));
        writeFile(plainFile, "x", QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(!writeDesktopEntry(plainFile, QStringLiteral("/opt/q/quollin"), QString()));

        // A folder in the way of the entry is left alone.
        const QString blocked = env.path(QStringLiteral("blocked"));
        QVERIFY(QDir().mkpath(blocked + QStringLiteral("/Quollin进销存.desktop")));
        QVERIFY(!writeDesktopEntry(blocked, QStringLiteral("/opt/q/quollin"), QString()));
        QVERIFY(QFileInfo(blocked + QStringLiteral("/Quollin进销存.desktop")).isDir());
    }

    void readOnlyFolderGivesFalse()
    {
        if (::geteuid() == 0)
            QSKIP("permissions do not bind the superuser");
        TestEnvironment env;
        const QString folder = env.path(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(folder));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        const bool written = writeDesktopEntry(folder, QStringLiteral("/opt/q/quollin"), QString());
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!written);
    }

    void desktopFolderOnlyWhenItExists()
    {
        TestEnvironment env;
        const QByteArray home = qgetenv("HOME");
        const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(env.path(QString())));
        qunsetenv("XDG_CONFIG_HOME");
        const QString none = desktopFolder();
        QVERIFY(QDir().mkpath(env.path(QStringLiteral("Desktop"))));
        const QString made = desktopFolder();
        qputenv("HOME", home);
        if (!configHome.isEmpty())
            qputenv("XDG_CONFIG_HOME", configHome);

        QCOMPARE(none, QString());
        QCOMPARE(QFileInfo(made).canonicalFilePath(), QFileInfo(env.path(QStringLiteral("Desktop"))).canonicalFilePath());
    }

    // --- calculator and text editor -------------------------------------

    void firstCandidateFoundWins()
    {
        TestEnvironment env;
        const QString early = env.path(QStringLiteral("early"));
        const QString late = env.path(QStringLiteral("late"));
        QVERIFY(QDir().mkpath(early) && QDir().mkpath(late));
        writeFile(early + QStringLiteral("/plaincalc"), "not a program", QFile::ReadOwner | QFile::WriteOwner);
        writeFile(early + QStringLiteral("/thirdcalc"), "#!/bin/sh\n", executable);
        writeFile(late + QStringLiteral("/secondcalc"), "#!/bin/sh\n", executable);

        const QStringList folders{early, late};
        // Not executable is not installed; the list's order beats the folders'.
        QCOMPARE(ExternalTools::findProgram({QStringLiteral("plaincalc"), QStringLiteral("secondcalc"),
                                             QStringLiteral("thirdcalc")},
                                            folders),
                 late + QStringLiteral("/secondcalc"));
        QCOMPARE(ExternalTools::findProgram({QStringLiteral("nocalc"), QStringLiteral("thirdcalc")}, folders),
                 early + QStringLiteral("/thirdcalc"));
        // A name with a folder in it does not escape the search path.
        QCOMPARE(ExternalTools::findProgram({QStringLiteral("../late/secondcalc")}, {early}), QString());
        QCOMPARE(ExternalTools::findProgram({QStringLiteral("nocalc"), QString()}, folders), QString());
        QVERIFY(!ExternalTools::startFirst({QStringLiteral("nocalc"), QStringLiteral("plaincalc")}, folders));
    }

    void foundProgramIsStarted()
    {
        TestEnvironment env;
        const QString marker = env.path(QStringLiteral("started"));
        writeFile(env.path(QStringLiteral("fakecalc")),
                  "#!/bin/sh\ntouch '" + QFile::encodeName(marker) + "'\n", executable);
        QVERIFY(ExternalTools::startFirst({QStringLiteral("nocalc"), QStringLiteral("fakecalc")}, {env.path(QString())}));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(marker), 10000);
    }

    // --- help window and about box --------------------------------------

    void helpGuideIsLoadedAndChinese()
    {
        Tchhform help;
        QCOMPARE(help.windowTitle(), QStringLiteral("使用帮助"));
        const QString text = help.browser()->toPlainText();
        int chinese = 0;
        for (QChar c : text)
            chinese += c.unicode() >= 0x4e00 && c.unicode() <= 0x9fff;
        QVERIFY2(chinese > 500, qPrintable(QString::number(chinese)));
        for (const char *topic : {"582", "登录", "入库", "销售", "小票", "销售明细", "备份"})
            QVERIFY2(text.contains(QString::fromUtf8(topic)), topic);

        // Every jump of the table of contents has its section.
        QFile file(QStringLiteral(":/help/guide.html"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        auto it = QRegularExpression(QStringLiteral("href=\"#([^\"]+)\"")).globalMatch(html);
        int jumps = 0;
        while (it.hasNext()) {
            const QString anchor = it.next().captured(1);
            QVERIFY2(html.contains(QStringLiteral("name=\"%1\"").arg(anchor)), qPrintable(anchor));
            ++jumps;
        }
        QVERIFY(jumps >= 5);
    }

    void aboutBoxNamesEveryVersion()
    {
        QCoreApplication::setApplicationVersion(QStringLiteral("7.3.11"));
        TAboutBox about(Database::engineVersion());
        const QString text = about.versionText();
        QVERIFY(text.contains(QStringLiteral("7.3.11")));
        QVERIFY(text.contains(QString::fromLatin1(qVersion())));
        QVERIFY(text.contains(Database::engineVersion()));
        QVERIFY(about.isModal());

        const auto buttons = about.findChildren<QAbstractButton *>();
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons.first()->text(), QStringLiteral("确定"));
        QCOMPARE(buttons.first()->accessibleName(), QStringLiteral("确定"));
        about.open();
        buttons.first()->click();
        QCOMPARE(about.result(), int(QDialog::Accepted));
        QVERIFY(!about.isVisible());
    }
};

QTEST_MAIN(PeripheryTest)
#include "tst_periphery.moc"
