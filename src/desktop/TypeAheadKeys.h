// Type-ahead in the list views: keys typed in quick succession extend the text and the search
// goes on from the current row; after a pause a new text is searched from the row after it.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <optional>
#include <string_view>

namespace tarvosk {

class TypeAheadKeys {
 public:
  // The row whose name begins with the text typed so far, or none. currentRow is -1 when no
  // row is current.
  std::optional<int> rowFor(const QString& keys, int currentRow, int rowCount,
                            const std::function<std::u16string_view(std::size_t)>& nameOfRow);

 private:
  QString typed_;
  QElapsedTimer sinceTyped_;
};

}  // namespace tarvosk
