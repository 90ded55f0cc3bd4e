#include "app/ChineseLocale.h"
#include "support/ShopFixture.h"
#include "widgets/DataGrid.h"
#include "widgets/GridModel.h"
#include "widgets/GridOutput.h"
#include "widgets/MessageBoxPrompter.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace quollin;

namespace {

// Answers every dialog that comes up while `run` runs, in the order they
// come: `answer` is given each new modal dialog once.
void answeringDialogs(const std::function<void()> &run, const std::function<void(QWidget *)> &answer)
{
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        // Marked on the dialog itself: a later one may take a closed one's
        // address.
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal->property("answered").toBool())
            return;
        modal->setProperty("answered", true);
        // Answered from the event loop, not from within this poll: an answer
        // may bring up the next dialog, which the poll must see too.
        QMetaObject::invokeMethod(modal, [modal, &answer] { answer(modal); }, Qt::QueuedConnection);
    });
    poll.start();
    run();
}

QString acceptText(QFileDialog *dialog)
{
    auto *buttons = dialog->findChild<QDialogButtonBox *>();
    if (!buttons)
        return {};
    for (QAbstractButton *button : buttons->buttons()) {
        if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
            return button->text();
    }
    return {};
}

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        const QString catalogue = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_zh_CN.qm");
        if (!QFile::exists(catalogue))
            QSKIP("Qt's Chinese catalogue is not installed (qt6-translations-l10n)");
        // The step the program takes at start.
        QVERIFY(speakChinese(*qApp));
    }

    void fileDialogsSpeakChinese()
    {
        MessageBoxPrompter prompter;
        QStringList buttons;
        const auto readAndCancel = [&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            if (!dialog) {
                modal->close();
                return;
            }
            // Qt's own dialog (the one whose texts the catalogue holds).
            buttons << (dialog->testOption(QFileDialog::DontUseNativeDialog) ? acceptText(dialog) : QStringLiteral("native"));
            if (const QString folder = qEnvironmentVariable("QUOLLIN_SCREENSHOTS"); !folder.isEmpty())
                dialog->grab().save(QDir(folder).filePath(QStringLiteral("file-dialog-%1.png").arg(buttons.size())));
            dialog->reject();
        };
        answeringDialogs([&] { prompter.openFileName(QStringLiteral("打开备份文件"), QString(), QString()); },
                         readAndCancel);
        answeringDialogs(
            [&] {
                prompter.saveFileName(QStringLiteral("另存为PDF"), QString(), QString(),
                                      Prompter::Overwrite::DialogAsks);
            },
            readAndCancel);
        QCOMPARE(buttons.size(), 2);
        QVERIFY2(buttons[0].contains(QStringLiteral("打开")), qPrintable(buttons[0]));
        QVERIFY2(buttons[1].contains(QStringLiteral("保存")), qPrintable(buttons[1]));
    }

    // Choosing an existing file for the export brings one question, the
    // export's own: the dialog does not ask first.
    void exportAsksOnlyItsOwnOverwriteQuestion()
    {
        quollin::test::ShopFixture f(quollin::test::ShopFixture::Start::SignedInAsSuper);
        GridColumn name;
        name.field = QStringLiteral("a");
        name.title = QStringLiteral("名 称");
        name.kind = GridKind::Text;
        GridModel model({name});
        GridRows rows = model.emptyRows();
        rows.setText(rows.addRow(), 0, QStringLiteral("可乐"));
        model.setRows(std::move(rows));
        DataGrid grid;
        grid.setModel(&model);
        grid.show();
        MessageBoxPrompter prompter;
        GridOutput output(&grid, f.shop(), prompter, {QStringLiteral("商品报表"), QStringLiteral("商 品 报 表")}, nullptr);
        GridOutput::setFileOpener([](const QString &) {});

        const QString path = f.env.path(QStringLiteral("old.xlsx"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        const QString ownQuestion = QStringLiteral("已存在文件（old.xlsx），是否覆盖？");
        QStringList questions;
        QString written = QStringLiteral("not run");
        answeringDialogs([&] { written = output.exportToSpreadsheet(); },
                         [&](QWidget *modal) {
                             if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
                                 // Typed into the name box, as the operator would.
                                 auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                                 if (!name) {
                                     dialog->reject();
                                     return;
                                 }
                                 name->setText(path);
                                 static_cast<QDialog *>(dialog)->accept(); // as the save button does
                             } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                                 questions << box->text();
                                 // The export's own question is declined; any
                                 // other is let through, on to the export's.
                                 const QMessageBox::ButtonRole answer =
                                     box->text() == ownQuestion ? QMessageBox::NoRole : QMessageBox::YesRole;
                                 for (QAbstractButton *button : box->buttons()) {
                                     if (box->buttonRole(button) == answer) {
                                         button->click();
                                         break;
                                     }
                                 }
                             }
                         });
        QCOMPARE(questions, QStringList{ownQuestion});
        QCOMPARE(written, QString());
        QCOMPARE(quollin::test::fileBytes(path), QByteArray("old"));
    }
};

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
