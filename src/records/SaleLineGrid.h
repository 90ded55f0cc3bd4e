#pragma once

#include "goods/ColumnMemory.h"
#include "goods/GoodsQuery.h"
#include "widgets/GridModel.h"

#include <vector>

namespace quollin {

class SaleLineStore;

// The records window's grid over table data1: its columns under three group
// titles, its column switches and how its rows are read.
namespace SaleLineGrid {

// Goods, sale and customer columns in the order shown.
std::vector<GridColumn> columns();

// The hide entries of the grid's context menu, in menu order, which is also
// the order their remembered states are applied in.
std::vector<ColumnSwitch> columnSwitches();

// The columns the operator may see: the net profit only for those allowed.
ColumnMayShow columnsMayShow(const OperatorRestrictions &restrictions);

// "全部显示": every column but the name (always shown) and the slip number
// (kept as it is).
QStringList showAllFields();

} // namespace SaleLineGrid

} // namespace quollin
