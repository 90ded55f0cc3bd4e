#include "maintenance/ExcelImportWindow.h"

#include "core/EngineMessage.h"
#include "core/Prompter.h"
#include "session/Shop.h"
#include "maintenance/BackupFile.h"
#include "maintenance/GoodsImport.h"
#include "widgets/NamedWidgets.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace quollin {

namespace {

constexpr int kClientWidth = 414;
constexpr int kClientHeight = 161;

// The picture on the start button: a small sheet with a green band and
// the button's words.
QIcon importPicture()
{
    QPixmap picture(28, 28);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x1d, 0x6f, 0x42), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 2.5, 21, 23));
    p.fillRect(QRectF(4, 3, 20, 7), QColor(0x1d, 0x6f, 0x42));
    p.setPen(QColor(0x1d, 0x6f, 0x42));
    for (int y = 14; y <= 22; y += 4)
        p.drawLine(QPointF(7, y), QPointF(21, y));
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(QPointF(11, 4.5), QPointF(17, 8.5));
    p.drawLine(QPointF(17, 4.5), QPointF(11, 8.5));
    return QIcon(picture);
}

} // namespace

ExcelImportWindow::ExcelImportWindow(Shop &shop, Prompter &prompter, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::CustomizeWindowHint
                          | Qt::WindowCloseButtonHint),
      m_shop(shop), m_prompter(prompter)
{
    setObjectName(QStringLiteral("ExcelImportWindow"));
    setWindowTitle(QStringLiteral("Excel导入数据库"));
    setModal(true);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(10, 8, 10, 8);
    column->setSpacing(6);

    auto *warning = new QLabel(QStringLiteral("警告：导入前请您务必先备份数据库"), this);
    warning->setObjectName(QStringLiteral("warning"));
    warning->setStyleSheet(QStringLiteral("QLabel { color: red; font-weight: bold; }"));
    column->addWidget(warning);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    auto *workbookCaption = new QLabel(QStringLiteral("Execl路径："), this);
    m_workbook = Named(new QLineEdit(this), QStringLiteral("Execl路径："), "workbookBox");
    workbookCaption->setBuddy(m_workbook);
    auto *openWorkbook = NamedButton(QStringLiteral("打开Excel文件"), "openWorkbookButton", this);
    grid->addWidget(workbookCaption, 0, 0);
    grid->addWidget(m_workbook, 0, 1);
    grid->addWidget(openWorkbook, 0, 2);

    auto *databaseCaption = new QLabel(QStringLiteral("数据库路径："), this);
    m_database = Named(new QLineEdit(shop.databasePath(), this), QStringLiteral("数据库路径："), "databaseBox");
    databaseCaption->setBuddy(m_database);
    auto *openDatabase = NamedButton(QStringLiteral("选择数据库"), "openDatabaseButton", this);
    grid->addWidget(databaseCaption, 1, 0);
    grid->addWidget(m_database, 1, 1);
    grid->addWidget(openDatabase, 1, 2);
    column->addLayout(grid);

    auto *start = NamedButton(QStringLiteral("Excel自动导入"), "importButton", this);
    start->setIcon(importPicture());
    start->setIconSize(QSize(28, 28));
    start->setMinimumHeight(38);
    start->setStyleSheet(QStringLiteral("QPushButton { color: #1d6f42; font-weight: bold; padding: 2px 14px; }"));
    column->addWidget(start, 0, Qt::AlignHCenter);

    connect(openWorkbook, &QPushButton::clicked, this, &ExcelImportWindow::chooseWorkbook);
    connect(openDatabase, &QPushButton::clicked, this, &ExcelImportWindow::chooseDatabase);
    connect(start, &QPushButton::clicked, this, &ExcelImportWindow::runImport);

    setFixedSize(qMax(kClientWidth, sizeHint().width()), qMax(kClientHeight, sizeHint().height()));
}

void ExcelImportWindow::chooseWorkbook()
{
    const QString chosen = m_prompter.openFileName(QStringLiteral("请选择相应的Excel文件"), m_workbook->text(),
                                                   QStringLiteral("Excel(*.xls *.xlsx)"));
    if (!chosen.isEmpty())
        m_workbook->setText(chosen);
}

void ExcelImportWindow::chooseDatabase()
{
    const QString chosen = m_prompter.openFileName(QStringLiteral("请选择相应的MDB文件"), m_database->text(),
                                                   QStringLiteral("数据库 (*.db)"));
    if (chosen.isEmpty())
        return;
    // Only a file that is a shop's own database can take the rows.
    if (!BackupFile::verify(chosen).ok) {
        m_prompter.titledWarning(QStringLiteral("警告"), GoodsImport::connectionFailedMessage());
        return;
    }
    m_database->setText(chosen);
}

void ExcelImportWindow::runImport()
{
    GoodsImport::Outcome outcome;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        outcome = m_shop.goodsImport().run(m_workbook->text(), m_database->text());
    } catch (const DbError &e) {
        outcome.message = engineMessage(e);
    }
    QApplication::restoreOverrideCursor();
    m_prompter.titledWarning(QStringLiteral("警告"), outcome.message);
}

} // namespace quollin
