#pragma once

#include "goods/GoodsCatalogue.h"
#include "goods/GoodsQuery.h"
#include "goods/GoodsRecord.h"
#include "goods/GoodsStore.h"
#include "widgets/GridModel.h"

#include <QWidget>

#include <memory>
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
// The rows are a GoodsCatalogue's, read once at sign-in and kept equal to the
// file; "全部记录", the live search, sorting and the drop-down lists answer
// from them and the grid shows them without a copy. The list follows the
// shop's changes by itself: a stock-in or a deletion, a sale, a reopened file.
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
    // One row the catalogue read again: it keeps its place with its new
    // values, or leaves the list when the list's conditions no longer take
    // it. The cursor stays where it is.
    void refreshRow(qint64 goodsId);
    // Whether the first read of the table is still under way.
    bool isReading() const { return m_reading; }
    const GoodsCatalogue &catalogue() const { return m_catalogue; }
    // The display row of a goods row; -1 when it is not listed.
    int rowOf(qint64 goodsId) const;
    // Puts the level read at show into the alarm box.
    void setAlarmLevelText(const QString &text);

    // The grid's columns, in the order shown.
    static std::vector<GridColumn> columns();
    // Rows read per turn of the event loop while the table is read at
    // sign-in; a table this small is read at once.
    static constexpr int kSliceRows = 4000;

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
    // While the table is read at sign-in: a line for the status bar, empty
    // when done.
    void readingMessage(const QString &text);
    // A scanned code found one row to sell; the list shows that row alone,
    // as its current row.
    void scannedRow(qint64 goodsId);
    // What a scan found when it opened nothing: a line for the status bar
    // (a till works on without a box to close).
    void scanMessage(const QString &text);

public slots:
    void refreshAll();   // "全部记录"
    void query();        // "查询"
    void clearConditions(); // "清空条件"
    // Enter in the code box: the code as a scan. One row to sell is
    // announced, several are listed for the operator to pick, none is told;
    // the code box keeps the focus with its text selected, so the next scan
    // replaces it.
    void scanCode();
    // The focus into the code box, its text selected: the next scan.
    void readyForScan();
    // Reads the whole table again, the first slice at once and the rest
    // between events (sign-in, a reopened file).
    void startReading();

private slots:
    void titleClicked(int column);
    void zeroStockToggled(bool hidden);
    void alarmEdited(const QString &text);

private:
    // The held rows, read at first use; false, and the operator told, when
    // the file cannot be read (the list emptied too when asked).
    bool rowsHeld(bool clearOnFailure);
    void signedIn();
    void shopChanged(const ChangeSet &changes);
    void readSlice();
    void stopReading();
    void show(std::vector<int> rows, bool toLastRow);
    // The widest texts met so far, column by column: the grid's widths
    // follow them instead of measuring every row.
    void sampleWidths(const std::vector<int> &rows);
    void widenFor(int slot);
    QString cellText(int slot, int column) const;
    void buildSearchArea(QWidget *parent);
    GoodsSearch searchFromBoxes() const;
    Shop &m_shop;
    GoodsStore &m_store;
    Prompter &m_prompter;
    ZeroStock m_zeroStock = ZeroStock::Shown;

    DataGrid *m_grid;
    GridModel *m_model;
    GoodsCatalogue m_catalogue;
    std::unique_ptr<GridSource> m_source;
    // What the rows shown answer, to judge one changed row by: "全部记录"
    // or the search below.
    bool m_showingSearch = false;
    GoodsSearch m_lastSearch;
    bool m_reading = false;
    std::vector<QStringList> m_widest;

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
