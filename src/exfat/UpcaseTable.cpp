#include "exfat/UpcaseTable.h"

#include "exfat/ExfatChecksum.h"
#include "platform/CaseFolding.h"

namespace tarvosk {

namespace {
constexpr std::size_t kCharacters = 65536;
constexpr std::uint16_t kIdentityRun = 0xFFFF;
}  // namespace

void UpcaseTable::load(ByteSpan stored) {
  map_.clear();
  map_.reserve(kCharacters);
  for (std::size_t at = 0; at + 2 <= stored.size() && map_.size() < kCharacters; at += 2) {
    const std::uint16_t value = le16(stored, at);
    if (value == kIdentityRun && at + 4 <= stored.size()) {
      at += 2;
      for (std::size_t n = le16(stored, at); n > 0 && map_.size() < kCharacters; --n)
        map_.push_back(static_cast<char16_t>(map_.size()));
      continue;
    }
    map_.push_back(static_cast<char16_t>(value));
  }
}

bool UpcaseTable::sameName(std::u16string_view a, std::u16string_view b) const {
  if (!loaded()) return equalsIgnoreCase(a, b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upcase(a[i]) != upcase(b[i])) return false;
  return true;
}

std::uint32_t upcaseTableChecksum(ByteSpan stored) {
  std::uint32_t checksum = 0;
  for (std::uint8_t byte : stored) checksum = exfatChecksumStep32(checksum, byte);
  return checksum;
}

}  // namespace tarvosk
