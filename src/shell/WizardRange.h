// The scan wizard's range page without its window: how many units the chosen drive offers, and
// what typing into the start and end edits does to the range slider's values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "shell/RangeSliderModel.h"
#include "shell/ScanWizardChoices.h"

namespace tarvosk {

// The range's maximum: the volume's clusters for a physical scan (its total bytes over the
// bytes of a cluster), the drive's sectors for a thorough scan; 0 when they cannot be read.
std::uint64_t wizardUnitCount(WizardScanType type, const std::u16string& drive);

// A number typed into an edit, read as a signed 64-bit decimal the way the system's conversion
// reads it: leading blanks, a sign, digits up to the first other character (0 without any),
// held at the 64-bit limits.
std::int64_t typedNumber(std::u16string_view text);

struct RangeValues {
  double left = 0, right = 0;
};

// The start edit lost the focus: the number, raised to at least the minimum, becomes the left
// value, and the right value moves up to it if it lay below. The slider keeps the values in
// bounds when they are set.
RangeValues startTyped(const RangeSliderModel& range, std::u16string_view text);
// The end edit lost the focus: the number, lowered to at most the maximum, becomes the right
// value, and the left value moves down to it if it lay above.
RangeValues endTyped(const RangeSliderModel& range, std::u16string_view text);

}  // namespace tarvosk
