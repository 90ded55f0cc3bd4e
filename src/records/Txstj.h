#pragma once

#include "goods/GoodsQuery.h"
#include "records/SaleLineEditPanel.h"
#include "records/SaleLineQuery.h"
#include "records/SalesStatistics.h"

#include <QDialog>

#include <functional>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;

namespace quollin {

class BarChart;
class ColumnMemory;
class DataGrid;
class GridModel;
class GridOutput;
class Prompter;
class Shop;
class SaleLinePages;
class SlipComposer;
struct PrintTexts;
struct RecordedSale;

// The sales records window "销售明细": the sale lines with their search
// area, returns and slip-number search, the edit panel that corrects or
// deletes a line, and the tab "销售统计" with the month and day charts. It
// lives for the whole run and is shown modally; every showing reads this
// month's lines and the profit charts afresh. It follows the shop by itself:
// a confirmed sale puts its slip number in the slip-number box.
class Txstj : public QDialog {
    Q_OBJECT
public:
    Txstj(Shop &shop, Prompter &prompter, QWidget *parent = nullptr);
    ~Txstj() override;

    DataGrid *grid() const { return m_grid; }
    GridModel *model() const { return m_model; }
    ColumnMemory *columnMemory() const { return m_columns; }
    SaleLineEditPanel *editPanel() const { return m_panel; }
    QTabWidget *tabs() const { return m_tabs; }
    QMenu *contextMenu() const { return m_menu; }
    // "导出Excel" and "打 印" of the records grid.
    GridOutput *output() const { return m_output; }
    BarChart *monthChart() const { return m_monthChart; }
    BarChart *dayChart() const { return m_dayChart; }
    SlipComposer *composer() const { return m_composer; }
    // The shop's name and address line the composer prints; not shown.
    QLineEdit *companyBox() const { return m_company; }
    QLineEdit *addressBox() const { return m_address; }
    QAction *composerAction() const { return m_composerAction; }
    // The rows shown, in the order shown, and the line each one is.
    int rowCount() const;
    qint64 lineId(int row) const;

public slots:
    void query();          // "查 询" of the search area
    void thisMonth();      // "本 月"
    void allLines();       // "全部记录"
    void today();          // "当 天"
    void clearConditions(); // "清空条件"
    void queryReturns();   // "查 询" of "退货"
    void allReturns();     // "全部退货"
    void querySlip();      // "查 询" of "销售单打印"
    void previewSlip();    // "销售单预览"
    void composeCurrent(); // "POS小票打印" of the grid's menu
    void openForModify();  // "修 改 ", double click
    void openForDelete();  // "删 除", Del
    void showAllColumns(); // "全部显示"
    void profitByMonth();
    void amountByMonth();
    void profitByDay();
    void amountByDay();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // What the grid shows: a sale is appended in place to this month's list.
    enum class Shown { Nothing, Month, Other };
    void buildBrowser(QWidget *tab);
    void buildStatistics(QWidget *tab);
    void buildMenu();
    void applyRestrictions();
    void saleRecorded(const RecordedSale &sale);
    void opening();
    // Reads rows into the grid through the store; the panel hides first.
    // With lists, the category list is refilled first.
    void load(const std::function<void(GridRows &)> &read, bool toLastRow, bool refillLists, Shown shown);
    void load(const BoundQuery &query, bool toLastRow, bool refillLists, Shown shown = Shown::Other);
    // Shows the lines with these IDs, read a page at a time as shown.
    void loadLines(const std::function<std::vector<qint64>()> &ids, bool toLastRow, bool refillLists);
    void showRows(const std::function<void()> &fill, bool toLastRow, bool refillLists, Shown shown);
    bool appendSale(qint64 lineId);
    void rehideColumns();
    SaleLineSearch searchFromBoxes() const;
    void titleClicked(int column);
    void rowClicked(int row);
    void openPanel(SaleLineEditPanel::Mode mode);
    void saveCorrection();
    void deleteLine();
    void readShopLines();
    PrintTexts printTexts() const;
    void monthChartOf(StatValue value);
    void dayChartOf(StatValue value);
    void profitCharts();

    Shop &m_shop;
    Prompter &m_prompter;
    QTabWidget *m_tabs = nullptr;
    DataGrid *m_grid = nullptr;
    GridModel *m_model = nullptr;
    SaleLinePages *m_pages = nullptr;
    Shown m_shown = Shown::Nothing;
    SaleSort m_sort;
    ColumnMemory *m_columns = nullptr;
    SaleLineEditPanel *m_panel = nullptr;
    QMenu *m_menu = nullptr;
    GridOutput *m_output = nullptr;
    QList<QAction *> m_guarded;
    QAction *m_modifyAction = nullptr;
    QAction *m_deleteAction = nullptr;
    QAction *m_showAllAction = nullptr;
    QAction *m_composerAction = nullptr;
    SlipComposer *m_composer = nullptr;
    QLineEdit *m_company = nullptr;
    QLineEdit *m_address = nullptr;

    QComboBox *m_category = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_spec = nullptr;
    QLineEdit *m_code = nullptr;
    QLineEdit *m_customer = nullptr;
    QLineEdit *m_remark = nullptr;
    QCheckBox *m_dateTick = nullptr;
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    QLineEdit *m_slip = nullptr;

    BarChart *m_monthChart = nullptr;
    BarChart *m_dayChart = nullptr;
    QComboBox *m_monthYear = nullptr;
    QComboBox *m_dayYear = nullptr;
    QComboBox *m_dayMonth = nullptr;
    QList<QPushButton *> m_chartButtons;
    // The profit charts are to be counted when their tab is next shown.
    bool m_chartsDue = false;
};

} // namespace quollin
