// The hex view's arithmetic: where each byte's digits and character lie, which byte a cell
// belongs to, the line texts and what a copy puts on the clipboard.
#include <gtest/gtest.h>

#include "viewers/HexLayout.h"

namespace tarvosk {
namespace {

TEST(HexLayout, LinesShowTheAddressTheBytesAndTheirCharacters) {
  std::vector<std::uint8_t> bytes = {'M', 'Z', 0x90, 0x00, 0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 'x', 0x7F};
  HexLayout layout(bytes.size());
  EXPECT_EQ(layout.lineCount(), 2u);
  EXPECT_EQ(layout.lineText(bytes, 0), "00000000  4D 5A 90 00 03 00 00 00  04 00 00 00 FF FF 00 00  MZ..............");
  EXPECT_EQ(layout.lineText(bytes, 1), "00000010  78 7F" + std::string(45, ' ') + "x." + std::string(14, ' '));
  EXPECT_EQ(HexLayout::lineCells(), layout.lineText(bytes, 0).size());
  EXPECT_EQ(HexLayout(0).lineCount(), 0u);
  EXPECT_EQ(HexLayout(1808).lineCount(), 113u) << "the last cluster of a 10000-byte file";
  EXPECT_EQ(HexLayout::addressText(0x10000000), "00000000") << "eight digits; a unit is never that large";
  EXPECT_EQ(HexLayout::addressText(0xABC), "0000ABC0");
}

TEST(HexLayout, ACellBelongsToTheByteWhoseDigitsOrCharacterItShows) {
  HexLayout layout(20);
  struct Case {
    std::uint64_t line;
    unsigned cell;
    std::optional<std::uint64_t> offset;
    bool inCharacters;
  };
  const Case cases[] = {
      {0, 0, std::nullopt, false},             // the address
      {0, 9, std::nullopt, false},             // the blank before the bytes
      {0, 10, 0, false},  {0, 11, 0, false},  {0, 12, 0, false},  // digits and the blank after
      {0, 13, 1, false},  {0, 31, 7, false},  {0, 33, 7, false},
      {0, 34, std::nullopt, false},            // the gap in the middle
      {0, 35, 8, false},
      {0, 57, 15, false}, {0, 59, std::nullopt, false},
      {0, 60, 0, true},   {0, 75, 15, true},  {0, 76, std::nullopt, false},
      {1, 13, 17, false}, {1, 64, std::nullopt, true},  // past the end of the buffer
      {2, 10, std::nullopt, false},
  };
  for (const Case& c : cases) {
    std::optional<HexLayout::Hit> hit = layout.byteAt(c.line, c.cell);
    ASSERT_EQ(hit.has_value(), c.offset.has_value()) << "line " << c.line << " cell " << c.cell;
    if (!hit) continue;
    EXPECT_EQ(hit->offset, *c.offset) << "cell " << c.cell;
    EXPECT_EQ(hit->inCharacters, c.inCharacters) << "cell " << c.cell;
  }
  EXPECT_EQ(HexLayout::hexCell(8), HexLayout::hexCell(7) + 4);
}

TEST(HexLayout, ACopyIsHexPairsOrCharactersByTheColumnChosen) {
  const std::vector<std::uint8_t> bytes = {'O', 'K', 0x0A, 0xE4};
  EXPECT_EQ(HexLayout::copyText(bytes, false), "4F 4B 0A E4");
  EXPECT_EQ(HexLayout::copyText(bytes, true), "OK..");
  EXPECT_EQ(HexLayout::copyText({}, false), "");
}

}  // namespace
}  // namespace tarvosk
