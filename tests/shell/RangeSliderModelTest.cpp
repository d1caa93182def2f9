// The range slider's arithmetic: where its parts lie, and what drags and arrow keys do.
#include <gtest/gtest.h>

#include "shell/RangeSliderModel.h"

namespace tarvosk {
namespace {

// 200 by 20 pixels: thumbs of 15, a usable length of 170; values 20 and 60 of 0..100.
RangeSliderModel slider() {
  RangeSliderModel s;
  s.setClientSize(200, 20);
  s.setRange(0, 100);
  s.setValues(20, 60);
  return s;
}

TEST(RangeSliderModelTest, ThumbsAndBarLieWhereTheValuesPutThem) {
  RangeSliderModel s = slider();
  EXPECT_EQ(s.thumbSize(), 15);
  EXPECT_EQ(s.usableLength(), 170);
  EXPECT_EQ(s.leftThumb(), (PixelRect{34, 0, 15, 20}));
  EXPECT_EQ(s.rightThumb(), (PixelRect{102 + 15, 0, 15, 20}));
  EXPECT_EQ(s.bar(), (PixelRect{49, 0, 68, 20}));
  EXPECT_EQ(s.partAt(40, 5), RangeSliderPart::LeftThumb);
  EXPECT_EQ(s.partAt(131, 19), RangeSliderPart::RightThumb);
  EXPECT_EQ(s.partAt(49, 0), RangeSliderPart::Bar);
  EXPECT_EQ(s.partAt(33, 5), RangeSliderPart::None);
  EXPECT_EQ(s.partAt(132, 5), RangeSliderPart::None);
  EXPECT_EQ(s.partAt(80, 20), RangeSliderPart::None);
  s.setValues(100, 100);
  EXPECT_EQ(s.rightThumb().x + s.rightThumb().width, 200) << "the right thumb ends at the right edge";
  EXPECT_EQ(s.bar().width, 0);
}

TEST(RangeSliderModelTest, DraggingMovesThePartGrabbedAndStopsAtTheBounds) {
  RangeSliderModel s = slider();
  EXPECT_FALSE(s.press(10, 5)) << "outside every part";
  EXPECT_FALSE(s.dragTo(100));
  EXPECT_DOUBLE_EQ(s.left(), 20);

  // The left thumb, grabbed 3 pixels right of its centre (41.5), moved by 17 pixels: 10 units.
  ASSERT_TRUE(s.press(44, 5));
  EXPECT_EQ(s.dragTo(44), RangeChange::Left);
  EXPECT_DOUBLE_EQ(s.left(), 20) << "a press without a move changes nothing";
  s.dragTo(61);
  EXPECT_DOUBLE_EQ(s.left(), 30);
  s.dragTo(190);
  EXPECT_DOUBLE_EQ(s.left(), 60) << "not past the right value";
  s.dragTo(-50);
  EXPECT_DOUBLE_EQ(s.left(), 0);
  s.release();
  EXPECT_FALSE(s.dragTo(100));

  ASSERT_TRUE(s.press(124, 5));
  EXPECT_EQ(s.dragTo(158), RangeChange::Right);
  EXPECT_NEAR(s.right(), 80, 1e-9);
  s.dragTo(400);
  EXPECT_DOUBLE_EQ(s.right(), 100);
  s.dragTo(-400);
  EXPECT_DOUBLE_EQ(s.right(), 0) << "not before the left value";
  s.release();

  s.setValues(20, 60);
  ASSERT_TRUE(s.press(80, 5));  // the bar's centre is at 83
  EXPECT_EQ(s.dragTo(97), RangeChange::Both);
  EXPECT_DOUBLE_EQ(s.left(), 30);
  EXPECT_DOUBLE_EQ(s.right(), 70);
  s.dragTo(1000);
  EXPECT_DOUBLE_EQ(s.left(), 60);
  EXPECT_DOUBLE_EQ(s.right(), 100) << "the distance stays when the bar stops at the end";
  s.dragTo(-1000);
  EXPECT_DOUBLE_EQ(s.left(), 0);
  EXPECT_DOUBLE_EQ(s.right(), 40);
}

TEST(RangeSliderModelTest, ArrowKeysMoveWholeStepsWithinTheLength) {
  RangeSliderModel s = slider();
  const double step = 100.0 / 170;
  EXPECT_EQ(s.step(+1, false), RangeChange::Both);
  EXPECT_DOUBLE_EQ(s.left(), 35 * step);
  EXPECT_DOUBLE_EQ(s.right(), 103 * step);
  EXPECT_EQ(s.step(-1, true), RangeChange::Right) << "with Shift the end alone moves";
  EXPECT_DOUBLE_EQ(s.left(), 35 * step);
  EXPECT_DOUBLE_EQ(s.right(), 102 * step);

  s.setValues(0, 100);
  EXPECT_FALSE(s.step(-1, false)) << "the start cannot go below step 0";
  EXPECT_FALSE(s.step(+1, false)) << "the end cannot go beyond step L";
  EXPECT_FALSE(s.step(+1, true));
  s.setValues(50, 50);
  EXPECT_FALSE(s.step(-1, true)) << "the end cannot pass the start";
  EXPECT_DOUBLE_EQ(s.right(), 50);

  RangeSliderModel empty;
  empty.setClientSize(200, 20);
  empty.setRange(0, 0);
  EXPECT_FALSE(empty.step(+1, false)) << "a range of 0 to 0 has no step";
  ASSERT_TRUE(empty.press(5, 5));
  empty.dragTo(150);
  EXPECT_DOUBLE_EQ(empty.right(), 0);
}

TEST(RangeSliderModelTest, SettingTheRangeOrValuesKeepsThemInBoundsAndSaysWhatMoved) {
  RangeSliderModel s = slider();
  EXPECT_EQ(s.setValues(-5, 120), (std::vector<RangeChange>{RangeChange::Left, RangeChange::Right}));
  EXPECT_DOUBLE_EQ(s.left(), 0);
  EXPECT_DOUBLE_EQ(s.right(), 100);
  EXPECT_TRUE(s.setValues(10, 90).empty());
  EXPECT_EQ(s.setValues(70, 40), std::vector<RangeChange>{RangeChange::Right});
  EXPECT_DOUBLE_EQ(s.right(), 70);
  EXPECT_EQ(s.setRange(0, 50), (std::vector<RangeChange>{RangeChange::Left, RangeChange::Right}));
  EXPECT_DOUBLE_EQ(s.left(), 50);
  EXPECT_EQ(s.setRange(60, 10), (std::vector<RangeChange>{RangeChange::Left, RangeChange::Right}));
  EXPECT_DOUBLE_EQ(s.maximum(), 60) << "a maximum below the minimum becomes the minimum";
  EXPECT_DOUBLE_EQ(s.left(), 60);
}

}  // namespace
}  // namespace tarvosk
