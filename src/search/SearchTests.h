// The size, date and content tests that a file must pass to be a search result.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ByteOrder.h"
#include "search/SearchCriteria.h"
#include "types/BoyerMoore.h"

namespace tarvosk {

// "最少": strictly greater than the limit; "最多": at most the limit.
bool PassesSizeTest(const SearchCriteria& criteria, std::uint64_t size);

// The modification time (local) inside the bounds.
bool PassesDateTest(const SearchCriteria& criteria, const FILETIME& localModified);
// The same for an entry's DOS date and time, read as local time to the second; an entry
// without a valid DOS date lies outside every range.
bool PassesDateTest(const SearchCriteria& criteria, std::uint16_t dosDate, std::uint16_t dosTime);

// The bytes the content test looks for: hex digits two at a time (at most 255 bytes), or the
// text in the ANSI code page (at most 255 bytes).
std::vector<std::uint8_t> BuildContentPattern(const SearchCriteria& criteria);

// Searches a file's data cluster by cluster, carrying the last bytes of each cluster into the
// next search so that a match across a cluster boundary is found. One search serves every file
// of a run: reset() starts the next file.
class ClusterContentSearch {
 public:
  // pattern must not be empty.
  ClusterContentSearch(std::vector<std::uint8_t> pattern, bool caseSensitive);
  // Searches one more cluster (the last one may be short). True once the pattern is found.
  bool feed(ByteSpan cluster);
  // Forgets the carried bytes (the next file, or a gap in the data).
  void reset() { carried_.clear(); }

 private:
  std::vector<std::uint8_t> pattern_;
  BoyerMoore matcher_;
  std::vector<std::uint8_t> carried_;   // at most the pattern's length less one
  std::vector<std::uint8_t> boundary_;  // the carried bytes and the head of the next cluster
};

}  // namespace tarvosk
