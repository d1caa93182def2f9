#include "fat/DirectoryEntry.h"

namespace tarvosk {

namespace {

void widenUntilBlank(ByteSpan slot, std::size_t offset, std::size_t length, std::u16string& out) {
  for (std::size_t i = 0; i < length; ++i) {
    std::uint8_t c = le8(slot, offset + i);
    if (c == ' ') break;
    out.push_back(static_cast<char16_t>(c));
  }
}

// Copies one part; false when it began with the filler (the parts after it are skipped too).
bool copyPart(ByteSpan slot, std::size_t offset, std::size_t count, char16_t* to) {
  for (std::size_t i = 0; i < count; ++i) {
    char16_t c = le16(slot, offset + 2 * i);
    if (c == fatdir::kUnusedNameChar) return i != 0;
    to[i] = c;
  }
  return true;
}

}  // namespace

std::u16string shortEntryName(ByteSpan slot, bool folder) {
  std::u16string name;
  widenUntilBlank(slot, fatdir::kBaseName, fatdir::kBaseNameLength, name);
  if (!folder) {
    name.push_back(u'.');
    widenUntilBlank(slot, fatdir::kExtension, fatdir::kExtensionLength, name);
  }
  return name;
}

void copyFragmentCharacters(ByteSpan slot, char16_t (&chars)[fatdir::kFragmentChars]) {
  if (!copyPart(slot, fatdir::kFragmentPart1, fatdir::kFragmentPart1Chars, chars)) return;
  if (!copyPart(slot, fatdir::kFragmentPart2, fatdir::kFragmentPart2Chars, chars + fatdir::kFragmentPart1Chars)) return;
  copyPart(slot, fatdir::kFragmentPart3, fatdir::kFragmentPart3Chars,
           chars + fatdir::kFragmentPart1Chars + fatdir::kFragmentPart2Chars);
}

bool isShortNameCharacter(std::uint8_t c) {
  static constexpr char kAllowed[] = " $%'-_@~`!(){}^#&";
  if (c >= 0x80) return true;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  for (const char* p = kAllowed; *p; ++p)
    if (c == static_cast<std::uint8_t>(*p)) return true;
  return false;
}

bool hasValidShortNameCharacters(ByteSpan slot) {
  for (std::size_t i = 0; i < fatdir::kNameLength; ++i)
    if (!isShortNameCharacter(le8(slot, i))) return false;
  return true;
}

std::uint8_t shortNameChecksum(ByteSpan slot) {
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i < fatdir::kNameLength; ++i)
    sum = static_cast<std::uint8_t>(((sum & 1) << 7) + (sum >> 1) + le8(slot, i));
  return sum;
}

}  // namespace tarvosk
