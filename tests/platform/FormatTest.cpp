#include "platform/Format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace tarvosk {
namespace {

TEST(FormatIntegers, WidthFlagsAndPrecision) {
  EXPECT_EQ(format(u"%02d", 5), u"05");
  EXPECT_EQ(format(u"%-4d|", 7), u"7   |");
  EXPECT_EQ(format(u"%5d|%-5i|", -42, 42), u"  -42|42   |");
  EXPECT_EQ(format(u"%+d % d %+d", 3, 3, -3), u"+3  3 -3");
  EXPECT_EQ(format(u"%05d", -42), u"-0042");
  EXPECT_EQ(format(u"%.3d|%6.3d", 7, -7), u"007|  -007");
  // A precision turns the zero flag off, and precision 0 prints no digits for zero.
  EXPECT_EQ(format(u"%08.3d|%.0d|", 5, 0), u"     005||");
  EXPECT_EQ(format(u"%u", 4000000000u), u"4000000000");
}

TEST(FormatIntegers, HexAndOctal) {
  EXPECT_EQ(format(u"%x %X %o", 255, 255, 8), u"ff FF 10");
  EXPECT_EQ(format(u"%#x %#X %#o %#x", 255, 255, 8, 0), u"0xff 0XFF 010 0");
  EXPECT_EQ(format(u"%08X", 0xBEEFu), u"0000BEEF");
  EXPECT_EQ(format(u"%#010x", 0xBEEFu), u"0x0000beef");
}

TEST(FormatIntegers, ThirtyTwoBitConversionsCutWiderValues) {
  const std::uint64_t wide = 0x123456789ABCDEF0ull;
  EXPECT_EQ(format(u"%x", wide), u"9abcdef0");
  EXPECT_EQ(format(u"%u", std::int64_t{-1}), u"4294967295");
  EXPECT_EQ(format(u"%d", std::uint64_t{0xFFFFFFFFull}), u"-1");
  EXPECT_EQ(format(u"%d", std::int64_t{0x100000005ll}), u"5");
  EXPECT_EQ(format(u"%ld %lu", std::int64_t{0x1FFFFFFFFll}, std::int64_t{0x1FFFFFFFFll}), u"-1 4294967295");
  EXPECT_EQ(format(u"%hd %hu", 70000, 70000), u"4464 4464");
  EXPECT_EQ(format(u"%hd", 0x8000), u"-32768");
}

TEST(FormatIntegers, SixtyFourBitConversions) {
  EXPECT_EQ(format(u"%I64d", std::numeric_limits<std::int64_t>::min()), u"-9223372036854775808");
  EXPECT_EQ(format(u"%I64u", std::numeric_limits<std::uint64_t>::max()), u"18446744073709551615");
  EXPECT_EQ(format(u"%I64x|%I64X", 0x123456789ABCDEF0ull, 0xABCull << 40), u"123456789abcdef0|ABC0000000000");
  EXPECT_EQ(format(u"%lld %llu", std::int64_t{-5000000000ll}, 5000000000ull), u"-5000000000 5000000000");
  EXPECT_EQ(format(u"%I64d", -1), u"-1");
}

TEST(FormatIntegers, StarTakesWidthAndPrecisionFromArguments) {
  EXPECT_EQ(format(u"%*d|", 5, 42), u"   42|");
  EXPECT_EQ(format(u"%*d|", -5, 42), u"42   |");
  EXPECT_EQ(format(u"%.*d", 4, 7), u"0007");
  EXPECT_EQ(format(u"%*.*s|", 6, 2, u"abcdef"), u"    ab|");
  // A negative precision counts as none.
  EXPECT_EQ(format(u"%.*s", -1, u"abc"), u"abc");
}

TEST(FormatIntegers, TypedArgumentsConvertByValue) {
  enum class Colour : std::uint8_t { Red = 3 };
  EXPECT_EQ(format(u"%d %d %d", Colour::Red, true, 'A'), u"3 1 65");
  EXPECT_EQ(format(u"%d", 3.9), u"3");
  EXPECT_EQ(format(u"%d", std::int8_t{-1}), u"-1");
  EXPECT_EQ(format(u"%u", std::int8_t{-1}), u"4294967295");
  EXPECT_EQ(format(u"%d", u"text"), u"0");
}

TEST(FormatDoubles, FixedExponentAndGeneral) {
  EXPECT_EQ(format(u"%.1f", 2.25), u"2.2");
  EXPECT_EQ(format(u"%.2f", 1.005), u"1.00");
  EXPECT_EQ(format(u"%8.3f|%-8.2f|", 3.14159, 2.5), u"   3.142|2.50    |");
  EXPECT_EQ(format(u"%+.0f %08.2f", 2.0, -1.5), u"+2 -0001.50");
  EXPECT_EQ(format(u"%e", 12345.678), u"1.234568e+04");
  EXPECT_EQ(format(u"%g %g %g", 0.0001, 0.00001, 1234567.0), u"0.0001 1e-05 1.23457e+06");
  EXPECT_EQ(format(u"%.1f", 3), u"3.0");
  EXPECT_EQ(format(u"%*.*f", 7, 1, 9.96), u"   10.0");
}

TEST(FormatStrings, WideAndNarrow) {
  EXPECT_EQ(format(u"[%s] [%ws] [%S] [%hs]", u"wide", u"ws", "narrow", "hs"), u"[wide] [ws] [narrow] [hs]");
  EXPECT_EQ(format(u"%5S|", "ab"), u"   ab|");
  EXPECT_EQ(format(u"%4S|", "abcdef"), u"abcdef|");
  EXPECT_EQ(format(u"%-5s|", u"ab"), u"ab   |");
  EXPECT_EQ(format(u"%.2s|%.3S|", u"abcdef", "abcdef"), u"ab|abc|");
  EXPECT_EQ(format(u"%.10s|", u"ab"), u"ab|");
}

TEST(FormatStrings, MismatchedKindPrintsTheStringAnyway) {
  EXPECT_EQ(format(u"%s", "narrow"), u"narrow");
  EXPECT_EQ(format(u"%S", u"wide"), u"wide");
  // GBK bytes of 中文 through the ANSI code page.
  EXPECT_EQ(format(u"%s|%S", "\xD6\xD0\xCE\xC4", "\xD6\xD0"), u"中文|中");
}

TEST(FormatStrings, ChineseAndNonCharacterArguments) {
  EXPECT_EQ(format(u"正在扫描 %s：%d 个文件", u"C:\\数据", 12), u"正在扫描 C:\\数据：12 个文件");
  EXPECT_EQ(format(u"%3s|", u"文件"), u" 文件|");
  const char16_t* nullWide = nullptr;
  const char* nullNarrow = nullptr;
  EXPECT_EQ(format(u"%s %S", nullWide, nullNarrow), u"(null) (null)");
  EXPECT_EQ(format(u"%s", 42), u"(null)");
  EXPECT_EQ(format(u"%8s|", nullWide), u"  (null)|");
}

TEST(FormatStrings, PrecisionNeverSplitsASurrogatePair) {
  const std::u16string emoji = u"\U0001F600x";
  EXPECT_EQ(format(u"%.1s|", emoji), u"|");
  EXPECT_EQ(format(u"%.2s|", emoji), u"\U0001F600|");
}

TEST(FormatCharacters, WideAndNarrow) {
  EXPECT_EQ(format(u"%c%c", u'中', u'!'), u"中!");
  EXPECT_EQ(format(u"%C%hc", 'A', 'b'), u"Ab");
  EXPECT_EQ(format(u"%3c|%-3c|", u'x', u'y'), u"  x|y  |");
  EXPECT_EQ(format(u"%c", 0x41), u"A");
}

TEST(FormatOther, PointerPercentAndUnknown) {
  const void* p = reinterpret_cast<const void*>(std::uintptr_t{0x12AB});
  EXPECT_EQ(format(u"%p", p), sizeof(void*) == 8 ? u"00000000000012AB" : u"000012AB");
  EXPECT_EQ(format(u"100%% done"), u"100% done");
  EXPECT_EQ(format(u"%y %5k|", 1), u"%y %5k|");
  EXPECT_EQ(format(u"tail %"), u"tail %");
  EXPECT_EQ(format(u"tail %-0"), u"tail %-0");
  EXPECT_EQ(format(u"%I64"), u"%I64");
}

TEST(FormatOther, MissingArgumentsAreZeroOrEmpty) {
  EXPECT_EQ(format(u"%d|%s|%x|%.1f|%c|", 1), u"1||0|0.0||");
  EXPECT_EQ(format(u"%05d", 0), u"00000");
}

TEST(FormatInto, CutsAtCapacity) {
  char16_t buffer[8];
  EXPECT_EQ(formatInto(buffer, 4, u"hello"), 3u);
  EXPECT_EQ(std::u16string(buffer), u"hel");
  EXPECT_EQ(formatInto(buffer, 6, u"%d", 12345), 5u);
  EXPECT_EQ(std::u16string(buffer), u"12345");
  EXPECT_EQ(formatInto(buffer, 1, u"abc"), 0u);
  EXPECT_EQ(buffer[0], u'\0');
  buffer[0] = u'x';
  EXPECT_EQ(formatInto(buffer, 0, u"abc"), 0u);
  EXPECT_EQ(buffer[0], u'x');
}

TEST(FormatInto, DropsAPairThatWouldBeCut) {
  char16_t buffer[8];
  const std::u16string emoji = u"\U0001F600";
  // "ab" + pair needs 4 units and a terminator: with 4 the pair goes entirely.
  EXPECT_EQ(formatInto(buffer, 4, u"ab%s", emoji), 2u);
  EXPECT_EQ(std::u16string(buffer), u"ab");
  EXPECT_EQ(formatInto(buffer, 5, u"ab%s", emoji), 4u);
  EXPECT_EQ(std::u16string(buffer), u"ab" + emoji);
  EXPECT_EQ(formatInto(buffer, 2, u"%s", emoji), 0u);
  EXPECT_EQ(buffer[0], u'\0');
}

}  // namespace
}  // namespace tarvosk
