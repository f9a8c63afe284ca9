#pragma once

// Where things stand in a supplier price sheet, shared by its writer and its readers:
// the header block (label in the first column, value in the second), then the column
// titles, then one line per item.  Columns are 0-based; lines 0-based as written.
namespace PriceSheetLayout {

enum Column { Region, TreeCode, ProductName, Unit, Brand, Quantity, Price, Observation, Key, ColumnCount };

inline constexpr int kTitleLine = 0;
inline constexpr int kFirstHeaderLine = 1;   // branch, quotation, validity, buyer, supplier
inline constexpr int kInstructionLine = 6;
inline constexpr int kColumnTitleLine = 8;
inline constexpr int kFirstItemLine = 9;

} // namespace PriceSheetLayout
