#include "desktop/RangeSlider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

namespace tarvosk {

namespace {

QRect qrect(const PixelRect& r) { return QRect(r.x, r.y, r.width, r.height); }

}  // namespace

CRangeSlider::CRangeSlider(QWidget* parent) : QWidget(parent) {
  setCursor(Qt::ArrowCursor);
  setFocusPolicy(Qt::StrongFocus);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  model_.setClientSize(width(), height());
}

QSize CRangeSlider::sizeHint() const { return QSize(240, 22); }

void CRangeSlider::setRange(double minimum, double maximum) {
  report(model_.setRange(minimum, maximum));
  update();
}

void CRangeSlider::setValues(double left, double right) {
  report(model_.setValues(left, right));
  update();
}

void CRangeSlider::report(const std::vector<RangeChange>& changes) {
  for (RangeChange change : changes) emit rangeChanged(static_cast<int>(change));
}

void CRangeSlider::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  model_.setClientSize(width(), height());
}

void CRangeSlider::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionFrame groove;
  groove.initFrom(this);
  groove.rect = rect();
  groove.lineWidth = 1;
  groove.state |= QStyle::State_Sunken;
  painter.fillRect(rect(), palette().brush(QPalette::Base));
  style()->drawPrimitive(QStyle::PE_Frame, &groove, &painter, this);
  const QRect bar = qrect(model_.bar()).adjusted(0, 3, 0, -3);
  painter.fillRect(bar, palette().brush(isEnabled() ? QPalette::Highlight : QPalette::Mid));
  drawThumb(painter, model_.leftThumb(), RangeSliderPart::LeftThumb);
  drawThumb(painter, model_.rightThumb(), RangeSliderPart::RightThumb);
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = bar.adjusted(1, 1, -1, -1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
  }
}

// A thumb is a scroll bar's arrow button: pressed while it is dragged, greyed while the slider
// is disabled.
void CRangeSlider::drawThumb(QPainter& painter, const PixelRect& rect, RangeSliderPart part) const {
  QStyleOption button;
  button.initFrom(this);
  button.rect = qrect(rect);
  button.state &= ~QStyle::State_HasFocus;
  button.state |= model_.dragging() == part ? QStyle::State_Sunken : QStyle::State_Raised;
  style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);
  button.rect = button.rect.adjusted(2, 2, -2, -2);
  if (model_.dragging() == part) button.rect.translate(1, 1);
  style()->drawPrimitive(part == RangeSliderPart::LeftThumb ? QStyle::PE_IndicatorArrowLeft : QStyle::PE_IndicatorArrowRight,
                         &button, &painter, this);
}

void CRangeSlider::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (event->button() != Qt::LeftButton || !model_.press(at.x(), at.y())) {
    QWidget::mousePressEvent(event);
    return;
  }
  setFocus(Qt::MouseFocusReason);
  update();
}

void CRangeSlider::mouseMoveEvent(QMouseEvent* event) {
  if (const std::optional<RangeChange> change = model_.dragTo(event->position().toPoint().x())) {
    emit rangeChanged(static_cast<int>(*change));
    update();
  }
}

void CRangeSlider::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  model_.release();
  update();
}

void CRangeSlider::keyPressEvent(QKeyEvent* event) {
  const int direction = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
  if (direction == 0 || (event->modifiers() & Qt::ControlModifier)) {
    QWidget::keyPressEvent(event);
    return;
  }
  if (const std::optional<RangeChange> change = model_.step(direction, event->modifiers() & Qt::ShiftModifier)) {
    emit rangeChanged(static_cast<int>(*change));
    update();
  }
}

}  // namespace tarvosk
