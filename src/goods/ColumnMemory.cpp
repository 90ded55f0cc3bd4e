#include "goods/ColumnMemory.h"

#include "core/SettingsStore.h"
#include "widgets/DataGrid.h"
#include "widgets/GridModel.h"

#include <QAction>
#include <QMenu>

#include <utility>

namespace quollin {

namespace {

const QString kYes = QStringLiteral("yes");
const QString kNo = QStringLiteral("no");

} // namespace

std::vector<ColumnSwitch> goodsColumnSwitches()
{
    using Command = OperatorRestrictions::Command;
    auto entry = [](const char *setting, const char *caption, QStringList fields,
                    std::optional<Command> restricted = std::nullopt) {
        return ColumnSwitch{QLatin1String(setting), QString::fromUtf8(caption), std::move(fields), true,
                            restricted};
    };
    return {
        entry("rukuyin1", "隐藏进货单价", {QStringLiteral("1")}, Command::HidePurchasePriceColumns),
        entry("rukuyin6", "隐藏销售单价", {QStringLiteral("4")}),
        entry("rukuyin2", "隐藏金额", {QStringLiteral("3"), QStringLiteral("6"), QStringLiteral("8")},
              Command::HideAmountColumns),
        entry("rukuyin3", "隐藏日期", {QStringLiteral("day1")}),
        entry("rukuyin4", "隐藏供货商", {QStringLiteral("g")}),
        entry("rukuyin5", "隐藏备注信息", {QStringLiteral("z")}),
    };
}

ColumnMayShow goodsColumnsMayShow(const OperatorRestrictions &restrictions)
{
    return [restrictions](const QString &field) {
        using Column = OperatorRestrictions::Column;
        if (field == QLatin1String("1"))
            return restrictions.maySee(Column::PurchasePrice);
        if (field == QLatin1String("3"))
            return restrictions.maySee(Column::PurchaseAmount);
        if (field == QLatin1String("8"))
            return restrictions.maySee(Column::StockValue);
        return true;
    };
}

ColumnMemory::ColumnMemory(DataGrid *grid, SettingsStore &settings, std::vector<ColumnSwitch> switches,
                           QString iniSection, QString iniPath, QObject *parent)
    : QObject(parent),
      m_grid(grid),
      m_settings(settings),
      m_switches(std::move(switches)),
      m_section(std::move(iniSection)),
      m_iniPath(std::move(iniPath))
{
    for (size_t i = 0; i < m_switches.size(); ++i) {
        auto *action = new QAction(m_switches[i].menuCaption, this);
        action->setObjectName(m_switches[i].settingName);
        action->setCheckable(true);
        // triggered, not toggled: ticks set by applySaved must not be stored
        // back.
        connect(action, &QAction::triggered, this, [this, i](bool ticked) { toggled(i, ticked); });
        m_actions.push_back(action);
    }
}

QMenu *ColumnMemory::buildMenu(QWidget *parent)
{
    auto *menu = new QMenu(QStringLiteral("隐藏列"), parent);
    menu->setObjectName(QStringLiteral("hideColumnsMenu"));
    for (QAction *action : m_actions)
        menu->addAction(action);
    return menu;
}

QAction *ColumnMemory::action(const QString &settingName) const
{
    for (size_t i = 0; i < m_switches.size(); ++i) {
        if (m_switches[i].settingName == settingName)
            return m_actions[i];
    }
    return nullptr;
}

void ColumnMemory::applySaved()
{
    QStringList names;
    for (const ColumnSwitch &entry : m_switches)
        names << entry.settingName;
    // One opening of the store for all values.
    const QHash<QString, QString> values = m_settings.read(names);
    for (size_t i = 0; i < m_switches.size(); ++i) {
        const QString value = values.value(m_switches[i].settingName);
        if (value != kYes && value != kNo)
            continue;
        const bool ticked = value == kYes;
        m_actions[i]->setChecked(ticked);
        setColumns(m_switches[i], ticked);
    }
}

void ColumnMemory::applyRestrictions(const OperatorRestrictions &restrictions)
{
    for (size_t i = 0; i < m_switches.size(); ++i) {
        const bool allowed = !m_switches[i].restricted || restrictions.mayRun(*m_switches[i].restricted);
        // Disabled as well, so that no shortcut or programmatic trigger
        // reaches an entry the operator cannot see.
        m_actions[i]->setVisible(allowed);
        m_actions[i]->setEnabled(allowed);
    }
}

void ColumnMemory::setMayShow(ColumnMayShow mayShow)
{
    m_mayShow = std::move(mayShow);
    const QStringList earlier = std::exchange(m_forbidden, {});
    for (const QString &field : earlier)
        if (this->mayShow(field))
            m_grid->setColumnVisible(field, shownBySwitches(field));
    hideForbidden();
}

bool ColumnMemory::saveWidths()
{
    return m_grid->saveLayout(m_iniPath, m_section);
}

bool ColumnMemory::restoreWidths()
{
    const bool restored = m_grid->restoreLayout(m_iniPath, m_section);
    // A layout saved by another operator may have the column visible.
    hideForbidden();
    return restored;
}

void ColumnMemory::toggled(size_t index, bool ticked)
{
    const ColumnSwitch &entry = m_switches[index];
    setColumns(entry, ticked);
    // A store that cannot be written only loses the memory, not the toggle.
    m_settings.write(entry.settingName, ticked ? kYes : kNo);
}

void ColumnMemory::setColumns(const ColumnSwitch &entry, bool ticked)
{
    const bool visible = ticked != entry.yesHides;
    for (const QString &field : entry.fields)
        m_grid->setColumnVisible(field, visible && mayShow(field));
}

void ColumnMemory::hideForbidden()
{
    const GridModel *model = m_grid->model();
    if (!model || !m_mayShow)
        return;
    for (int c = 0; c < model->columnCount(); ++c) {
        const QString field = model->column(c).field;
        if (!m_mayShow(field)) {
            m_grid->hideColumn(field);
            if (!m_forbidden.contains(field))
                m_forbidden << field;
        }
    }
}

bool ColumnMemory::mayShow(const QString &field) const
{
    return !m_mayShow || m_mayShow(field);
}

bool ColumnMemory::shownBySwitches(const QString &field) const
{
    bool shown = true;
    for (size_t i = 0; i < m_switches.size(); ++i)
        if (m_switches[i].fields.contains(field))
            shown = m_actions[i]->isChecked() != m_switches[i].yesHides;
    return shown;
}

} // namespace quollin
