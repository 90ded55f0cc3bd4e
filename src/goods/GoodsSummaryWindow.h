#pragma once

#include "widgets/GridModel.h"

#include <QDialog>

#include <vector>

class QMenu;

namespace quollin {

class DataGrid;
class GoodsSummary;
class GridOutput;
class Prompter;
class Shop;
struct ChangeSet;

// "汇总统计": the goods summary, one line per article with its summed
// quantities and amounts. Read afresh each time it is shown and emptied when
// closed; while it is open it follows every committed change of the goods
// (a sale included), so what it shows is never older than the file.
class GoodsSummaryWindow : public QDialog {
    Q_OBJECT
public:
    GoodsSummaryWindow(Shop &shop, Prompter &prompter, QWidget *parent = nullptr);

    DataGrid *grid() const { return m_grid; }
    GridModel *model() const { return m_model; }
    // The grid's context menu ("导出Excel", "打 印") and the commands in it.
    QMenu *contextMenu() const { return m_menu; }
    GridOutput *output() const { return m_output; }

    static std::vector<GridColumn> columns();

    // Reads the lines again. A first read puts the cursor on the last line;
    // a later one keeps the sort and the article the cursor stood on.
    void reload();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void read();
    void titleClicked(int column);
    // A committed change: the lines it touched in place where the change
    // names them, everything read again where it cannot.
    void changed(const ChangeSet &changes);
    // The article's line of this goods row read again and put in place;
    // false when the line held is not found (read everything then).
    bool updateArticleOf(qint64 goodsId);
    // The four article fields of a line, as the lines are matched by them.
    QStringList articleKey(int row) const;
    int rowOfArticle(const QStringList &key) const;

    Shop &m_shop;
    GoodsSummary &m_summary;
    Prompter &m_prompter;
    DataGrid *m_grid;
    GridModel *m_model;
    QMenu *m_menu;
    GridOutput *m_output;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace quollin
