#pragma once

#include "core/ChangeSet.h"
#include "core/TextPool.h"
#include "goods/GoodsQuery.h"
#include "goods/GoodsStore.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace quollin {

class ShopContext;

// The goods table held in memory, column by column, so that the goods list
// answers "全部记录", every keystroke of its search and its drop-down lists
// without asking the engine. One read of the table fills it (in slices, so a
// large file can be read between events); afterwards it is kept equal to the
// file by the announced changes: only the rows named as added or changed are
// read again, removed ones are dropped, and everything is read again when a
// change names no rows or the file was reopened.
//
// Rows live in slots in ID order; a removed row leaves a dead slot behind,
// so slot numbers stay valid for whoever shows them until the next full read.
// The answers are the ones the engine gives for GoodsQuery's statements.
class GoodsCatalogue {
public:
    enum Field {
        // Texts.
        Name, Specification, Code, Category, NameInitials, SpecInitials, Supplier, Remarks, StockInDate,
        // Numbers.
        PurchasePrice, Quantity, PurchaseAmount, SalePrice, SoldQuantity, SalesAmount, StockQuantity, StockValue,
        FieldCount
    };
    static constexpr int kTextFields = PurchasePrice;
    static bool isNumeric(int field) { return field >= kTextFields; }
    // The stored column of a field, and the field of a stored column (-1).
    static const char *columnOf(int field);
    static int fieldOf(const QString &column);

    explicit GoodsCatalogue(ShopContext &shop);

    // Forgets every row and starts a new read of the table, leaving out the
    // values of hiddenFields (stored column names): they stay empty.
    void beginLoad(const QStringList &hiddenFields = {});
    // Reads up to `rows` more rows; true once the whole table is held.
    // Throws DbError.
    bool loadSlice(int rows);
    // The whole table at once.
    void load(const QStringList &hiddenFields = {});
    bool isLoaded() const { return m_loaded; }
    // Whether another connection committed to the file since the read began:
    // such commits are announced to nobody here.
    bool writtenElsewhere();

    // Follows one committed change of table data. Returns the slots whose
    // rows were read again or added; a change that names no rows (or rows
    // out of ID order) reads everything, and then `reloaded` is set.
    struct Applied {
        std::vector<int> changed;
        bool reloaded = false;
    };
    Applied apply(const RowChanges &changes);

    // Slots held, dead ones included.
    int slotCount() const { return int(m_ids.size()); }
    bool isLive(int slot) const { return m_live[size_t(slot)] != 0; }
    qint64 id(int slot) const { return m_ids[size_t(slot)]; }
    int liveCount() const { return m_liveCount; }
    // The slot of a live row; -1 when none.
    int slotOf(qint64 id) const;

    // NaN for a number without value.
    double number(int slot, int field) const { return m_numbers[size_t(field - kTextFields)][size_t(slot)]; }
    bool isNull(int slot, int field) const;
    // The null string for NULL.
    const QString &text(int slot, int field) const { return m_pools[size_t(field)].text(textIndex(slot, field)); }
    quint32 textIndex(int slot, int field) const { return m_cells[size_t(field)][size_t(slot)]; }
    const std::vector<QString> &texts(int field) const { return m_pools[size_t(field)].texts(); }

    // "全部记录": the live rows the switch lets through, by stock-in date
    // (empty first), then by ID.
    std::vector<int> listRows(ZeroStock zeroStock) const;
    // "查询": the base condition and each non-empty box found anywhere in
    // its column (letters A-Z without regard to case, every other character
    // as typed), by ID.
    std::vector<int> searchRows(ZeroStock zeroStock, const GoodsSearch &search) const;
    // Whether one live row belongs to either answer.
    bool listTakes(int slot, ZeroStock zeroStock) const;
    bool searchTakes(int slot, ZeroStock zeroStock, const GoodsSearch &search) const;

    // A code scanned at the till (or typed and sent with Enter): the rows
    // whose whole code is that code, both trimmed, letters A-Z without
    // regard to case (a scanner follows the Caps Lock state). Sellable are
    // those the condition query could list, with a name and a stock above
    // 0; the others under the code are only counted, so the operator can be
    // told why nothing opened.
    struct CodeMatch {
        std::vector<int> sellable; // slots, by ID
        int unsellable = 0;
    };
    CodeMatch matchCode(ZeroStock zeroStock, const QString &scanned) const;

    // The distinct texts of a text field as DistinctValues gives them.
    QStringList distinctTexts(int field) const;
    // The drop-down lists of "全部记录", kept until a text changes.
    const GoodsDropDowns &dropDowns() const;

private:
    QString selectSql() const;
    void clearRows();
    // Reads the statement's current row into a slot (a new one for -1);
    // true when one of its texts changed.
    bool readRow(const class Statement &s, int slot);
    void reloadAll();
    bool baseTakes(int slot, ZeroStock zeroStock) const;

    ShopContext &m_shop;
    QStringList m_hidden;
    std::array<TextPool, kTextFields> m_pools;
    std::array<std::vector<quint32>, kTextFields> m_cells;
    std::array<std::vector<double>, FieldCount - kTextFields> m_numbers;
    // A value the engine holds as text in a number column compares above
    // every number: bit 0 for the purchased quantity, bit 1 for the stock.
    std::vector<quint8> m_textNumbers;
    std::vector<qint64> m_ids;
    std::vector<char> m_live;
    int m_liveCount = 0;
    qint64 m_lastId = 0;
    bool m_loaded = false;
    qint64 m_dataVersion = 0;
    std::array<bool, FieldCount> m_readable{};
    mutable std::optional<GoodsDropDowns> m_dropDowns;
};

} // namespace quollin
