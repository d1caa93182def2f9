#include "search/NamePattern.h"

#include "platform/CaseFolding.h"

namespace tarvosk {

namespace {

enum class SetMatch { Match, NoMatch, Unclosed };

// The pattern is folded already (MatchFoldedNamePattern) and c is folded.

// Tests c against the set that starts just after "[" at pattern[pos]; on return pos is just
// after the closing "]".
SetMatch matchSet(std::u16string_view pattern, std::size_t& pos, char16_t c) {
  bool negate = pos < pattern.size() && pattern[pos] == u'!';
  if (negate) ++pos;
  bool found = false;
  bool first = true;
  while (pos < pattern.size()) {
    char16_t p = pattern[pos];
    if (p == u']' && !first) {
      ++pos;
      return found != negate ? SetMatch::Match : SetMatch::NoMatch;
    }
    first = false;
    if (pos + 2 < pattern.size() && pattern[pos + 1] == u'-' && pattern[pos + 2] != u']') {
      char16_t high = pattern[pos + 2];
      if (p < high) {
        found = found || (c >= p && c <= high);
        pos += 3;
        continue;
      }
    }
    found = found || c == p;
    ++pos;
  }
  return SetMatch::Unclosed;
}

// Whether the pattern element at pos matches c; advances pos past it.
SetMatch matchOne(std::u16string_view pattern, std::size_t& pos, char16_t c) {
  char16_t p = pattern[pos++];
  if (p == u'?') return SetMatch::Match;
  if (p == u'[') return matchSet(pattern, pos, c);
  return p == c ? SetMatch::Match : SetMatch::NoMatch;
}

}  // namespace

// Glob matching with one backtrack point (the last "*"): linear in practice and never
// recursive, whatever the pattern.
bool MatchFoldedNamePattern(std::u16string_view pattern, std::u16string_view name) {
  std::size_t p = 0, n = 0;
  std::size_t starP = std::u16string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      starP = ++p;
      starN = n;
      continue;
    }
    if (p < pattern.size()) {
      std::size_t next = p;
      SetMatch m = matchOne(pattern, next, foldCase(name[n]));
      if (m == SetMatch::Unclosed) return false;
      if (m == SetMatch::Match) {
        p = next;
        ++n;
        continue;
      }
    }
    if (starP == std::u16string_view::npos) return false;
    p = starP;
    n = ++starN;
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

bool MatchNamePattern(std::u16string_view pattern, std::u16string_view name) {
  return MatchFoldedNamePattern(folded(pattern), name);
}

}  // namespace tarvosk
