#include "shell/TypeAhead.h"

#include "platform/CaseFolding.h"

namespace tarvosk {

std::optional<std::size_t> findRowByPrefix(std::size_t rowCount, std::size_t start, std::u16string_view typed,
                                           const std::function<std::u16string_view(std::size_t)>& nameOfRow) {
  if (start >= rowCount) start = 0;
  for (std::size_t n = 0; n < rowCount; ++n) {
    const std::size_t row = (start + n) % rowCount;
    if (startsWithIgnoreCase(nameOfRow(row), typed)) return row;
  }
  return std::nullopt;
}

}  // namespace tarvosk
