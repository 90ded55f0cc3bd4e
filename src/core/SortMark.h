#pragma once

namespace quollin {

// The mark a grid's column title carries for sorting.
enum class SortMark { None = 0, Ascending = 1, Descending = 2 };

} // namespace quollin
