#pragma once

#include "core/TextPool.h"
#include "records/SaleLineSums.h"
#include "widgets/GridModel.h"

#include <QObject>

#include <list>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace quollin {

class SaleLineStore;
class ShopContext;

// A long list of sale lines for the records window: the lines' IDs in the
// order shown, their cells read a page at a time as the grid asks for them
// (the pages last asked for are kept), and the footer sums counted apart on a
// connection of their own, so that a million lines show at once and take the
// memory of the pages in view.
class SaleLinePages : public QObject, public GridSource {
    Q_OBJECT
public:
    SaleLinePages(ShopContext &shop, SaleLineStore &store, std::vector<GridColumn> columns,
                  QObject *parent = nullptr);
    ~SaleLinePages() override;

    // Shows these lines in this order; their sums are counted from now on.
    void setLines(std::vector<qint64> ids);
    // Nothing shown, nothing held; a count still running is abandoned.
    void clear();
    // As clear(), and the sums' connection is closed (the window closes, or
    // the file does).
    void close();
    int count() const { return int(m_ids.size()); }
    // The line changed in the file: its page is read again and the sums are
    // counted again.
    void lineChanged(qint64 id);

    bool isNull(int row, int column) const override;
    double number(int row, int column) const override;
    const QString &text(int row, int column) const override;
    const std::vector<QString> &texts(int column) const override;
    quint32 textIndex(int row, int column) const override;
    qint64 id(int row) const override { return m_ids[size_t(row)]; }
    bool countsSums() const override { return true; }
    std::optional<double> countedSum(int column) const override;
    void settle() const override;
    void prepareColumn(int column) const override;

signals:
    // The sums of the lines shown are counted.
    void sumsCounted();

private:
    static constexpr int kPageRows = 256;
    static constexpr size_t kPagesKept = 48;
    struct Page {
        std::vector<std::vector<double>> numbers; // by column; empty for text columns
        std::vector<std::vector<QString>> texts;  // by column; empty for number columns
    };
    // A column read for every line, for sorting.
    struct WholeColumn {
        std::vector<double> numbers;
        TextPool pool;
        std::vector<quint32> cells;
    };
    const Page &page(int row) const;
    std::vector<qint64> sortedIds() const;
    void countSums();
    void takeSums();

    ShopContext &m_shop;
    SaleLineStore &m_store;
    std::vector<GridColumn> m_columns;
    std::vector<qint64> m_ids;
    mutable std::unordered_map<int, Page> m_pages;
    mutable std::list<int> m_recent; // page numbers, most recent first
    mutable std::unordered_map<int, WholeColumn> m_whole;
    std::unique_ptr<SaleLineSums> m_sums;
    std::vector<std::optional<double>> m_counted; // by column
    // What is counted, and the column each sum goes to.
    std::vector<SumField> m_sumFields;
    std::vector<size_t> m_sumColumns;
    static const std::vector<QString> s_noTexts;
};

} // namespace quollin
