#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace quollin {

class Shop;
class Prompter;

// "Excel导入数据库": loads the goods rows of a prepared worksheet into a
// shop file, by default the one in use.
class ExcelImportWindow : public QDialog {
    Q_OBJECT
public:
    ExcelImportWindow(Shop &shop, Prompter &prompter, QWidget *parent = nullptr);

    QLineEdit *workbookBox() const { return m_workbook; }
    QLineEdit *databaseBox() const { return m_database; }

public slots:
    void chooseWorkbook();
    void chooseDatabase();
    void runImport();

private:
    Shop &m_shop;
    Prompter &m_prompter;
    QLineEdit *m_workbook = nullptr;
    QLineEdit *m_database = nullptr;
};

} // namespace quollin
