#pragma once

#include "core/SortMark.h"
#include "widgets/GridLayoutIni.h"
#include "widgets/GridModel.h"

#include <QFrame>
#include <QHeaderView>
#include <QTableView>

#include <vector>

namespace quollin {


// Column titles in two lines: a group title over the neighbouring columns
// that share it, the column's own title below, and the column's sort mark.
// A column without a group has its title over both lines.
class GroupHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit GroupHeader(QWidget *parent = nullptr);

    void setSortMark(int logical, SortMark mark);
    SortMark sortMark(int logical) const;
    void clearSortMarks();

    // The visual range [first, last] of visible columns that share the
    // column's group title; first = last for a column without a group.
    std::pair<int, int> groupSpan(int logical) const;
    bool hasGroups() const;

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logical) const override;

private:
    QString group(int logical) const;
    std::vector<SortMark> m_marks;
};

// The line of sums and fixed texts under the rows, kept under the columns.
class GridFooter : public QWidget {
    Q_OBJECT
public:
    GridFooter(QTableView *view, QWidget *parent);
    // What the footer shows under the column ("" for nothing).
    QString text(int column) const;
    // The column's titles, group first, as a screen reader names its cell:
    // "进货 数量".
    QString columnCaption(int column) const;
    // The visible columns with something in the footer, in screen order.
    std::vector<int> shownColumns() const;
    // The column's cell in footer coordinates, lined up with the viewport's
    // columns as they are scrolled.
    QRect cellRect(int column) const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTableView *m_view;
};

// The grid every window uses: read-only rows selected whole, two-level
// titles, a footer line, columns fitted to the width and a saved layout.
// What a title click does is the owner's choice (titleClicked).
class DataGrid : public QFrame {
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    // The model is not owned; it must outlive the grid or be set again.
    void setModel(GridModel *model);
    GridModel *model() const { return m_model; }
    QTableView *view() const { return m_view; }
    GroupHeader *header() const { return m_header; }
    GridFooter *footer() const { return m_footer; }

    // Name of the grid for screen readers and tests.
    void setGridName(const QString &name);

    int column(const QString &field) const;
    void setColumnVisible(const QString &field, bool visible);
    void hideColumn(const QString &field) { setColumnVisible(field, false); }
    void showColumn(const QString &field) { setColumnVisible(field, true); }
    bool isColumnVisible(const QString &field) const;
    // Width including hidden columns (the width they get back when shown).
    int columnWidth(int column) const;

    // On: the visible columns share the grid's width in their proportions.
    void setFitToWidth(bool fit);
    bool fitToWidth() const { return m_fit; }
    void fitColumns();
    // Widths from the rows held now: text columns first get the room their
    // longest text and title need (at most a third of the width each),
    // number and date columns at least theirs so that no number is cut, and
    // what is left is shared in proportion to those needs. Does nothing once
    // the widths were set by hand (a dragged border or a restored layout),
    // or when the grid is not fitted to its width.
    void fitColumnsToContents();
    // The same from sample texts instead of the rows: samples[column] holds
    // texts that column must show (for instance the widest met so far), so
    // a long list is never measured row by row.
    void fitColumnsToSamples(const std::vector<QStringList> &samples);

    void setSortMark(int column, SortMark mark);
    SortMark sortMark(int column) const;
    void clearSortMarks();

    // 0: the height that fits the font.
    void setRowHeight(int pixels);

    // -1 when there are no rows.
    int currentRow() const;
    void setCurrentRow(int row);

    GridLayoutIni::GridLayout layout() const;
    void applyLayout(const GridLayoutIni::GridLayout &layout);
    bool saveLayout(const QString &iniPath, const QString &section) const;
    // A missing file or section leaves the grid as it is.
    bool restoreLayout(const QString &iniPath, const QString &section);

signals:
    void titleClicked(int column);
    void rowClicked(int row);
    void rowDoubleClicked(int row);
    void currentRowChanged(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fitColumnsBy(const std::vector<QStringList> *samples);
    void onSectionResized(int logical, int oldSize, int newSize);
    void updateFooter();
    void applyRowHeight();

    GridModel *m_model = nullptr;
    QTableView *m_view;
    GroupHeader *m_header;
    GridFooter *m_footer;
    bool m_fit = true;
    bool m_fitting = false;
    bool m_widthsByHand = false;
    int m_rowHeight = 0;
    int m_rowLines = 0;
    // Per column: widths of hidden columns, and the layout values the grid
    // keeps for the file without using them itself.
    std::vector<int> m_hiddenWidths;
    std::vector<int> m_sortIndex;
    std::vector<int> m_dropDownRows;
    std::vector<int> m_dropDownWidth;
    std::vector<QMetaObject::Connection> m_modelConnections;
};

} // namespace quollin
