#pragma once

#include <QString>

#include <vector>

namespace quollin {

// The saved column layout of one grid, kept in the ini file "qljxc.ini" in
// the form the program has always used, so that old files still read:
//
//   [section]
//   DBGridEh1.<field>=position,width,sort mark,visible,sort index,drop-down rows,drop-down width
//   (Default)=row height,row lines
//
// Sort mark: 0 none, 1 ascending, 2 descending.
namespace GridLayoutIni {

inline constexpr const char *kGridName = "DBGridEh1";

struct ColumnLayout {
    QString field;
    int position = 0;
    int width = 64;
    int sortMark = 0;
    int visible = 1;
    int sortIndex = 0;
    int dropDownRows = 7;
    int dropDownWidth = 0;
};

struct GridLayout {
    std::vector<ColumnLayout> columns;
    int rowHeight = 0;
    int rowLines = 0;
};

// "qljxc.ini" beside the settings store of the current user.
QString defaultPath();

QString columnValue(const ColumnLayout &column);
// Takes every number that reads from a saved value; the others keep what
// the column has.
void readColumnValue(const QString &value, ColumnLayout &column);

// Writes every column's key and "(Default)" into the section; other
// sections and other keys of the section stay as they were. False when the
// file could not be written.
bool save(const QString &path, const QString &section, const GridLayout &layout);
// Updates the layout from the section. A missing file or section changes
// nothing and answers false.
bool restore(const QString &path, const QString &section, GridLayout &layout);

} // namespace GridLayoutIni

} // namespace quollin
