// What a search looks for besides the name: size, modification date and content.
#pragma once

#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

namespace tarvosk {

struct SearchCriteria {
  bool sizeEnabled = false;
  bool atLeast = true;           // "最少" (strictly greater); false for "最多" (at most)
  std::uint64_t sizeLimit = 0;   // bytes
  bool dateEnabled = false;
  FILETIME dateFrom{};           // local date and time, inclusive
  FILETIME dateTo{};             // local date and time, inclusive
  bool hex = false;
  bool matchCase = false;
  std::u16string contentText;    // empty: no content test
};

// "最后两天期间": from 48 hours before now to now, in local time.
void setLastTwoDays(SearchCriteria& criteria);

}  // namespace tarvosk
