#include "desktop/HexView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <span>

namespace tarvosk {

HexView::HexView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // A cell is the digit's advance rounded up: a fixed-width font's advance is often fractional, and
  // rounded down the eight digits of an address would not fit in their eight cells.
  cellWidth_ = std::max(1, static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(QLatin1Char('0')))));
  lineHeight_ = std::max(1, fontMetrics().height());
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);
  // Wide enough for a whole line and its scroll bar.
  setMinimumWidth(static_cast<int>(HexLayout::lineCells() + 2) * cellWidth_ + verticalScrollBar()->sizeHint().width() +
                  2 * frameWidth());
  updateScrollBars();
}

void HexView::setBytes(std::vector<std::uint8_t> bytes) {
  bytes_ = std::move(bytes);
  layout_ = HexLayout(bytes_.size());
  hasSelection_ = false;
  updateScrollBars();
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
  viewport()->update();
}

void HexView::select(std::uint64_t first, std::uint64_t last, bool inCharacters) {
  if (bytes_.empty()) return;
  anchor_ = std::min<std::uint64_t>(first, bytes_.size() - 1);
  end_ = std::min<std::uint64_t>(last, bytes_.size() - 1);
  inCharacters_ = inCharacters;
  hasSelection_ = true;
  viewport()->update();
}

QString HexView::selectionText() const {
  if (!hasSelection_) return {};
  const std::uint64_t first = std::min(anchor_, end_), last = std::max(anchor_, end_);
  const std::span<const std::uint8_t> selected(bytes_.data() + first, static_cast<std::size_t>(last - first + 1));
  return QString::fromLatin1(HexLayout::copyText(selected, inCharacters_));
}

void HexView::copy() const {
  if (hasSelection_) QApplication::clipboard()->setText(selectionText());
}

bool HexView::isSelected(std::uint64_t offset) const {
  return hasSelection_ && offset >= std::min(anchor_, end_) && offset <= std::max(anchor_, end_);
}

void HexView::updateScrollBars() {
  // Scrolling goes by lines and cells, so a buffer of any size scrolls in 32-bit ranges.
  const int visibleLines = viewport()->height() / lineHeight_;
  const auto lines = static_cast<int>(std::min<std::uint64_t>(layout_.lineCount(), 1u << 30));
  verticalScrollBar()->setRange(0, std::max(0, lines - visibleLines));
  verticalScrollBar()->setPageStep(std::max(1, visibleLines));
  const int visibleCells = viewport()->width() / cellWidth_;
  horizontalScrollBar()->setRange(0, std::max(0, static_cast<int>(HexLayout::lineCells()) + 1 - visibleCells));
  horizontalScrollBar()->setPageStep(std::max(1, visibleCells));
}

void HexView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateScrollBars();
}

void HexView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), palette().base());
  const int left = (1 - horizontalScrollBar()->value()) * cellWidth_;
  const auto first = static_cast<std::uint64_t>(verticalScrollBar()->value());
  const std::uint64_t visible = static_cast<std::uint64_t>(viewport()->height() / lineHeight_) + 1;
  const QColor text = palette().color(QPalette::Text);
  const QColor dim = palette().color(QPalette::PlaceholderText);
  auto cellRect = [&](int y, unsigned cell, unsigned cells) {
    return QRect(left + static_cast<int>(cell) * cellWidth_, y, static_cast<int>(cells) * cellWidth_, lineHeight_);
  };
  for (std::uint64_t line = first; line < layout_.lineCount() && line < first + visible; ++line) {
    const int y = static_cast<int>(line - first) * lineHeight_;
    painter.setPen(dim);
    painter.drawText(cellRect(y, 0, HexLayout::kAddressCells), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromLatin1(HexLayout::addressText(line)));
    for (unsigned i = 0; i < HexLayout::kBytesPerLine; ++i) {
      const std::uint64_t offset = line * HexLayout::kBytesPerLine + i;
      if (offset >= bytes_.size()) break;
      const std::uint8_t byte = bytes_[offset];
      const bool selected = isSelected(offset);
      // The selected bytes are marked in both columns; the column they were chosen in more strongly.
      const QRect hex = cellRect(y, HexLayout::hexCell(i), 2);
      const QRect character = cellRect(y, HexLayout::characterCell(i), 1);
      if (selected) {
        painter.fillRect(inCharacters_ ? character : hex, palette().highlight());
        painter.fillRect(inCharacters_ ? hex : character, palette().color(QPalette::Highlight).lighter(170));
      }
      painter.setPen(selected && !inCharacters_ ? palette().color(QPalette::HighlightedText) : text);
      painter.drawText(hex, Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(HexLayout::hexText(byte)));
      painter.setPen(selected && inCharacters_ ? palette().color(QPalette::HighlightedText) : text);
      painter.drawText(character, Qt::AlignLeft | Qt::AlignVCenter, QString(QLatin1Char(HexLayout::characterOf(byte))));
    }
  }
}

std::optional<HexLayout::Hit> HexView::hitAt(const QPoint& point) const {
  if (point.x() < 0 || point.y() < 0) return std::nullopt;
  const int cell = point.x() / cellWidth_ - 1 + horizontalScrollBar()->value();
  if (cell < 0) return std::nullopt;
  const std::uint64_t line = static_cast<std::uint64_t>(verticalScrollBar()->value()) + static_cast<std::uint64_t>(point.y() / lineHeight_);
  return layout_.byteAt(line, static_cast<unsigned>(cell));
}

void HexView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  if (auto hit = hitAt(event->position().toPoint())) {
    if (event->modifiers() & Qt::ShiftModifier && hasSelection_) select(anchor_, hit->offset, inCharacters_);
    else select(hit->offset, hit->offset, hit->inCharacters);
  } else {
    hasSelection_ = false;
    viewport()->update();
  }
}

void HexView::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton) || !hasSelection_) return;
  if (auto hit = hitAt(event->position().toPoint())) select(anchor_, hit->offset, inCharacters_);
}

void HexView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) return copy();
  if (event->matches(QKeySequence::SelectAll)) return select(0, bytes_.empty() ? 0 : bytes_.size() - 1, inCharacters_);
  QAbstractScrollArea::keyPressEvent(event);
}

void HexView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* copyAction = menu.addAction(QStringLiteral("复制(&C)"), this, &HexView::copy);
  copyAction->setEnabled(hasSelection_);
  menu.exec(event->globalPos());
}

}  // namespace tarvosk
