#pragma once

#include "core/OperatorRestrictions.h"
#include "widgets/GridLayoutIni.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace quollin {

class DataGrid;
class SettingsStore;

// One tick entry of a grid's "隐藏列" menu: the columns it hides or shows and
// the settings value that remembers it. A remembered "yes" always means the
// entry is ticked; yesHides says whether ticked hides the columns or shows
// them (the one entry that reveals a column otherwise hidden).
struct ColumnSwitch {
    QString settingName;
    QString menuCaption;
    QStringList fields;
    bool yesHides = true;
    // The entry is only offered to operators who may run this command.
    std::optional<OperatorRestrictions::Command> restricted;
};

// The goods list's entries, in menu order, which is also the order their
// remembered states are applied in.
std::vector<ColumnSwitch> goodsColumnSwitches();

// Answers whether the operator may see a grid column (by field name).
using ColumnMayShow = std::function<bool(const QString &field)>;

// The goods columns an operator may see. Takes a copy, so it has to be set
// again after every sign-in.
ColumnMayShow goodsColumnsMayShow(const OperatorRestrictions &restrictions);

// The hide entries of one grid and its saved layout: the entries toggle
// columns and remember their state at once, the remembered states are
// applied again when the main window is shown, and the whole layout (order,
// widths, visibility, sort marks) goes to and comes from a section of the
// layout ini file.
class ColumnMemory : public QObject {
    Q_OBJECT
public:
    ColumnMemory(DataGrid *grid, SettingsStore &settings, std::vector<ColumnSwitch> switches,
                 QString iniSection, QString iniPath = GridLayoutIni::defaultPath(),
                 QObject *parent = nullptr);

    // The submenu "隐藏列" with one tick entry per switch. Every menu built
    // shares the same entries, so ticks agree everywhere.
    QMenu *buildMenu(QWidget *parent);
    // The entry of a switch, nullptr for an unknown name.
    QAction *action(const QString &settingName) const;

    // At main window show: applies every remembered "yes" or "no" in switch
    // order; any other value, or none, leaves the columns and the tick alone.
    void applySaved();
    // Hides (and disables) the entries the operator may not run.
    void applyRestrictions(const OperatorRestrictions &restrictions);
    // Columns the operator may not see are hidden at once and never shown
    // again by a switch or a restored layout. Without one every column may
    // be shown. A column hidden for an earlier operator that this one may
    // see is shown again unless its entry is ticked to hide it: at every
    // sign-in the grid follows the operator and the remembered ticks.
    void setMayShow(ColumnMayShow mayShow);

    // "保存当前列宽": false when the file could not be written.
    bool saveWidths();
    // "读取列宽": false (and nothing changes) without the file or section.
    bool restoreWidths();

    QString iniSection() const { return m_section; }
    QString iniPath() const { return m_iniPath; }

private:
    void toggled(size_t index, bool ticked);
    void setColumns(const ColumnSwitch &entry, bool ticked);
    void hideForbidden();
    bool mayShow(const QString &field) const;
    // What the entries say of a column: shown unless the last entry that
    // switches it is set to hide it.
    bool shownBySwitches(const QString &field) const;

    DataGrid *m_grid;
    SettingsStore &m_settings;
    std::vector<ColumnSwitch> m_switches;
    std::vector<QAction *> m_actions; // one per switch, owned by this object
    QString m_section;
    QString m_iniPath;
    ColumnMayShow m_mayShow;
    QStringList m_forbidden; // hidden because the operator may not see them
};

} // namespace quollin
