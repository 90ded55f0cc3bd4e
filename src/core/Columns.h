#pragma once

// The stored column names of the goods table (data) and the sale-line table
// (data1), named once. The short letters are the file's own layout, which
// older files and other programs share; the code says what they mean.
namespace quollin {

namespace GoodsColumn {
inline constexpr char Id[] = "ID";
inline constexpr char Name[] = "a";
inline constexpr char Specification[] = "b";
inline constexpr char Code[] = "c";
inline constexpr char Category[] = "d";
inline constexpr char NameInitials[] = "e";
inline constexpr char SpecInitials[] = "f";
inline constexpr char Supplier[] = "g";
inline constexpr char PurchasePrice[] = "1";
inline constexpr char Quantity[] = "2";
inline constexpr char PurchaseAmount[] = "3";
inline constexpr char SalePrice[] = "4";
inline constexpr char SoldQuantity[] = "5";
inline constexpr char SalesAmount[] = "6";
inline constexpr char StockQuantity[] = "7";
inline constexpr char StockValue[] = "8";
inline constexpr char Remarks[] = "z";
inline constexpr char StockInDate[] = "day1";
} // namespace GoodsColumn

namespace SaleLineColumn {
inline constexpr char Id[] = "ID";
inline constexpr char Name[] = "a";
inline constexpr char Specification[] = "b";
inline constexpr char Code[] = "c";
inline constexpr char Category[] = "d";
inline constexpr char NameInitials[] = "e";
inline constexpr char SpecInitials[] = "f";
inline constexpr char Customer[] = "g";
inline constexpr char Address[] = "h";
inline constexpr char Phone[] = "i";
inline constexpr char Remark[] = "j";
inline constexpr char SlipNumber[] = "z";
inline constexpr char PurchasePrice[] = "1";
inline constexpr char Price[] = "2";
inline constexpr char Quantity[] = "3";
inline constexpr char Amount[] = "4";
inline constexpr char Profit[] = "a5";
inline constexpr char Arrears[] = "6";
inline constexpr char SaleDate[] = "day1";
inline constexpr char StockInDate[] = "day2";
inline constexpr char GoodsId[] = "goods_id";
} // namespace SaleLineColumn

} // namespace quollin
