#include "app/ChineseLocale.h"
#include "app/DesktopEntry.h"
#include "app/StartupOptions.h"
#include "app/TMainForm.h"
#include "core/DatabaseLocation.h"
#include "core/EngineMessage.h"
#include "core/SettingsStore.h"
#include "session/Shop.h"
#include "core/ShopDatabase.h"
#include "maintenance/MoveToServer.h"
#include "widgets/MessageBoxPrompter.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>

#include <cstdio>

#include <unistd.h>

using namespace quollin;

namespace {

bool hasDisplay()
{
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
           || qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

// The faces the windows ask for by their Windows names.
void registerFontSubstitutions()
{
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC"));
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitution(QStringLiteral("微软雅黑"), QStringLiteral("Noto Sans CJK SC"));
}

void reportFatal(const QString &text, bool onScreen)
{
    std::fprintf(stderr, "quollin: %s\n", text.toLocal8Bit().constData());
    if (onScreen)
        MessageBoxPrompter().warning(text);
}

// The file goes onto the server without a window; the report goes to
// standard output, the count of rows copied to a terminal watching.
int moveToServer(const StartupOptions &options)
{
    MoveToServer::Progress progress;
    const bool watched = ::isatty(STDERR_FILENO) == 1;
    if (watched) {
        progress = [](qint64 copied, qint64 total) {
            std::fprintf(stderr, "\r已复制 %lld / %lld 行", static_cast<long long>(copied), static_cast<long long>(total));
            std::fflush(stderr);
            return true;
        };
    }
    const MoveToServer::Report report = MoveToServer::run(options.databasePath, options.serverUri, progress);
    if (watched)
        std::fputs("\n", stderr);
    std::fputs((report.text() + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
    return report.ok ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName(QStringLiteral("brennick"));
    QCoreApplication::setApplicationName(QStringLiteral("jxc"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUOLLIN_VERSION));

    const bool onScreen = hasDisplay();
    std::unique_ptr<QCoreApplication> app;
    if (onScreen)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    // The taskbar names the program after its desktop entry ("Quollin进销存").
    // No application display name: Qt would append it to every window title.
    QGuiApplication::setDesktopFileName(QStringLiteral("quollin"));
    if (!speakChinese(*app) && onScreen)
        std::fprintf(stderr, "quollin: Qt 的中文翻译没有安装（qt6-translations-l10n），Qt 自带的对话框将显示英文。\n");

    const StartupOptions options = StartupOptions::parse(app->arguments());
    if (!options.error.isEmpty()) {
        reportFatal(options.error, onScreen);
        return 2;
    }
    // Before the file is opened as the shop: that writes to it.
    if (options.moveToServer)
        return moveToServer(options);

    const QString shownPath = DatabaseLocation::shown(options.databasePath);
    if (!options.mayCreateDatabase && !Database::isServerLocation(options.databasePath)
        && !QFileInfo::exists(options.databasePath)) {
        reportFatal(QStringLiteral("数据库文件不存在：%1\n如果要在这里建立新的数据库，请加上 --new 启动程序。").arg(shownPath),
                    onScreen);
        return 1;
    }
    std::unique_ptr<Database> db;
    try {
        db = ShopDatabase::open(options.databasePath, options.mayCreateDatabase ? ShopDatabase::IfMissing::Create
                                                                                : ShopDatabase::IfMissing::Refuse);
    } catch (const DbError &e) {
        const QString reason = engineMessage(e);
        reportFatal(reason.contains(shownPath) ? reason : QStringLiteral("无法打开数据库 %1：%2").arg(shownPath, reason),
                    onScreen);
        return 1;
    }
    if (!onScreen) {
        reportFatal(QStringLiteral("没有可用的显示器（DISPLAY 未设置）。"), false);
        return 1;
    }

    registerFontSubstitutions();
    QFont font = QApplication::font();
    font.setFamilies({font.family(), QStringLiteral("Noto Sans CJK SC")});
    QApplication::setFont(font);

    SettingsStore settings;
    Shop shop(std::move(db), settings);
    MessageBoxPrompter prompter;
    TMainForm window(shop, prompter);
    QObject::connect(&window, &TMainForm::signInAbandoned, app.get(), &QCoreApplication::quit, Qt::QueuedConnection);
    window.setOnSignInShown([] { refreshDesktopEntry(); });
    window.show();
    return app->exec();
}
