#include "desktop/TypeAheadKeys.h"

#include <QApplication>
#include <algorithm>

#include "desktop/QtText.h"
#include "shell/TypeAhead.h"

namespace tarvosk {

std::optional<int> TypeAheadKeys::rowFor(const QString& keys, int currentRow, int rowCount,
                                         const std::function<std::u16string_view(std::size_t)>& nameOfRow) {
  const bool extends =
      !typed_.isEmpty() && sinceTyped_.isValid() && sinceTyped_.elapsed() < QApplication::keyboardInputInterval();
  typed_ = extends ? typed_ + keys : keys;
  sinceTyped_.start();
  const std::size_t start = static_cast<std::size_t>(extends ? std::max(currentRow, 0) : currentRow + 1);
  const auto row = findRowByPrefix(static_cast<std::size_t>(std::max(rowCount, 0)), start, u16(typed_), nameOfRow);
  if (!row) return std::nullopt;
  return static_cast<int>(*row);
}

}  // namespace tarvosk
