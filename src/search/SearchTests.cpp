#include "search/SearchTests.h"

#include <algorithm>

#include "platform/CodePage.h"
#include "platform/Time.h"

namespace tarvosk {

namespace {

constexpr std::size_t kMaxPatternBytes = 255;
constexpr std::size_t kMaxHexCharacters = 2 * kMaxPatternBytes;

int hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// One hexadecimal number of one or two digits; a character that is not a digit ends it.
std::uint8_t parseHexByte(std::u16string_view digits) {
  unsigned value = 0;
  for (char16_t c : digits) {
    int d = hexDigit(c);
    if (d < 0) break;
    value = value * 16 + static_cast<unsigned>(d);
  }
  return static_cast<std::uint8_t>(value);
}

}  // namespace

void setLastTwoDays(SearchCriteria& criteria) {
  FILETIME nowUtc{}, now{};
  GetSystemTimeAsFileTime(&nowUtc);
  FileTimeToLocalFileTime(&nowUtc, &now);
  constexpr std::uint64_t kTwoDays = 172800ull * 10000000ull;
  criteria.dateTo = now;
  criteria.dateFrom = makeFileTime(fileTimeValue(now) - kTwoDays);
}

bool PassesSizeTest(const SearchCriteria& criteria, std::uint64_t size) {
  if (!criteria.sizeEnabled) return true;
  return criteria.atLeast ? size > criteria.sizeLimit : size <= criteria.sizeLimit;
}

bool PassesDateTest(const SearchCriteria& criteria, const FILETIME& localModified) {
  if (!criteria.dateEnabled) return true;
  return CompareFileTime(&criteria.dateFrom, &localModified) <= 0 && CompareFileTime(&localModified, &criteria.dateTo) <= 0;
}

bool PassesDateTest(const SearchCriteria& criteria, std::uint16_t dosDate, std::uint16_t dosTime) {
  if (!criteria.dateEnabled) return true;
  FILETIME modified{};
  if (!DosDateTimeToFileTime(dosDate, dosTime, &modified)) return false;
  return PassesDateTest(criteria, modified);
}

std::vector<std::uint8_t> BuildContentPattern(const SearchCriteria& criteria) {
  std::vector<std::uint8_t> pattern;
  if (criteria.hex) {
    std::u16string_view text(criteria.contentText);
    text = text.substr(0, kMaxHexCharacters);
    for (std::size_t i = 0; i < text.size(); i += 2) pattern.push_back(parseHexByte(text.substr(i, 2)));
  } else {
    std::string ansi = wideToAnsi(criteria.contentText);
    pattern.assign(ansi.begin(), ansi.begin() + static_cast<std::ptrdiff_t>(std::min(ansi.size(), kMaxPatternBytes)));
  }
  return pattern;
}

ClusterContentSearch::ClusterContentSearch(std::vector<std::uint8_t> pattern, bool caseSensitive)
    : pattern_(std::move(pattern)), matcher_(pattern_, caseSensitive) {}

// The cluster is searched where it lies; only a match that starts in the carried bytes is looked
// for in a copy, of the carried bytes and as much of the cluster as such a match can reach.
bool ClusterContentSearch::feed(ByteSpan cluster) {
  const std::size_t reach = pattern_.size() - 1;
  if (!carried_.empty()) {
    boundary_.assign(carried_.begin(), carried_.end());
    boundary_.insert(boundary_.end(), cluster.begin(), cluster.begin() + static_cast<std::ptrdiff_t>(std::min(cluster.size(), reach)));
    if (matcher_.find(boundary_) != BoyerMoore::npos) return true;
  }
  if (matcher_.find(cluster) != BoyerMoore::npos) return true;
  if (cluster.size() >= reach) {
    carried_.assign(cluster.end() - static_cast<std::ptrdiff_t>(reach), cluster.end());
  } else {
    carried_.insert(carried_.end(), cluster.begin(), cluster.end());
    if (carried_.size() > reach) carried_.erase(carried_.begin(), carried_.end() - static_cast<std::ptrdiff_t>(reach));
  }
  return false;
}

}  // namespace tarvosk
