// The arithmetic of the range slider, a horizontal slider with two thumbs: its values, where its
// thumbs and the bar between them lie for a client size, and what the mouse and the arrow keys
// do to the values. The widget draws and forwards events; everything it decides is here.
//
// Geometry: the thumb size t is three quarters of the height, the usable length L the width less
// two thumbs. The left thumb's left edge lies at L × (left − min) / (max − min), the right
// thumb's one thumb further on at L × (right − min) / (max − min) + t, so the thumbs never
// overlap and the bar is the stretch between them.
#pragma once

#include <optional>
#include <vector>

namespace tarvosk {

struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
  bool operator==(const PixelRect&) const = default;
};

enum class RangeSliderPart { None, LeftThumb, RightThumb, Bar };

// What a change moved, with the numbers the slider reports to its parent.
enum class RangeChange { Left = 0, Right = 1, Both = 2 };

class RangeSliderModel {
 public:
  double minimum() const { return minimum_; }
  double maximum() const { return maximum_; }
  double left() const { return left_; }
  double right() const { return right_; }

  // Both keep minimum ≤ left ≤ right ≤ maximum by moving a value to its nearest bound, and
  // return the values they had to move. A maximum below the minimum becomes the minimum.
  std::vector<RangeChange> setRange(double minimum, double maximum);
  std::vector<RangeChange> setValues(double left, double right);

  void setClientSize(int width, int height);
  int thumbSize() const { return height_ * 3 / 4; }
  int usableLength() const { return width_ - 2 * thumbSize(); }
  PixelRect leftThumb() const;
  PixelRect rightThumb() const;
  PixelRect bar() const;
  RangeSliderPart partAt(int x, int y) const;

  // A press on a thumb or the bar starts dragging it; elsewhere it does nothing (false).
  bool press(int x, int y);
  // Moves the dragged part so that the point grabbed follows the pointer; nothing while no part
  // is dragged.
  std::optional<RangeChange> dragTo(int x);
  void release() { dragging_ = RangeSliderPart::None; }
  RangeSliderPart dragging() const { return dragging_; }

  // An arrow key along the slider (direction −1 or +1): both values move one step of
  // (max − min) / L, or with shift only the right value. The values are counted in whole steps
  // from the minimum; a move that would leave 0..L steps, or put the right value before the
  // left, is refused (nothing).
  std::optional<RangeChange> step(int direction, bool shift);

 private:
  double span() const { return maximum_ - minimum_; }
  // The exact pixel position of a value within the usable length (0 when there is no span).
  double pixelOf(double value) const;
  // The value at a pixel position within the usable length.
  double valueAt(double pixel) const;
  double centreOf(RangeSliderPart part) const;

  double minimum_ = 0, maximum_ = 1, left_ = 0, right_ = 1;
  int width_ = 0, height_ = 0;
  RangeSliderPart dragging_ = RangeSliderPart::None;
  double grabOffset_ = 0;  // the pointer's distance from the dragged part's centre when pressed
};

}  // namespace tarvosk
