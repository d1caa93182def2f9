// The tests a file passes to be a search result: name, size, date, content.
#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "platform/Time.h"
#include "search/NamePattern.h"
#include "search/SearchTests.h"

namespace tarvosk {
namespace {

TEST(NamePattern, StarsQuestionMarksAndCase) {
  EXPECT_TRUE(MatchNamePattern(u"*.jpg", u"IMG_0001.JPG"));
  EXPECT_FALSE(MatchNamePattern(u"*.jpg", u"a.jpeg"));
  EXPECT_TRUE(MatchNamePattern(u"file?.doc", u"file1.doc"));
  EXPECT_FALSE(MatchNamePattern(u"file?.doc", u"file10.doc"));
  EXPECT_TRUE(MatchNamePattern(u"*", u""));
  EXPECT_TRUE(MatchNamePattern(u"*", u"anything"));
  EXPECT_FALSE(MatchNamePattern(u"?", u""));
  EXPECT_TRUE(MatchNamePattern(u"a*b*c", u"aXXbYYc"));
  EXPECT_FALSE(MatchNamePattern(u"a*b*c", u"aXXcYYb"));
  EXPECT_TRUE(MatchNamePattern(u"*.*", u"x.y"));
  EXPECT_FALSE(MatchNamePattern(u"*.*", u"README")) << "no Windows *.* rule in search patterns";
  EXPECT_TRUE(MatchNamePattern(u"照片*", u"照片2026.JPG"));
}

TEST(NamePattern, Sets) {
  EXPECT_FALSE(MatchNamePattern(u"[!a-c]*", u"apple"));
  EXPECT_FALSE(MatchNamePattern(u"[!a-c]*", u"Cherry")) << "sets compare in lower case too";
  EXPECT_TRUE(MatchNamePattern(u"[!a-c]*", u"date"));
  EXPECT_TRUE(MatchNamePattern(u"[]]x", u"]x"));
  EXPECT_FALSE(MatchNamePattern(u"[]]x", u"ax"));
  EXPECT_TRUE(MatchNamePattern(u"[!]]x", u"ax"));
  EXPECT_TRUE(MatchNamePattern(u"[c-a]", u"-")) << "a backwards range is three characters";
  EXPECT_TRUE(MatchNamePattern(u"[c-a]", u"a"));
  EXPECT_FALSE(MatchNamePattern(u"[c-a]", u"b"));
  EXPECT_TRUE(MatchNamePattern(u"img[0-9][0-9].*", u"IMG42.png"));
  EXPECT_FALSE(MatchNamePattern(u"[abc", u"a")) << "an unclosed set never matches";
  EXPECT_FALSE(MatchNamePattern(u"*[abc", u"xxa"));
  EXPECT_TRUE(MatchNamePattern(u"*[abc]", u"xxa"));
}

// The other way round: patterns typed in capitals find names written in small letters, in
// literals, sets and ranges, beyond ASCII too.
TEST(NamePattern, UpperCasePatternsMatchLowerCaseNames) {
  struct Case {
    const char16_t* pattern;
    const char16_t* name;
    bool matches;
  };
  const Case cases[] = {
      {u"*.TXT", u"report.txt", true},         {u"REPORT.TXT", u"report.txt", true},
      {u"R?PORT.*", u"report.doc", true},      {u"*.TXT", u"report.txe", false},
      {u"[ABC]*", u"beta", true},              {u"[A-C]*", u"cherry", true},
      {u"[A-C]*", u"date", false},             {u"[!A-C]*", u"apple", false},
      {u"[!A-C]*", u"date", true},             {u"IMG[0-9]*.JPG", u"img7.jpg", true},
      {u"ÉTÉ*", u"été 2026.doc", true},        {u"ОТЧЁТ.*", u"отчёт.xls", true},
      {u"ΑΒΓ?", u"αβγδ", true},                {u"ÄRGER", u"ärgern", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchNamePattern(c.pattern, c.name), c.matches) << utf16ToUtf8(c.pattern) << " / " << utf16ToUtf8(c.name);
}

TEST(NamePattern, PathologicalPatternsFinishQuickly) {
  std::u16string name(10000, u'a');
  EXPECT_FALSE(MatchNamePattern(u"*a*a*a*a*a*a*a*a*a*a*b", name));
  EXPECT_TRUE(MatchNamePattern(u"*a*a*a*a*a*a*a*a*a*a*", name));
}

TEST(SizeTest, AtLeastIsStrictAtMostIsNot) {
  SearchCriteria c;
  EXPECT_TRUE(PassesSizeTest(c, 0)) << "no size test";
  c.sizeEnabled = true;
  c.sizeLimit = 10 * 1024;
  c.atLeast = true;
  EXPECT_FALSE(PassesSizeTest(c, 10240));
  EXPECT_TRUE(PassesSizeTest(c, 10241));
  c.atLeast = false;
  EXPECT_TRUE(PassesSizeTest(c, 10240));
  EXPECT_FALSE(PassesSizeTest(c, 10241));
}

// The DOS date and time of a local FILETIME.
void toDos(const FILETIME& local, WORD& date, WORD& time) { ASSERT_TRUE(FileTimeToDosDateTime(&local, &date, &time)); }

TEST(DateTest, TheLastTwoDaysAcceptFortySevenHoursAgoAndNotFortyNine) {
  SearchCriteria c;
  c.dateEnabled = true;
  setLastTwoDays(c);
  constexpr std::uint64_t kHour = 3600ull * 10000000ull;
  WORD date = 0, time = 0;
  toDos(makeFileTime(fileTimeValue(c.dateTo) - 47 * kHour), date, time);
  EXPECT_TRUE(PassesDateTest(c, date, time));
  toDos(makeFileTime(fileTimeValue(c.dateTo) - 49 * kHour), date, time);
  EXPECT_FALSE(PassesDateTest(c, date, time));
  EXPECT_FALSE(PassesDateTest(c, 0, 0)) << "no valid date: outside";
  c.dateEnabled = false;
  EXPECT_TRUE(PassesDateTest(c, 0, 0));
}

TEST(DateTest, BoundsAreInclusiveToTheSecond) {
  SearchCriteria c;
  c.dateEnabled = true;
  FILETIME from{}, to{};
  ASSERT_TRUE(DosDateTimeToFileTime(static_cast<WORD>((46 << 9) | (3 << 5) | 1), static_cast<WORD>(10 << 11), &from));
  ASSERT_TRUE(DosDateTimeToFileTime(static_cast<WORD>((46 << 9) | (3 << 5) | 2), static_cast<WORD>(10 << 11), &to));
  c.dateFrom = from;
  c.dateTo = to;
  EXPECT_TRUE(PassesDateTest(c, static_cast<WORD>((46 << 9) | (3 << 5) | 1), static_cast<WORD>(10 << 11)));
  EXPECT_TRUE(PassesDateTest(c, static_cast<WORD>((46 << 9) | (3 << 5) | 2), static_cast<WORD>(10 << 11)));
  EXPECT_FALSE(PassesDateTest(c, static_cast<WORD>((46 << 9) | (3 << 5) | 2), static_cast<WORD>((10 << 11) | 1)));
}

TEST(ContentPattern, HexDigitsTwoAtATimeAndTextInTheAnsiCodePage) {
  SearchCriteria c;
  c.hex = true;
  c.contentText = u"4D5A";
  EXPECT_EQ(BuildContentPattern(c), (std::vector<std::uint8_t>{0x4D, 0x5A}));
  c.contentText = u"4D5";
  EXPECT_EQ(BuildContentPattern(c), (std::vector<std::uint8_t>{0x4D, 0x05}));
  c.contentText = u"4Gzz7";
  EXPECT_EQ(BuildContentPattern(c), (std::vector<std::uint8_t>{0x04, 0x00, 0x07}));
  c.contentText = std::u16string(600, u'F');
  EXPECT_EQ(BuildContentPattern(c).size(), 255u);
  c.hex = false;
  c.contentText = u"中";
  EXPECT_EQ(BuildContentPattern(c), (std::vector<std::uint8_t>{0xD6, 0xD0}));
  c.contentText = std::u16string(300, u'中');
  EXPECT_EQ(BuildContentPattern(c).size(), 255u);
}

ByteSpan bytes(const std::string& s) { return ByteSpan(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }

TEST(ClusterContentSearch, FindsMatchesAcrossClusterBoundariesAndHonoursCase) {
  std::string first(512, 'x'), second(512, 'y'), third(512, 'z');
  second.replace(510, 2, "HE");
  third.replace(0, 3, "LLO");
  ClusterContentSearch insensitive({'h', 'e', 'l', 'l', 'o'}, false);
  EXPECT_FALSE(insensitive.feed(bytes(first)));
  EXPECT_FALSE(insensitive.feed(bytes(second)));
  EXPECT_TRUE(insensitive.feed(bytes(third))) << "straddles the second and third clusters";

  ClusterContentSearch sensitive({'h', 'e', 'l', 'l', 'o'}, true);
  sensitive.feed(bytes(first));
  sensitive.feed(bytes(second));
  EXPECT_FALSE(sensitive.feed(bytes(third)));

  ClusterContentSearch shortPieces({'h', 'e', 'l', 'l', 'o'}, false);
  EXPECT_FALSE(shortPieces.feed(bytes("xxHE")));
  EXPECT_FALSE(shortPieces.feed(bytes("L")));
  EXPECT_TRUE(shortPieces.feed(bytes("LOyy"))) << "a match over three pieces shorter than the pattern";
  shortPieces.reset();
  EXPECT_FALSE(shortPieces.feed(bytes("LOyy"))) << "the next file carries nothing of the one before";

  ClusterContentSearch gap({'H', 'E', 'L', 'L', 'O'}, true);
  gap.feed(bytes(second));
  gap.reset();
  EXPECT_FALSE(gap.feed(bytes(third))) << "a skipped stretch carries nothing";
}

}  // namespace
}  // namespace tarvosk
