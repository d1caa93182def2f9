// CRangeSlider: a horizontal slider with two thumbs, drawn as scroll arrows, for a range between
// a minimum and a maximum; the stretch between the thumbs is filled. Either thumb or the bar
// between them can be dragged, and the arrow keys move the range (with Shift its end only). Its
// arithmetic lives in RangeSliderModel.
#pragma once

#include <QWidget>

#include "shell/RangeSliderModel.h"

namespace tarvosk {

class CRangeSlider : public QWidget {
  Q_OBJECT

 public:
  explicit CRangeSlider(QWidget* parent = nullptr);

  // Both report each value they had to move into bounds.
  void setRange(double minimum, double maximum);
  void setValues(double left, double right);
  double minimum() const { return model_.minimum(); }
  double maximum() const { return model_.maximum(); }
  double left() const { return model_.left(); }
  double right() const { return model_.right(); }
  const RangeSliderModel& model() const { return model_; }

  QSize sizeHint() const override;

 signals:
  // What moved: 0 the left value, 1 the right value, 2 both.
  void rangeChanged(int what);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void report(const std::vector<RangeChange>& changes);
  void drawThumb(QPainter& painter, const PixelRect& rect, RangeSliderPart part) const;

  RangeSliderModel model_;
};

}  // namespace tarvosk
