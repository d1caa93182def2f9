#include "shell/RangeSliderModel.h"

#include <algorithm>
#include <cmath>

namespace tarvosk {

std::vector<RangeChange> RangeSliderModel::setRange(double minimum, double maximum) {
  minimum_ = minimum;
  maximum_ = std::max(minimum, maximum);
  return setValues(left_, right_);
}

std::vector<RangeChange> RangeSliderModel::setValues(double left, double right) {
  std::vector<RangeChange> moved;
  left_ = std::clamp(left, minimum_, maximum_);
  if (left_ != left) moved.push_back(RangeChange::Left);
  right_ = std::clamp(right, left_, maximum_);
  if (right_ != right) moved.push_back(RangeChange::Right);
  return moved;
}

void RangeSliderModel::setClientSize(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
}

double RangeSliderModel::pixelOf(double value) const {
  return span() > 0 ? usableLength() * (value - minimum_) / span() : 0;
}

double RangeSliderModel::valueAt(double pixel) const { return minimum_ + pixel / usableLength() * span(); }

PixelRect RangeSliderModel::leftThumb() const {
  return {static_cast<int>(std::lround(pixelOf(left_))), 0, thumbSize(), height_};
}

PixelRect RangeSliderModel::rightThumb() const {
  return {static_cast<int>(std::lround(pixelOf(right_))) + thumbSize(), 0, thumbSize(), height_};
}

PixelRect RangeSliderModel::bar() const {
  const int from = leftThumb().x + thumbSize();
  return {from, 0, rightThumb().x - from, height_};
}

RangeSliderPart RangeSliderModel::partAt(int x, int y) const {
  if (leftThumb().contains(x, y)) return RangeSliderPart::LeftThumb;
  if (rightThumb().contains(x, y)) return RangeSliderPart::RightThumb;
  if (bar().contains(x, y)) return RangeSliderPart::Bar;
  return RangeSliderPart::None;
}

double RangeSliderModel::centreOf(RangeSliderPart part) const {
  const double t = thumbSize();
  switch (part) {
    case RangeSliderPart::LeftThumb: return pixelOf(left_) + t / 2;
    case RangeSliderPart::RightThumb: return pixelOf(right_) + 3 * t / 2;
    default: return (pixelOf(left_) + pixelOf(right_)) / 2 + t;
  }
}

bool RangeSliderModel::press(int x, int y) {
  const RangeSliderPart part = partAt(x, y);
  if (part == RangeSliderPart::None) return false;
  dragging_ = part;
  // Measured from the exact centre, so a press that does not move changes no value.
  grabOffset_ = x - centreOf(part);
  return true;
}

std::optional<RangeChange> RangeSliderModel::dragTo(int x) {
  if (dragging_ == RangeSliderPart::None || usableLength() <= 0) return std::nullopt;
  const double p = x - grabOffset_;
  const double t = thumbSize();
  switch (dragging_) {
    case RangeSliderPart::LeftThumb:
      left_ = std::clamp(valueAt(p - t / 2), minimum_, right_);
      return RangeChange::Left;
    case RangeSliderPart::RightThumb:
      right_ = std::clamp(valueAt(p - 3 * t / 2), left_, maximum_);
      return RangeChange::Right;
    default: {
      // The bar moves both values by its centre, keeping their distance, and stops at either end.
      const double distance = right_ - left_;
      const double left = std::max(minimum_, std::min(valueAt(p - t) - distance / 2, maximum_ - distance));
      left_ = left;
      right_ = std::min(maximum_, left + distance);
      return RangeChange::Both;
    }
  }
}

std::optional<RangeChange> RangeSliderModel::step(int direction, bool shift) {
  const int length = usableLength();
  if (length <= 0 || span() <= 0) return std::nullopt;
  const double size = span() / length;
  long long leftSteps = std::llround((left_ - minimum_) / size);
  long long rightSteps = std::llround((right_ - minimum_) / size) + direction;
  if (!shift) leftSteps += direction;
  if (rightSteps > length || (shift ? rightSteps < leftSteps : leftSteps < 0)) return std::nullopt;
  right_ = std::min(maximum_, minimum_ + static_cast<double>(rightSteps) * size);
  if (!shift) {
    left_ = minimum_ + static_cast<double>(leftSteps) * size;
    return RangeChange::Both;
  }
  left_ = std::min(left_, right_);
  return RangeChange::Right;
}

}  // namespace tarvosk
