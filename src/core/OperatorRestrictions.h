#pragma once

#include <QString>

namespace quollin {

// What the signed-in operator may see and run. Every window asks this one
// object; a command hidden from an operator must also refuse to run, so that
// no shortcut or double click reaches it.
class OperatorRestrictions {
public:
    enum class Command {
        UserAdministration,
        ChangePassword,
        NewStockIn,
        ChangeGoods,
        DeleteGoods,
        HidePurchasePriceColumns,
        HideAmountColumns,
        EditSaleDate,
        ChangeSaleLines,
        DeleteSaleLines,
        SalesCharts,
        RestoreDatabase,
        HideNetProfitColumn,
        ShowAllSaleColumns,
        MoveToServer,
    };
    enum class Column {
        PurchasePrice,  // goods column 1
        PurchaseAmount, // goods column 3
        StockValue,     // goods column 8
        NetProfit,      // sale line column a5
        SummaryAmounts, // the goods summary's three amount sums
    };

    // Nobody signed in: every guarded command is refused.
    OperatorRestrictions() = default;
    explicit OperatorRestrictions(const QString &operatorName);

    bool signedIn() const { return m_signedIn; }
    bool isSuperAdministrator() const { return m_super; }
    QString operatorName() const { return m_name; }

    bool mayRun(Command command) const;
    bool maySee(Column column) const;

    // The message a refused command shows.
    static QString refusalText();

private:
    QString m_name;
    bool m_signedIn = false;
    bool m_super = false;
};

} // namespace quollin
