// The volume's up-case table, by which exFAT compares names without regard to case.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/ByteOrder.h"

namespace tarvosk {

class UpcaseTable {
 public:
  // Expands a table as stored: each 16-bit value maps the next character, and 0xFFFF followed
  // by a count maps that many characters to themselves. Characters beyond the table map to
  // themselves. Stops at 65536 characters.
  void load(ByteSpan stored);
  bool loaded() const { return !map_.empty(); }
  char16_t upcase(char16_t c) const { return c < map_.size() ? map_[c] : c; }
  // Two names equal once up-cased; without a table, by the platform's case folding.
  bool sameName(std::u16string_view a, std::u16string_view b) const;

 private:
  std::vector<char16_t> map_;
};

// The table checksum its directory entry carries: the boot checksum's rotation over every byte.
std::uint32_t upcaseTableChecksum(ByteSpan stored);

}  // namespace tarvosk
