#include "viewers/HexLayout.h"

namespace tarvosk {

namespace {

// Two blanks after the address and before the characters; one more in the middle of the bytes.
constexpr unsigned kHexStart = HexLayout::kAddressCells + 2;
constexpr unsigned kHalfLine = HexLayout::kBytesPerLine / 2;
constexpr unsigned kCharacterStart = kHexStart + 3 * HexLayout::kBytesPerLine + 1 + 1;
constexpr char kDigits[] = "0123456789ABCDEF";

}  // namespace

unsigned HexLayout::hexCell(unsigned byteInLine) { return kHexStart + 3 * byteInLine + (byteInLine >= kHalfLine ? 1 : 0); }
unsigned HexLayout::characterCell(unsigned byteInLine) { return kCharacterStart + byteInLine; }
unsigned HexLayout::lineCells() { return kCharacterStart + kBytesPerLine; }

std::optional<HexLayout::Hit> HexLayout::byteAt(std::uint64_t line, unsigned cell) const {
  std::optional<unsigned> byte;
  bool inCharacters = false;
  if (cell >= kCharacterStart && cell < lineCells()) {
    byte = cell - kCharacterStart;
    inCharacters = true;
  } else {
    for (unsigned i = 0; i < kBytesPerLine && !byte; ++i)
      if (cell >= hexCell(i) && cell <= hexCell(i) + 2) byte = i;
  }
  if (!byte || line >= lineCount()) return std::nullopt;
  std::uint64_t offset = line * kBytesPerLine + *byte;
  if (offset >= size_) return std::nullopt;
  return Hit{offset, inCharacters};
}

std::string HexLayout::addressText(std::uint64_t line) {
  std::string text(kAddressCells, '0');
  std::uint64_t address = line * kBytesPerLine;
  for (unsigned i = kAddressCells; i-- > 0; address >>= 4) text[i] = kDigits[address & 0xF];
  return text;
}

std::string HexLayout::hexText(std::uint8_t byte) { return {kDigits[byte >> 4], kDigits[byte & 0xF]}; }

char HexLayout::characterOf(std::uint8_t byte) { return byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.'; }

std::string HexLayout::lineText(std::span<const std::uint8_t> bytes, std::uint64_t line) const {
  std::string text(lineCells(), ' ');
  text.replace(0, kAddressCells, addressText(line));
  for (unsigned i = 0; i < kBytesPerLine; ++i) {
    std::uint64_t offset = line * kBytesPerLine + i;
    if (offset >= size_ || offset >= bytes.size()) break;
    text.replace(hexCell(i), 2, hexText(bytes[offset]));
    text[characterCell(i)] = characterOf(bytes[offset]);
  }
  return text;
}

std::string HexLayout::copyText(std::span<const std::uint8_t> selection, bool asCharacters) {
  std::string text;
  for (std::uint8_t byte : selection) {
    if (asCharacters) {
      text += characterOf(byte);
    } else {
      if (!text.empty()) text += ' ';
      text += hexText(byte);
    }
  }
  return text;
}

}  // namespace tarvosk
