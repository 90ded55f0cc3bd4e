#include "app/DesktopEntry.h"
#include "app/StartupOptions.h"
#include "app/TMainForm.h"
#include "core/SettingsStore.h"
#include "core/Shop.h"
#include "core/ShopDatabase.h"
#include "widgets/MessageBoxPrompter.h"

#include <QApplication>
#include <QFont>

#include <cstdio>

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
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Quollin进销存"));

    const StartupOptions options = StartupOptions::parse(app->arguments());
    if (!options.error.isEmpty()) {
        reportFatal(options.error, onScreen);
        return 2;
    }

    std::unique_ptr<Database> db;
    try {
        db = ShopDatabase::open(options.databasePath);
    } catch (const DbError &e) {
        reportFatal(QStringLiteral("无法打开数据库 %1：%2").arg(options.databasePath, e.message()), onScreen);
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
