#include "app/TMainForm.h"
#include "core/Database.h"
#include "core/ShopDatabase.h"
#include "goods/GoodsList.h"
#include "maintenance/BackupFile.h"
#include "maintenance/DatabaseBackup.h"
#include "maintenance/ExcelImportWindow.h"
#include "maintenance/GoodsImport.h"
#include "maintenance/MaintenanceCommands.h"
#include "maintenance/Trepair.h"
#include "SheetWriter.h"
#include "support/ShopFixture.h"
#include "widgets/MessageBoxPrompter.h"

#include <QAccessible>
#include <QAction>
#include <QMessageBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace quollin;
using namespace quollin::test;

namespace {

template <class W = QPushButton> W *control(QWidget *window, const QString &caption)
{
    for (W *w : window->findChildren<W *>()) {
        if (w->accessibleName() == caption)
            return w;
    }
    return nullptr;
}

GoodsRecord article(const QString &name, const QString &code)
{
    GoodsRecord r;
    r.name = name;
    r.code = code;
    r.quantity = 5;
    r.stockQuantity = 5;
    r.day1 = QStringLiteral("2024-05-01");
    return r;
}

qint64 goodsIn(const QString &path)
{
    auto db = Database::open(path, QByteArray(ShopDatabase::kKey));
    Statement s = db->prepare(QStringLiteral("SELECT count(*) FROM data"));
    return s.next() ? s.integer(0) : -1;
}

// The backup window as the main window opens it: made afresh, freed on close.
struct BackupWindow {
    std::unique_ptr<Trepair> window;
    explicit BackupWindow(ShopFixture &f) : window(std::make_unique<Trepair>(f.shop(), f.prompter)) { window->show(); }
    ~BackupWindow()
    {
        if (window->isVisible())
            window->close();
    }
    void click(const QString &caption) { control(window.get(), caption)->click(); }
};

} // namespace

class TestMaintenanceWindows : public QObject {
    Q_OBJECT
private slots:
    void backupPathIsKeptOnEveryChange();
    void backupAsksBeforeReplacingAndReportsTheResult();
    void defaultBackupWorksInAFreshHome();
    void backupWindowOffersTheDailyBackups();
    void restoreFromTheWindow();
    void restoreIsOfferedToTheSuperAdministratorOnly();
    void mainWindowHidesWhileTheBackupWindowIsOpen();
    void restoreStopsTheDailyBackupFirst();
    void backupWindowBoxesNeverEndTheProgram();
    void importWindowFillsItsBoxesAndImports();
    void screenshots();
};

void TestMaintenanceWindows::backupPathIsKeptOnEveryChange()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    const QString typed = f.env.path(QStringLiteral("my backups/shop.db"));
    {
        BackupWindow w(f);
        QCOMPARE(w.window->windowTitle(), QStringLiteral("数据库备份"));
        // The file stays closed while the window is open.
        QVERIFY(!f.shop().isOpen());
        QCOMPARE(w.window->pathBox()->text(), DatabaseBackup::defaultTarget());
        QCOMPARE(f.shop().settings().backupPath(), DatabaseBackup::defaultTarget());
        w.window->pathBox()->clear();
        QTest::keyClicks(w.window->pathBox(), typed);
        QCOMPARE(f.shop().settings().backupPath(), typed);
        w.window->close();
        QVERIFY(f.shop().isOpen());
    }
    {
        BackupWindow w(f);
        QCOMPARE(w.window->pathBox()->text(), typed);
        // An emptied box is stored empty and offers the default next time.
        w.window->pathBox()->clear();
        QCOMPARE(f.shop().settings().backupPath(), QString());
    }
    {
        BackupWindow w(f);
        QCOMPARE(w.window->pathBox()->text(), DatabaseBackup::defaultTarget());
        w.window->pathBox()->setText(typed);
        w.click(QStringLiteral("默认"));
        QCOMPARE(w.window->pathBox()->text(), DatabaseBackup::defaultTarget());
        QCOMPARE(f.shop().settings().backupPath(), DatabaseBackup::defaultTarget());
    }
}

void TestMaintenanceWindows::backupAsksBeforeReplacingAndReportsTheResult()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    f.seedGoods(article(QStringLiteral("可乐"), QStringLiteral("A1")));
    const QString target = f.env.path(QStringLiteral("beifen.db"));
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("yesterday");
    }
    BackupWindow w(f);
    w.window->pathBox()->setText(target);
    w.click(QStringLiteral("备份数据库")); // answered with the default, No
    QCOMPARE(f.prompter.texts(), (QStringList{QStringLiteral("已存在文件（beifen.db），是否覆盖？"), QStringLiteral("数据库备份失败！")}));
    QCOMPARE(fileBytes(target), QByteArray("yesterday"));

    f.prompter.clear();
    f.prompter.queueAnswer(true);
    w.click(QStringLiteral("备份数据库"));
    QCOMPARE(f.prompter.lastText(), QStringLiteral("数据库备份成功！"));
    QVERIFY(BackupFile::verify(target).ok);
    QCOMPARE(goodsIn(target), 1);

    f.prompter.clear();
    w.window->pathBox()->setText(f.env.path(QStringLiteral("no such folder/beifen.db")));
    w.click(QStringLiteral("备份数据库"));
    QCOMPARE(f.prompter.shown.size(), 1);
    QVERIFY(f.prompter.lastText().startsWith(QStringLiteral("数据库备份失败！")));
}

void TestMaintenanceWindows::defaultBackupWorksInAFreshHome()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    f.seedGoods(article(QStringLiteral("可乐"), QStringLiteral("A1")));
    // A home as a new user has it: no documents folder, no folder settings.
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("XDG_CONFIG_HOME");
    const auto restoreHome = qScopeGuard([&] {
        qputenv("HOME", oldHome);
        if (!oldConfig.isNull())
            qputenv("XDG_CONFIG_HOME", oldConfig);
    });
    const QString target = DatabaseBackup::defaultTarget();
    QVERIFY2(target.startsWith(home.path()) && !QFileInfo::exists(QFileInfo(target).absolutePath()), qPrintable(target));

    BackupWindow w(f);
    w.click(QStringLiteral("默认"));
    w.click(QStringLiteral("备份数据库"));
    QCOMPARE(f.prompter.texts(), QStringList{QStringLiteral("数据库备份成功！")});
    QCOMPARE(goodsIn(target), 1);
}

void TestMaintenanceWindows::backupWindowOffersTheDailyBackups()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    const QString folder = QDir::toNativeSeparators(f.shop().backups().dailyFolder());
    {
        BackupWindow w(f);
        QCOMPARE(w.window->dailyFolderBox()->text(), folder);
        QVERIFY(w.window->dailyFolderBox()->isReadOnly());
        QCOMPARE(w.window->dailyFolderBox()->accessibleName(), QStringLiteral("每日自动备份的文件夹:"));
        // None made yet: the backup path's default.
        QCOMPARE(w.window->restoreBox()->text(), DatabaseBackup::defaultTarget());
    }
    // Made out of the days' order: the newest is the latest day, not the
    // latest made.
    for (const QDate day : {QDate(2026, 3, 9), QDate(2026, 3, 11), QDate(2026, 3, 10)})
        QCOMPARE(f.shop().backups().ensureDailyBackup(day), QString());
    BackupWindow w(f);
    QCOMPARE(w.window->restoreBox()->text(), DatabaseBackup::todaysDailyBackup(f.shop().databasePath(), QDate(2026, 3, 11)));
}

void TestMaintenanceWindows::restoreFromTheWindow()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    for (int i = 0; i < 300; ++i)
        f.seedGoods(article(QStringLiteral("商品%1").arg(i), QStringLiteral("C%1").arg(i)));
    const QString good = f.env.path(QStringLiteral("good.db"));
    QVERIFY(f.shop().backups().backup(good).ok);
    const QString damaged = f.env.path(QStringLiteral("damaged.db"));
    QVERIFY(QFile::copy(good, damaged));
    {
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(file.size() / 2);
        file.write(QByteArray(4096, '\x33'));
    }
    f.seedGoods(article(QStringLiteral("新的"), QStringLiteral("N")));

    {
        BackupWindow w(f);
        QVERIFY(w.window->restoreSection()->isVisible());
        w.window->restoreBox()->setText(f.env.path(QStringLiteral("nowhere.db")));
        w.click(QStringLiteral("恢复数据库"));
        QCOMPARE(f.prompter.lastText(), QStringLiteral("备份数据库没找到!"));

        f.prompter.queueFileName(damaged);
        w.click(QStringLiteral("打开备份文件"));
        QCOMPARE(w.window->restoreBox()->text(), damaged);
        f.prompter.queueAnswer(true);
        w.click(QStringLiteral("恢复数据库"));
        QVERIFY2(f.prompter.lastText().startsWith(QStringLiteral("数据库恢复失败！\n")), qPrintable(f.prompter.lastText()));
    }
    QCOMPARE(f.count(QStringLiteral("data")), 301);

    {
        BackupWindow w(f);
        w.window->restoreBox()->setText(good);
        // Declining the question changes nothing.
        w.click(QStringLiteral("恢复数据库"));
        QCOMPARE(f.prompter.shown.last().kind, ScriptedPrompter::Kind::Confirm);
        f.prompter.queueAnswer(true);
        w.click(QStringLiteral("恢复数据库"));
        QCOMPARE(f.prompter.lastText(), QStringLiteral("数据库恢复成功！"));
        QVERIFY(!f.shop().isOpen());
    }
    QVERIFY(f.shop().isOpen());
    QCOMPARE(f.count(QStringLiteral("data")), 300);
}

void TestMaintenanceWindows::restoreIsOfferedToTheSuperAdministratorOnly()
{
    ShopFixture f;
    f.addOperator(QStringLiteral("小王"));
    QVERIFY(f.signIn(QStringLiteral("小王")));
    BackupWindow w(f);
    QVERIFY(!w.window->restoreSection()->isVisible());
    QVERIFY(!w.window->restoreSection()->isEnabled());
    // The backup itself is everyone's.
    QVERIFY(control(w.window.get(), QStringLiteral("备份数据库"))->isVisible());
}

void TestMaintenanceWindows::mainWindowHidesWhileTheBackupWindowIsOpen()
{
    ShopFixture f;
    f.seedGoods(article(QStringLiteral("可乐"), QStringLiteral("A1")));
    f.seedGoods(article(QStringLiteral("雪碧"), QStringLiteral("B2")));
    TMainForm form(f.shop(), f.prompter);
    // Today's automatic backup is made after the sign-in, beside the work.
    QSignalSpy daily(form.maintenance(), &MaintenanceCommands::dailyBackupFinished);
    QVERIFY(f.signIn());
    QVERIFY(form.maintenance()->dailyBackupRunning() || daily.count() == 1);
    QVERIFY(daily.count() == 1 || daily.wait(30000));
    QCOMPARE(daily.at(0).at(0).toString(), QString());
    const QString copy = QDir(f.shop().backups().dailyFolder())
                             .filePath(QStringLiteral("data-%1.db").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
    QCOMPARE(goodsIn(copy), 2);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.goodsList()->codeBox()->setText(QStringLiteral("A1"));
    form.goodsList()->query();
    QCOMPARE(form.goodsList()->rowCount(), 1);

    auto *button = control<QToolButton>(&form, QStringLiteral("数据备份"));
    QVERIFY(button);
    button->click();
    QPointer<Trepair> window = form.maintenance()->backupWindow();
    QVERIFY(window && window->isVisible());
    QVERIFY(!form.isVisible());
    QVERIFY(!f.shop().isOpen());
    // A second press brings the same window forward.
    form.maintenance()->openBackupWindow();
    QCOMPARE(form.maintenance()->backupWindow().data(), window.data());

    window->close();
    QVERIFY(QTest::qWaitFor([&] { return window.isNull(); }));
    QVERIFY(form.isVisible());
    QVERIFY(f.shop().isOpen());
    QCOMPARE(form.goodsList()->rowCount(), 2);

    // The import sits in the menu "设 置" with the commands that change goods.
    auto *menu = form.findChild<QMenu *>(QStringLiteral("settingsMenu"));
    QVERIFY(menu);
    bool found = false;
    for (QAction *action : menu->actions())
        found = found || (action->text() == QStringLiteral("Excel导入") && action->isVisible());
    QVERIFY(found);
    form.close();
}

void TestMaintenanceWindows::restoreStopsTheDailyBackupFirst()
{
    ShopFixture f;
    for (int i = 0; i < 300; ++i)
        f.seedGoods(article(QStringLiteral("商品%1").arg(i), QStringLiteral("C%1").arg(i)));
    const QString backup = f.env.path(QStringLiteral("beifen.db"));
    QVERIFY(f.shop().backups().backup(backup).ok);
    f.seedGoods(article(QStringLiteral("新的"), QStringLiteral("N")));
    TMainForm form(f.shop(), f.prompter);
    QVERIFY(f.signIn());
    QVERIFY(form.maintenance()->dailyBackupRunning());

    // The window is opened while today's backup is still being made: the
    // backup's own connection must not be left on the file.
    form.maintenance()->openBackupWindow();
    QPointer<Trepair> window = form.maintenance()->backupWindow();
    QVERIFY(window);
    QVERIFY(!form.maintenance()->dailyBackupRunning());
    window->restoreBox()->setText(backup);
    f.prompter.queueAnswer(true);
    control(window.data(), QStringLiteral("恢复数据库"))->click();
    QCOMPARE(f.prompter.lastText(), QStringLiteral("数据库恢复成功！"));
    window->close();
    QVERIFY(QTest::qWaitFor([&] { return window.isNull(); }));
    QCOMPARE(f.count(QStringLiteral("data")), 300);
    QTest::qWait(50);
    QVERIFY2(!f.prompter.texts().join(QLatin1Char('|')).contains(QStringLiteral("自动备份")),
             qPrintable(f.prompter.texts().join(QLatin1Char('|'))));
}

void TestMaintenanceWindows::backupWindowBoxesNeverEndTheProgram()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    MessageBoxPrompter boxes;
    QWidget mainWindow;
    Trepair window(f.shop(), boxes, &mainWindow);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // A screen reader finds a window by its title, and its content.
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(&window);
    QVERIFY(reader);
    QVERIFY(reader->role() == QAccessible::Window || reader->role() == QAccessible::Dialog);
    QCOMPARE(reader->text(QAccessible::Name), QStringLiteral("数据库备份"));
    QStringList read;
    for (int i = 0; i < reader->childCount(); ++i)
        read << reader->child(i)->text(QAccessible::Name);
    QVERIFY2(read.contains(QStringLiteral("数据库维护备份")) && read.contains(QStringLiteral("备份数据库")),
             qPrintable(read.join(QLatin1Char('|'))));

    // Two boxes in a row, the first closed before the second opens, with the
    // main window hidden as it is while this window is open.
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    QList<QWidget *> parents;
    QList<Qt::TextFormat> formats;
    std::function<void()> answer = [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(10, answer);
            return;
        }
        parents << box->parentWidget();
        formats << box->textFormat();
        box->close();
    };
    window.restoreBox()->setText(f.env.path(QStringLiteral("<b>nowhere</b>.db")));
    for (int i = 0; i < 2; ++i) {
        QTimer::singleShot(10, answer);
        control(&window, QStringLiteral("恢复数据库"))->click();
    }
    QCOMPARE(parents, (QList<QWidget *>{&window, &window}));
    QCOMPARE(formats, (QList<Qt::TextFormat>{Qt::PlainText, Qt::PlainText}));
    QTest::qWait(20);
    QCOMPARE(lastClosed.count(), 0);
    window.close();
}

void TestMaintenanceWindows::importWindowFillsItsBoxesAndImports()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    QVERIFY(QDir(f.env.path(QString())).mkpath(QStringLiteral("Excel 表")));
    const QString sheet = f.env.path(QStringLiteral("Excel 表/进 货.xls"));
    QCOMPARE(writeWorkbook(sheet, {{QStringLiteral("morvel"),
                                    {goodsTitles(), goodsRow(QStringLiteral("可乐"), QString(), 2, 3, QStringLiteral("2024-03-01")),
                                     goodsRow(QStringLiteral("雪碧"), QString(), 2, 3, QStringLiteral("2024-03-01")),
                                     goodsRow(QStringLiteral("芬达"), QString(), 2, 3, QStringLiteral("2024-03-01"))}}}),
             QString());
    const QString foreign = f.env.path(QStringLiteral("notes.db"));
    {
        QFile t(foreign);
        QVERIFY(t.open(QIODevice::WriteOnly));
        t.write("not a database");
    }

    ExcelImportWindow window(f.shop(), f.prompter);
    window.show();
    QCOMPARE(window.windowTitle(), QStringLiteral("Excel导入数据库"));
    QCOMPARE(window.databaseBox()->text(), f.env.databasePath());
    QVERIFY(window.findChild<QLabel *>(QStringLiteral("warning"))->text() == QStringLiteral("警告：导入前请您务必先备份数据库"));

    f.prompter.queueFileName(foreign);
    control(&window, QStringLiteral("选择数据库"))->click();
    QCOMPARE(f.prompter.shown.first().text, QStringLiteral("请选择相应的MDB文件"));
    QCOMPARE(f.prompter.lastText(), GoodsImport::connectionFailedMessage());
    QCOMPARE(window.databaseBox()->text(), f.env.databasePath());

    f.prompter.clear();
    control(&window, QStringLiteral("Excel自动导入"))->click();
    QCOMPARE(f.prompter.lastText(), QStringLiteral("请正确选择相关路径！"));
    QCOMPARE(f.prompter.shown.last().title, QStringLiteral("警告"));

    f.prompter.queueFileName(sheet);
    control(&window, QStringLiteral("打开Excel文件"))->click();
    QCOMPARE(f.prompter.shown.last().text, QStringLiteral("请选择相应的Excel文件"));
    QCOMPARE(window.workbookBox()->text(), sheet);
    control(&window, QStringLiteral("Excel自动导入"))->click();
    QCOMPARE(f.prompter.lastText(), QStringLiteral("批量EXCEL导入成功！请退出在主界面中点全部记录查看"));
    QCOMPARE(f.count(QStringLiteral("data")), 3);
}

void TestMaintenanceWindows::screenshots()
{
    const QString folder = qEnvironmentVariable("QUOLLIN_SCREENSHOTS");
    if (folder.isEmpty())
        QSKIP("QUOLLIN_SCREENSHOTS names the folder for the pictures");
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    QCOMPARE(f.shop().backups().ensureDailyBackup(QDate(2026, 3, 11)), QString());
    {
        BackupWindow w(f);
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        QVERIFY(w.window->grab().save(QDir(folder).filePath(QStringLiteral("backup-window.png"))));
    }
    ExcelImportWindow window(f.shop(), f.prompter);
    window.workbookBox()->setText(QStringLiteral("/home/shop/进货 2024.xls"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.grab().save(QDir(folder).filePath(QStringLiteral("import-window.png"))));
}

QTEST_MAIN(TestMaintenanceWindows)
#include "tst_maintenancewindows.moc"
