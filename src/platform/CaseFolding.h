// Names compared without regard to case, as Windows compares file, key and value names: simple
// case folding of the alphabets names are likely written in.
#pragma once

#include <string>
#include <string_view>

namespace tarvosk {

// The lower-case form of c: ASCII, Latin-1 and Latin Extended, Greek, Cyrillic, Armenian,
// Roman numerals, circled and full-width letters; every other character is its own fold.
char16_t foldCase(char16_t c);
std::u16string folded(std::u16string_view text);
bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b);
// Orders a and b by their folded characters: negative, zero or positive, as a comes first,
// compares equal or comes last (a prefix comes before its longer names).
int compareIgnoreCase(std::u16string_view a, std::u16string_view b);
// Whether text begins with prefix, compared without regard to case.
bool startsWithIgnoreCase(std::u16string_view text, std::u16string_view prefix);

}  // namespace tarvosk
