#include "records/SaleLineGrid.h"


namespace quollin::SaleLineGrid {

std::vector<GridColumn> columns()
{
    const QString goods = QStringLiteral("商 品 信 息");
    const QString sale = QStringLiteral("销 售 信 息");
    const QString customer = QStringLiteral("客 户");
    auto col = [](const char *field, const QString &group, const QString &title, GridKind kind, int width,
                  FooterKind footer = FooterKind::None) {
        GridColumn c;
        c.field = QLatin1String(field);
        c.group = group;
        c.title = title;
        c.kind = kind;
        c.width = width;
        c.footer = footer;
        return c;
    };
    std::vector<GridColumn> columns{
        col("a", goods, QStringLiteral(" 名 称"), GridKind::Text, 120, FooterKind::Text),
        col("b", goods, QStringLiteral("规格型号"), GridKind::Text, 80),
        col("c", goods, QStringLiteral(" 编 码"), GridKind::Text, 96),
        col("d", goods, QStringLiteral("类 别"), GridKind::Text, 64),
        col("2", sale, QStringLiteral("单 价"), GridKind::Plain, 56),
        col("3", sale, QStringLiteral("数 量"), GridKind::Quantity, 56, FooterKind::Sum),
        col("4", sale, QStringLiteral("金 额"), GridKind::Amount, 64, FooterKind::Sum),
        col("day1", sale, QStringLiteral("日 期"), GridKind::Date, 92),
        col("6", sale, QStringLiteral("欠款额"), GridKind::Amount, 60, FooterKind::Sum),
        col("a5", sale, QStringLiteral("净利润"), GridKind::Amount, 60, FooterKind::Sum),
        col("z", sale, QStringLiteral("单 号"), GridKind::Text, 96),
        col("g", customer, QStringLiteral("名 称"), GridKind::Text, 72),
        col("i", customer, QStringLiteral("联系方式"), GridKind::Text, 80),
        col("h", customer, QStringLiteral("地 址"), GridKind::Text, 96),
        col("j", customer, QStringLiteral("备 注"), GridKind::Text, 72),
    };
    columns[0].footerText = QStringLiteral("合计");
    columns[0].footerAlignment = Qt::AlignCenter;
    columns[10].alignment = Qt::AlignCenter;
    return columns;
}

std::vector<ColumnSwitch> columnSwitches()
{
    using Command = OperatorRestrictions::Command;
    auto entry = [](const char *setting, const char *caption, QStringList fields, bool yesHides = true,
                    std::optional<Command> restricted = std::nullopt) {
        return ColumnSwitch{QLatin1String(setting), QString::fromUtf8(caption), std::move(fields), yesHides,
                            restricted};
    };
    const QString g = QStringLiteral("g"), i = QStringLiteral("i"), h = QStringLiteral("h"), j = QStringLiteral("j");
    return {
        entry("xiaoshouyin1", "隐藏销售单价", {QStringLiteral("2")}),
        entry("xiaoshouyin2", "隐藏销售日期", {QStringLiteral("day1")}),
        entry("xiaoshouyin3", "隐藏欠款", {QStringLiteral("6")}),
        entry("xiaoshouyin4", "隐藏净利润", {QStringLiteral("a5")}, true, Command::HideNetProfitColumn),
        entry("xiaoshouyin5", "隐藏全部客户信息", {g, i, h, j}),
        // The one entry whose tick shows a column, hidden at first.
        entry("xiaoshouyin6", "显示客户编号", {QStringLiteral("z")}, false),
        entry("xiaoshouyin7", "隐藏客户名称", {g}),
        entry("xiaoshouyin8", "隐藏联系方式", {i}),
        entry("xiaoshouyin9", "隐藏地址", {h}),
        entry("xiaoshouyin10", "隐藏备注", {j}),
    };
}

ColumnMayShow columnsMayShow(const OperatorRestrictions &restrictions)
{
    return [restrictions](const QString &field) {
        if (field == QLatin1String("a5"))
            return restrictions.maySee(OperatorRestrictions::Column::NetProfit);
        return true;
    };
}

QStringList showAllFields()
{
    QStringList fields;
    for (const GridColumn &c : columns())
        if (c.field != QLatin1String("a") && c.field != QLatin1String("z"))
            fields << c.field;
    return fields;
}

} // namespace quollin::SaleLineGrid
