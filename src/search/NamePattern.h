// Name patterns of the search: "*" any run of characters, "?" one character, "[...]" one
// character of a set ("!" first negates, "a-c" a range, "]" first is literal). Names and
// patterns compare in lower case; the pattern must match the whole name.
#pragma once

#include <string>
#include <string_view>

namespace tarvosk {

// A "[" that is never closed makes the name not match.
bool MatchNamePattern(std::u16string_view pattern, std::u16string_view name);
// The same with a pattern whose characters were folded already (folded(), CaseFolding.h): a
// search folds its pattern once for all the names it tests.
bool MatchFoldedNamePattern(std::u16string_view foldedPattern, std::u16string_view name);

}  // namespace tarvosk
