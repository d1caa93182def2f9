// The viewer's data view (control 1005): a read-only hex view of one unit's bytes, drawn from
// HexLayout, with a selection that Ctrl+C copies to the clipboard.
#pragma once

#include <QAbstractScrollArea>
#include <cstdint>
#include <optional>
#include <vector>

#include "viewers/HexLayout.h"

namespace tarvosk {

class HexView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit HexView(QWidget* parent);

  // Shows bytes from the top, with nothing selected.
  void setBytes(std::vector<std::uint8_t> bytes);
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  // Selects the bytes from first to last (either order), in the hex or the character column.
  void select(std::uint64_t first, std::uint64_t last, bool inCharacters);
  // The selection as the clipboard gets it (empty when nothing is selected).
  QString selectionText() const;
  void copy() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  std::optional<HexLayout::Hit> hitAt(const QPoint& point) const;
  bool isSelected(std::uint64_t offset) const;
  void updateScrollBars();

  std::vector<std::uint8_t> bytes_;
  HexLayout layout_{0};
  bool hasSelection_ = false;
  std::uint64_t anchor_ = 0;
  std::uint64_t end_ = 0;
  bool inCharacters_ = false;
  int cellWidth_ = 1;
  int lineHeight_ = 1;
};

}  // namespace tarvosk
