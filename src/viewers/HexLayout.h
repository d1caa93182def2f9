// The arithmetic of the hex view, apart from any window: a buffer shown as lines of 16 bytes, each
// line an address, the bytes in hexadecimal and the bytes as characters, measured in the cells
// of a fixed-width font.
//
//   00000000  4D 5A 90 00 03 00 00 00  04 00 00 00 FF FF 00 00  MZ..............
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tarvosk {

class HexLayout {
 public:
  static constexpr unsigned kBytesPerLine = 16;
  static constexpr unsigned kAddressCells = 8;

  explicit HexLayout(std::uint64_t size) : size_(size) {}

  std::uint64_t size() const { return size_; }
  std::uint64_t lineCount() const { return (size_ + kBytesPerLine - 1) / kBytesPerLine; }
  // The first cell of a byte's two digits, and of its character.
  static unsigned hexCell(unsigned byteInLine);
  static unsigned characterCell(unsigned byteInLine);
  // The cells of a whole line.
  static unsigned lineCells();

  // The byte under a cell of a line: a digit or the blank after it counts for the byte, as does
  // its character. Nothing between the columns or past the end of the buffer.
  struct Hit {
    std::uint64_t offset = 0;
    bool inCharacters = false;
  };
  std::optional<Hit> byteAt(std::uint64_t line, unsigned cell) const;

  static std::string addressText(std::uint64_t line);
  static std::string hexText(std::uint8_t byte);
  // Printable ASCII as itself, every other byte as ".".
  static char characterOf(std::uint8_t byte);
  // A whole line of bytes (those of the buffer from the line's first offset).
  std::string lineText(std::span<const std::uint8_t> bytes, std::uint64_t line) const;
  // What a copy of a selection puts on the clipboard: the bytes as blank-separated hex pairs, or
  // as characters when the selection was made in the character column.
  static std::string copyText(std::span<const std::uint8_t> selection, bool asCharacters);

 private:
  std::uint64_t size_;
};

}  // namespace tarvosk
