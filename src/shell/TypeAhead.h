// Type-ahead in the file lists: the row whose name begins with what the user typed.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

namespace tarvosk {

// Tries the rows from start (row 0 when start lies beyond the end) onwards, wrapping round, and
// returns the first whose name begins with typed, compared without regard to case.
std::optional<std::size_t> findRowByPrefix(std::size_t rowCount, std::size_t start, std::u16string_view typed,
                                           const std::function<std::u16string_view(std::size_t)>& nameOfRow);

}  // namespace tarvosk
