#pragma once

#include "goods/GoodsQuery.h"
#include "goods/GoodsRecord.h"
#include "goods/GoodsStore.h"
#include "widgets/GridModel.h"

#include <QWidget>

#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace quollin {

class DataGrid;
class GoodsStore;
class Prompter;
class Shop;
struct ChangeSet;
struct RecordedSale;

// The goods list of the main window: the grid over table data and the search
// area " 快速拼音查询" below it, with the alarm level and the zero-stock switch.
// The statements and rules are GoodsQuery's and GoodsStore's; this widget
// only reads the boxes and shows the rows. It follows the shop's changes by
// itself: a stock-in or a deletion, a sale, a reopened file.
class GoodsList : public QObject {
    Q_OBJECT
public:
    GoodsList(Shop &shop, Prompter &prompter, QWidget *parent);

    DataGrid *grid() const { return m_grid; }
    QGroupBox *searchArea() const { return m_search; }
    QWidget *alarmArea() const { return m_alarmArea; }

    ZeroStock zeroStock() const { return m_zeroStock; }
    // Sets the switch as sign-in reads it, without storing it again.
    void setZeroStock(ZeroStock zeroStock);
    // The alarm level as stored, into its box (when the window shows).
    void restoreSettings();
    // The rows shown, in the order shown.
    int rowCount() const;
    qint64 goodsId(int row) const;
    // The row as stored now (read again by its ID).
    GoodsRecord record(int row) const;
    // The ID of the selected row, 0 when none.
    qint64 currentGoodsId() const;
    // Drops a deleted row from the rows shown, without reading again.
    void dropRow(qint64 goodsId);
    // Reads one changed row again: it keeps its place with its new values, or
    // leaves the list when the list's conditions no longer take it. The
    // cursor stays where it is.
    void refreshRow(qint64 goodsId);
    // The display row of a goods row; -1 when it is not listed.
    int rowOf(qint64 goodsId) const;
    // Puts the level read at show into the alarm box.
    void setAlarmLevelText(const QString &text);

    // The grid's columns, in the order shown.
    static std::vector<GridColumn> columns();
    // Reads the rows of a goods statement into cells of the grid's columns,
    // by field name, with their IDs: what "全部记录" and "查询" show. The
    // fields the operator may not see stay empty: they never reach the grid.
    static void readRows(GoodsStore &store, const BoundQuery &query, GridRows &rows, std::vector<qint64> &ids);

    QComboBox *categoryBox() const { return m_category; }
    QLineEdit *nameBox() const { return m_name; }
    QLineEdit *specificationBox() const { return m_specification; }
    QLineEdit *codeBox() const { return m_code; }
    QLineEdit *remarksBox() const { return m_remarks; }
    QComboBox *supplierBox() const { return m_supplier; }
    QCheckBox *dateTick() const { return m_dateTick; }
    QLineEdit *alarmBox() const { return m_alarm; }
    QCheckBox *zeroStockTick() const { return m_zeroTick; }

signals:
    // Before the rows change or move: the panels that work on a row hide.
    void rowsChanging();
    // After "全部记录" refilled the drop-down lists.
    void dropDownsRefilled(const GoodsDropDowns &lists);
    void rowClicked(qint64 goodsId);
    void rowDoubleClicked(qint64 goodsId);

public slots:
    void refreshAll();   // "全部记录"
    void query();        // "查询"
    void clearConditions(); // "清空条件"

private slots:
    void titleClicked(int column);
    void zeroStockToggled(bool hidden);
    void alarmEdited(const QString &text);

private:
    void signedIn();
    void shopChanged(const ChangeSet &changes);
    void saleRecorded(const RecordedSale &sale);
    void show(const BoundQuery &query, bool toLastRow);
    void buildSearchArea(QWidget *parent);
    GoodsSearch searchFromBoxes() const;
    // The drop-down lists as the distinct texts of the rows held.
    GoodsDropDowns dropDownsFromRows() const;

    Shop &m_shop;
    GoodsStore &m_store;
    Prompter &m_prompter;
    ZeroStock m_zeroStock = ZeroStock::Shown;

    DataGrid *m_grid;
    GridModel *m_model;
    std::vector<qint64> m_ids; // in load order; the model may show the rows sorted
    BoundQuery m_lastQuery;

    QGroupBox *m_search = nullptr;
    QComboBox *m_category = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_specification = nullptr;
    QLineEdit *m_code = nullptr;
    QLineEdit *m_remarks = nullptr;
    QComboBox *m_supplier = nullptr;
    QCheckBox *m_dateTick = nullptr;
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    QWidget *m_alarmArea = nullptr;
    QLineEdit *m_alarm = nullptr;
    QCheckBox *m_zeroTick = nullptr;
};

} // namespace quollin
