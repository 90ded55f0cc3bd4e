#pragma once

#include "core/TextCollation.h"
#include "core/TextPool.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

namespace quollin {

// How a grid column shows its values.
enum class GridKind {
    Text,     // left-aligned text
    Amount,   // "#0.##", right-aligned
    Quantity, // "#0.###", right-aligned
    Date,     // yyyy-mm-dd text, centred
    Plain,    // a number in the general format, right-aligned
};

// What the footer line shows under a column.
enum class FooterKind { None, Sum, Text };

struct GridColumn {
    QString field;
    QString title = {};
    // Neighbouring columns with the same group share one upper title.
    QString group = {};
    GridKind kind = GridKind::Text;
    FooterKind footer = FooterKind::None;
    QString footerText = {};
    // Empty: follow the kind (numbers right, dates centred, text left).
    Qt::Alignment alignment = {};
    // Empty: sums right, static texts centred.
    Qt::Alignment footerAlignment = {};
    // Starting width; when the grid fits its width, the columns keep these
    // proportions.
    int width = 64;
};

bool isNumeric(GridKind kind);

// The rows of one result, held column by column: a double per cell for the
// number kinds (NaN for no value), an index into the column's table of
// distinct texts for the others. Filled once by the caller and handed to
// GridModel::setRows.
class GridRows {
public:
    explicit GridRows(const std::vector<GridColumn> &columns);

    void reserve(int rows);
    // Appends a row with every cell empty and returns its index. id is the
    // stored row's ID (0 for rows that have none): views address rows by it.
    int addRow(qint64 id = 0);
    // Numbers take any numeric value or text; text that does not read as a
    // number leaves the cell empty. Dates take QDate or text.
    void set(int row, int column, const QVariant &value);
    void setNumber(int row, int column, double value);
    void setText(int row, int column, const QString &value);

    // Loading many rows: each column's value appended in turn (numbers to
    // number columns, texts to the others), then endRow(), which returns the
    // row's index. Cheaper than addRow() and set() by half.
    void appendNumber(int column, double value) { m_numbers[size_t(column)].push_back(value); }
    void appendEmptyNumber(int column);
    // UTF-8 as the engine gives it; a null view is an empty cell. Equal texts
    // of a column are held once.
    void appendText(int column, QByteArrayView utf8) { m_cells[size_t(column)].push_back(m_texts[size_t(column)].add(utf8)); }
    int endRow(qint64 id = 0);
    // After the last row: frees what finding equal texts needed.
    void finishLoad();

    // The distinct texts of a text column in the text order, as the engine's
    // distinct lists give them (DistinctValues): empty cells give one null
    // entry first, as the engine's NULL does, and an empty text one of its
    // own; texts that differ only in case are one entry, the least by code point.
    QStringList distinctTexts(int column) const;

    int rowCount() const { return m_rows; }
    int columnCount() const { return int(m_numeric.size()); }
    bool isNumericColumn(int column) const { return m_numeric[size_t(column)]; }
    // The record field a column shows: readers fill the cells by it.
    const QString &columnField(int column) const { return m_fields[size_t(column)]; }
    bool isNull(int row, int column) const;
    double number(int row, int column) const;
    QString text(int row, int column) const;
    QVariant value(int row, int column) const;
    qint64 id(int row) const { return m_ids[size_t(row)]; }
    // Takes out one stored row; the rows after it move up by one.
    void removeRow(int row);

private:
    friend class GridModel;
    const QString &textAt(int row, int column) const
    {
        return m_texts[size_t(column)].text(m_cells[size_t(column)][size_t(row)]);
    }

    std::vector<bool> m_numeric;
    std::vector<QString> m_fields;
    // Only the vectors matching the column's kind are filled.
    std::vector<std::vector<double>> m_numbers;
    std::vector<TextPool> m_texts;
    std::vector<std::vector<quint32>> m_cells;
    std::vector<qint64> m_ids;
    int m_rows = 0;
};

// Rows held elsewhere (a catalogue kept equal to the file) that a GridModel
// shows through a list of row numbers instead of a copy of their cells. Row
// numbers are the holder's; columns are the grid's.
class GridSource {
public:
    virtual ~GridSource() = default;
    virtual bool isNull(int row, int column) const = 0;
    // NaN for an empty cell of a number column.
    virtual double number(int row, int column) const = 0;
    // The text of a text column; the null string for an empty cell.
    virtual const QString &text(int row, int column) const = 0;
    // A text column's distinct texts and which of them a cell holds.
    virtual const std::vector<QString> &texts(int column) const = 0;
    virtual quint32 textIndex(int row, int column) const = 0;
    virtual qint64 id(int row) const = 0;

    // A source that reads its rows as they are shown counts its footer sums
    // itself, apart from the rows shown; nullopt while still counting.
    virtual bool countsSums() const { return false; }
    virtual std::optional<double> countedSum(int column) const
    {
        Q_UNUSED(column);
        return std::nullopt;
    }
    // Waits until whatever the source counts apart is done.
    virtual void settle() const {}
    // Every row's cell of the column is about to be asked for (a sort): a
    // source that reads rows as shown reads the whole column at once.
    virtual void prepareColumn(int column) const { Q_UNUSED(column); }
};

// The model behind every grid: read-only rows with formatted display, a
// per-row text colour and in-memory sorting that keeps equal rows in the
// order they were loaded. Row numbers in the public calls are display rows.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // headerData roles for the two-level header.
    static constexpr int GroupRole = Qt::UserRole + 1;
    // data role giving the stored value (double, QString or null).
    static constexpr int ValueRole = Qt::UserRole + 2;

    using RowPredicate = std::function<bool(const GridModel &model, int row)>;
    using TextOrder = std::function<int(const QString &a, const QString &b)>;

    explicit GridModel(std::vector<GridColumn> columns, QObject *parent = nullptr);

    const std::vector<GridColumn> &columns() const { return m_columns; }
    const GridColumn &column(int column) const { return m_columns[size_t(column)]; }
    // -1 for an unknown field.
    int columnOf(const QString &field) const;

    GridRows emptyRows() const { return GridRows(m_columns); }
    // Replaces every row in one reset; the rows return to load order.
    void setRows(GridRows rows);
    void clear();
    // Shows the source's rows in this order (the load order for sorting),
    // in one reset; the source must outlive the rows shown. setRows() or
    // clear() end it.
    void showSource(const GridSource *source, std::vector<int> rows);
    const GridSource *source() const { return m_source; }
    // After the source changed a row shown: sums and views follow.
    void sourceRowChanged(int row);
    // The source counted its sums: the footer follows.
    void sourceSumsCounted();
    // Waits for sums the source still counts, for a printout or an export.
    void settle();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    bool isNull(int row, int column) const;
    // 0 for an empty cell.
    double number(int row, int column) const;
    QVariant value(int row, int column) const;
    QVariant value(int row, const QString &field) const;
    // The text the cell shows.
    QString displayText(int row, int column) const;
    // Changes one cell, as when a row is updated in place.
    void setValue(int row, int column, const QVariant &value);
    // Changes every cell of a row at once (one value a column, in column order).
    void setRowValues(int row, const QVariantList &values);
    // Adds one row after the others (one value a column, in column order),
    // as when a row was added to the file; the sums follow.
    void appendRow(const QVariantList &values, qint64 id = 0);
    // The fixed footer text under a column, for texts that follow the data.
    void setFooterText(int column, const QString &text);
    // Appends rows after those held: last in load order and in the display,
    // whatever order the display was sorted in.
    void appendRows(const GridRows &rows);
    // Takes out one display row, as when it was deleted from the file: the
    // others keep their order, shown and loaded, and the sums follow.
    void removeDisplayRow(int row);
    // The display row of a row by its place in load order; -1 when none.
    int displayRowOf(int loadIndex) const;

    // See GridRows::distinctTexts; over the rows held now.
    QStringList distinctTexts(int column) const;

    // Sum of a number column over all rows; empty cells count as nothing.
    // Amount columns are summed in whole fen (Money), each cell rounded as
    // it shows. Sums a source still counts are waited for.
    double sum(int column);
    // The text under a column in the footer line ("" for nothing): its sum
    // in the column's format, or its fixed text. The screen, the printout and
    // the export all show this.
    QString footerText(int column) const;

    // Rows for which the predicate holds are drawn in the given colour.
    void setRowHighlight(RowPredicate predicate, QColor colour = Qt::red);
    bool isHighlighted(int row) const;
    // Tells the views to ask again, after the predicate's inputs changed.
    void refreshHighlight();

    // Text comparison for sorting; the program's text order unless set.
    void setTextOrder(TextOrder order) { m_textOrder = std::move(order); }
    static int plainOrder(const QString &a, const QString &b) { return QString::compare(a, b); }
    static int collatedOrder(const QString &a, const QString &b) { return TextCollation::compare(a, b); }

    // Reorders the rows held. Empty cells come first ascending, last
    // descending; equal rows stay in load order.
    void sortBy(int column, Qt::SortOrder order);
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // Back to the order the rows were loaded in.
    void restoreLoadOrder();
    // Where a display row stood when it was loaded.
    int loadIndex(int row) const { return m_order[size_t(row)]; }
    // The stored row's ID of a display row, as it was loaded.
    qint64 rowId(int row) const { return storedId(m_order[size_t(row)]); }
    // The display row holding the stored row with this ID; -1 when none.
    int displayRowOfId(qint64 id) const;

private:
    // A stored row's cells, from the rows held or from the source.
    bool storedIsNull(int stored, int column) const
    {
        return m_source ? m_source->isNull(stored, column) : m_rows.isNull(stored, column);
    }
    double storedNumber(int stored, int column) const; // 0 for an empty cell
    qint64 storedId(int stored) const { return m_source ? m_source->id(stored) : m_rows.id(stored); }
    void recomputeSums();
    // Each text's place in the text order, for sorting by a text column.
    std::vector<quint32> rankTexts(const std::vector<QString> &texts) const;
    void sortSource(int column, bool descending);
    void reorder(std::vector<int> order);

    std::vector<GridColumn> m_columns;
    GridRows m_rows;
    std::vector<int> m_order; // display row -> stored row
    const GridSource *m_source = nullptr;
    std::vector<int> m_sourceRows; // the source's rows in load order
    std::vector<double> m_sums;
    bool m_sumsPending = false; // the source still counts them
    RowPredicate m_highlight;
    QColor m_highlightColour = Qt::red;
    TextOrder m_textOrder;
};

} // namespace quollin
