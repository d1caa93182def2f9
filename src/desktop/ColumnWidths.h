// Column widths of the list views: the program's own widths in pixels, widened where the font
// in use needs more room for the longest texts a column holds, so no cell text is cut.
#pragma once

#include <QFontMetrics>
#include <QStringList>
#include <QWidget>
#include <algorithm>

namespace tarvosk {

struct ColumnWidth {
  int pixels;
  QStringList longestTexts;
};

inline int fittedWidth(const QWidget& view, const ColumnWidth& column) {
  const QFontMetrics metrics(view.font());
  int width = column.pixels;
  // Room for the cell's margins and, in the first column, its icon.
  for (const QString& text : column.longestTexts) width = std::max(width, metrics.horizontalAdvance(text) + 24);
  return width;
}

}  // namespace tarvosk
