#include "core/InputChecks.h"
#include "core/ShopDatabase.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

using namespace quollin;
using quollin::test::ScriptedPrompter;
using quollin::test::TestEnvironment;

class InputChecksTest : public QObject {
    Q_OBJECT

private slots:
    void requireTextWarnsFocusesAndKeepsBlanks()
    {
        QWidget window;
        auto *other = new QLineEdit(&window);
        auto *box = new QLineEdit(&window);
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(other);
        layout->addWidget(box);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        other->setFocus();

        ScriptedPrompter prompter;
        box->setText(QStringLiteral(" \t "));
        QVERIFY(!RequireText(box, QStringLiteral("商品名称必须输入！"), prompter));
        QCOMPARE(prompter.shown.size(), 1);
        QCOMPARE(prompter.shown.first().kind, ScriptedPrompter::Kind::Warning);
        QCOMPARE(prompter.lastText(), QStringLiteral("商品名称必须输入！"));
        QCOMPARE(box->text(), QStringLiteral(" \t "));
        QTRY_VERIFY(box->hasFocus());

        box->setText(QStringLiteral(" 可乐 "));
        QVERIFY(RequireText(box, QStringLiteral("x"), prompter));
        QCOMPARE(prompter.shown.size(), 1);
        QCOMPARE(TrimmedInput(QStringLiteral("\x01 a b\n")), QStringLiteral("a b"));
    }

    void requireChoiceAndFillDistinct()
    {
        TestEnvironment env;
        auto db = ShopDatabase::open(env.databasePath());
        db->execScript(QStringLiteral("INSERT INTO data (g) VALUES ('乙商行'); INSERT INTO data (g) VALUES (NULL);"
                                      "INSERT INTO data (g) VALUES ('甲商行'); INSERT INTO data (g) VALUES ('乙商行');"));
        QComboBox box;
        box.setEditable(true);
        box.addItem(QStringLiteral("stale"));
        box.setEditText(QStringLiteral("typed"));
        FillDistinct(*db, QStringLiteral("g"), QStringLiteral("data"), &box);
        QCOMPARE(box.count(), 3);
        QCOMPARE(box.itemText(0), QString());
        QVERIFY(box.findText(QStringLiteral("stale")) < 0);
        QCOMPARE(box.currentText(), QString());

        ScriptedPrompter prompter;
        QVERIFY(!RequireChoice(&box, QStringLiteral("必须选择用户！"), prompter));
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("必须选择用户！")});
        box.setCurrentIndex(1);
        QVERIFY(RequireChoice(&box, QStringLiteral("必须选择用户！"), prompter));
    }
};

QTEST_MAIN(InputChecksTest)
#include "tst_inputchecks.moc"
