#include "maintenance/Trepair.h"

#include "core/DatabaseLocation.h"
#include "core/EngineMessage.h"
#include "core/Prompter.h"
#include "session/Shop.h"
#include "maintenance/DatabaseBackup.h"
#include "widgets/NamedWidgets.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace quollin {

namespace {
constexpr int kWidth = 420;

bool onServer(Shop &shop) { return Database::isServerLocation(shop.databasePath()); }

QString restoreWarning(bool server)
{
    // On a server the restore goes into a new database: nothing is
    // overwritten, but the tills must be moved to it.
    return server ? QStringLiteral("警告：恢复数据库功能，只有当目前使用的数据库损坏或丢失时才使用。备份将装入服务器上"
                                   "一个新的空数据库，本程序随后改用它；其他电脑上的本程序也要改用它，否则会继续写入旧数据库。")
                  : QStringLiteral("警告：恢复数据库功能，只有当目前使用的数据库损坏或丢失时才使用，否则旧数据库会覆盖当前的最新数据库，造成信息丢失。");
}

// Qt presents a plain widget as an unnamed filler, which screen readers
// skip with everything in it; this window is a window, named by its title.
QAccessibleInterface *accessibleWindow(const QString &key, QObject *object)
{
    if (key == QLatin1String("quollin::Trepair") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}
} // namespace

Trepair::Trepair(Shop &shop, Prompter &prompter, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_shop(shop), m_prompter(prompter)
{
    static const bool presented = (QAccessible::installFactory(accessibleWindow), true);
    Q_UNUSED(presented);
    setObjectName(QStringLiteral("Trepair"));
    setWindowTitle(QStringLiteral("数据库备份"));

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 10);
    column->setSpacing(8);

    auto *header = new QLabel(QStringLiteral("数据库维护备份"), this);
    header->setObjectName(QStringLiteral("header"));
    header->setAlignment(Qt::AlignCenter);
    header->setMinimumHeight(44);
    header->setStyleSheet(QStringLiteral("QLabel { background: #2f5d8a; color: white; font-size: 16px; font-weight: bold; }"));
    column->addWidget(header);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(16, 0, 16, 0);
    body->setSpacing(8);
    column->addLayout(body);

    auto *folderLine = new QHBoxLayout;
    auto *caption = new QLabel(QStringLiteral("备份数据的目录:"), this);
    folderLine->addWidget(caption);
    // The clickable "默认" looks like a link and works like a button.
    auto *useDefault = NamedButton(QStringLiteral("默认"), "defaultButton", this);
    useDefault->setFlat(true);
    useDefault->setCursor(Qt::PointingHandCursor);
    useDefault->setStyleSheet(QStringLiteral("QPushButton { color: #0645ad; text-decoration: underline; border: none; padding: 0 4px; }"));
    folderLine->addWidget(useDefault);
    folderLine->addStretch(1);
    body->addLayout(folderLine);

    m_path = Named(new QLineEdit(this), QStringLiteral("备份数据的目录:"), "pathBox");
    caption->setBuddy(m_path);
    body->addWidget(m_path);

    m_backup = NamedButton(QStringLiteral("备份数据库"), "backupButton", this);
    body->addWidget(m_backup, 0, Qt::AlignHCenter);

    auto *note = new QLabel(QStringLiteral("温馨提示：定期备份数据，维护数据安全！"), this);
    note->setStyleSheet(QStringLiteral("QLabel { color: #2f5d8a; }"));
    body->addWidget(note);

    // The daily backups lie beside the shop's file, in a folder the file
    // manager hides: said here, so they can be found and copied away. A
    // read-only box, so a long path can be scrolled and copied.
    const QString dailyCaption = QStringLiteral("每日自动备份的文件夹:");
    auto *dailyLabel = new QLabel(dailyCaption, this);
    body->addWidget(dailyLabel);
    m_dailyFolder = Named(new QLineEdit(QDir::toNativeSeparators(m_shop.backups().dailyFolder()), this), dailyCaption,
                          "dailyFolderBox");
    m_dailyFolder->setReadOnly(true);
    m_dailyFolder->setFrame(false);
    m_dailyFolder->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    m_dailyFolder->setCursorPosition(0);
    dailyLabel->setBuddy(m_dailyFolder);
    body->addWidget(m_dailyFolder);

    // Restore: offered in the window, for the super administrator.
    m_restore = new QWidget(this);
    m_restore->setObjectName(QStringLiteral("restoreSection"));
    auto *restore = new QVBoxLayout(m_restore);
    restore->setContentsMargins(0, 8, 0, 0);
    auto *rule = new QFrame(m_restore);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    restore->addWidget(rule);
    m_warning = new QLabel(restoreWarning(onServer(m_shop)), m_restore);
    m_warning->setWordWrap(true);
    m_warning->setStyleSheet(QStringLiteral("QLabel { color: red; }"));
    restore->addWidget(m_warning);
    auto *restoreLine = new QHBoxLayout;
    // The newest daily backup is the likeliest one wanted after a mishap.
    const QString newestDaily = m_shop.backups().newestDailyBackup();
    m_restorePath = Named(new QLineEdit(newestDaily.isEmpty() ? m_shop.backups().suggestedTarget() : newestDaily, m_restore),
                          QStringLiteral("备份文件"), "restoreBox");
    restoreLine->addWidget(m_restorePath, 1);
    auto *open = NamedButton(QStringLiteral("打开备份文件"), "openBackupButton", m_restore);
    restoreLine->addWidget(open);
    restore->addLayout(restoreLine);
    // A server's restore goes into an empty database its administrator
    // made: its address is asked for here.
    m_targetLine = new QWidget(m_restore);
    auto *targetColumn = new QVBoxLayout(m_targetLine);
    targetColumn->setContentsMargins(0, 0, 0, 0);
    const QString targetCaption = QStringLiteral("恢复到服务器上的空数据库:");
    auto *targetLabel = new QLabel(targetCaption, m_targetLine);
    targetColumn->addWidget(targetLabel);
    m_target = Named(new QLineEdit(m_targetLine), targetCaption, "targetBox");
    m_target->setPlaceholderText(QStringLiteral("postgresql://用户@服务器/新数据库名"));
    targetLabel->setBuddy(m_target);
    targetColumn->addWidget(m_target);
    m_targetLine->setVisible(onServer(m_shop));
    restore->addWidget(m_targetLine);
    auto *restoreButton = NamedButton(QStringLiteral("恢复数据库"), "restoreButton", m_restore);
    restore->addWidget(restoreButton, 0, Qt::AlignHCenter);
    body->addWidget(m_restore);

    connect(useDefault, &QPushButton::clicked, this, &Trepair::useDefault);
    connect(m_backup, &QPushButton::clicked, this, &Trepair::backUp);
    connect(open, &QPushButton::clicked, this, &Trepair::chooseRestoreFile);
    connect(restoreButton, &QPushButton::clicked, this, &Trepair::restore);
    // Every change of the box is kept at once, whatever made it.
    connect(m_path, &QLineEdit::textChanged, this, [this](const QString &text) { m_shop.settings().setBackupPath(text); });

    setFixedWidth(kWidth);
    setFixedHeight(sizeHint().height());
}

void Trepair::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Nothing may write while the file is copied or replaced.
    m_shop.closeDatabase();
    const QString saved = m_shop.settings().backupPath();
    const QString path = saved.isEmpty() ? m_shop.backups().suggestedTarget() : saved;
    if (m_path->text() == path)
        m_shop.settings().setBackupPath(path);
    else
        m_path->setText(path);
    const bool mayRestore = m_shop.rights().mayRun(OperatorRestrictions::Command::RestoreDatabase);
    m_restore->setVisible(mayRestore);
    m_restore->setEnabled(mayRestore);
    // A restore on a server moves the session to another database.
    m_warning->setText(restoreWarning(onServer(m_shop)));
    m_targetLine->setVisible(onServer(m_shop));
    m_dailyFolder->setText(QDir::toNativeSeparators(m_shop.backups().dailyFolder()));
    m_dailyFolder->setCursorPosition(0);
    setFixedHeight(sizeHint().height());
}

void Trepair::closeEvent(QCloseEvent *event)
{
    try {
        m_shop.reopen();
    } catch (const DbError &e) {
        m_prompter.information(QStringLiteral("数据库无法打开：") + engineMessage(e));
    }
    emit closed();
    event->accept();
}

void Trepair::useDefault() { m_path->setText(m_shop.backups().suggestedTarget()); }

bool Trepair::progress(int done, int total)
{
    if (!m_progress) {
        m_progress = new QProgressDialog(QStringLiteral("正在复制数据库，请稍候......"), QStringLiteral("取消"), 0, 0, this);
        m_progress->setWindowTitle(windowTitle());
        m_progress->setWindowModality(Qt::WindowModal);
        m_progress->setMinimumDuration(300);
        m_progress->setAutoReset(false);
    }
    if (total < 0) {
        // A server's dump says nothing of how far it is: a busy bar.
        m_progress->setMaximum(0);
        m_progress->setValue(0);
    } else {
        m_progress->setMaximum(qMax(total, 1));
        m_progress->setValue(qMin(done, qMax(total, 1)));
    }
    QApplication::processEvents();
    return !m_progress->wasCanceled();
}

void Trepair::backUp()
{
    const QString target = m_path->text().trimmed();
    // The copy asks before replacing; a refused replacement is no success.
    if (QFileInfo::exists(target)
        && !m_prompter.askYesNo(QStringLiteral("已存在文件（%1），是否覆盖？").arg(QFileInfo(target).fileName()))) {
        m_prompter.information(QStringLiteral("数据库备份失败！"));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const BackupFile::Result result = target.isEmpty()
        ? BackupFile::Result::failure(QStringLiteral("没有备份文件的路径。"))
        : m_shop.backups().backup(target, [this](int done, int total) { return progress(done, total); });
    QApplication::restoreOverrideCursor();
    delete m_progress;
    m_progress = nullptr;
    if (result.ok)
        m_prompter.information(QStringLiteral("数据库备份成功！"));
    else
        m_prompter.information(QStringLiteral("数据库备份失败！\n") + result.reason);
}

void Trepair::chooseRestoreFile()
{
    const QString chosen = m_prompter.openFileName(QStringLiteral("打开备份文件"), m_restorePath->text(), QString());
    if (!chosen.isEmpty())
        m_restorePath->setText(chosen);
}

void Trepair::restore()
{
    const QString file = m_restorePath->text().trimmed();
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        m_prompter.information(QStringLiteral("备份数据库没找到!"));
        return;
    }
    const bool server = onServer(m_shop);
    const QString target = m_target->text().trimmed();
    if (server && target.isEmpty()) {
        m_prompter.information(QStringLiteral("请填写要恢复到的服务器上的空数据库的地址。"));
        return;
    }
    const QString question =
        server ? QStringLiteral("“%1”将恢复到数据库 %2（它必须是空的），本程序随后改用这个数据库。确定要恢复吗？")
                     .arg(QFileInfo(file).fileName(), DatabaseLocation::shown(target))
               : QStringLiteral("恢复后，正在使用的数据库将被“%1”替换（原数据库另存一份在它旁边）。确定要恢复吗？")
                     .arg(QFileInfo(file).fileName());
    if (!m_prompter.confirm(question))
        return;
    DatabaseBackup::Restore result;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        const auto report = [this](int done, int total) { return progress(done, total); };
        result = server ? m_shop.backups().restoreInto(target, file, report) : m_shop.backups().restore(file, report);
    } catch (const DbError &e) {
        result.reason = engineMessage(e);
    }
    QApplication::restoreOverrideCursor();
    delete m_progress;
    m_progress = nullptr;
    switch (result.outcome) {
    case DatabaseBackup::RestoreOutcome::Restored:
        if (server)
            m_prompter.information(QStringLiteral("数据库恢复成功！\n恢复了%1。\n本程序现在使用数据库 %2。"
                                                  "以后启动本程序（其他电脑上的也一样）时，请用 --database 指定这个地址。")
                                       .arg(result.rows, DatabaseLocation::shown(target)));
        else
            m_prompter.information(QStringLiteral("数据库恢复成功！"));
        break;
    case DatabaseBackup::RestoreOutcome::NotFound:
        m_prompter.information(QStringLiteral("备份数据库没找到!"));
        break;
    case DatabaseBackup::RestoreOutcome::Refused:
        m_prompter.information(QStringLiteral("数据库恢复失败！\n") + result.reason);
        break;
    }
}

} // namespace quollin
