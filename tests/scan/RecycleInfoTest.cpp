// The "$I" files of the recycle bin of Windows Vista and later, from hand-built bytes: the
// edges of both versions that no tool here makes.
#include <gtest/gtest.h>

#include <vector>

#include "scan/RecycleInfo.h"

namespace tarvosk::test {
namespace {

constexpr std::uint64_t kTwoTo63 = std::uint64_t{1} << 63;

// A "$I" of that version: version 1 holds the path in 260 units, version 2 a count of units
// (the path's and a terminator's, unless given) and the path with its terminator.
std::vector<std::uint8_t> info(std::uint64_t version, std::uint64_t size, const std::u16string& path,
                               std::int64_t units = -1) {
  std::vector<std::uint8_t> bytes(24, 0);
  putLe64(bytes.data(), version);
  putLe64(bytes.data() + 8, size);
  putLe64(bytes.data() + 16, 133300884300000000ull);
  std::u16string body = path;
  if (version == 1) {
    body.resize(260, 0);
  } else {
    body += u'\0';
    std::uint32_t count = units < 0 ? static_cast<std::uint32_t>(body.size()) : static_cast<std::uint32_t>(units);
    bytes.resize(28);
    putLe32(bytes.data() + 24, count);
  }
  for (char16_t c : body) {
    bytes.push_back(static_cast<std::uint8_t>(c));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}

struct Case {
  const char* what;
  std::vector<std::uint8_t> bytes;
  RecycleInfoFault fault;
  std::u16string path;  // when well formed
};

TEST(RecycleInfo, BothVersionsAndEveryReasonToRefuse) {
  std::u16string longest(260, u'x');
  longest.replace(0, 3, u"C:\\");
  std::vector<std::uint8_t> v1 = info(1, 5, u"C:\\Docs\\a.txt");
  std::vector<std::uint8_t> truncatedV1(v1.begin(), v1.end() - 1);
  std::vector<std::uint8_t> v2 = info(2, 5, u"C:\\a");
  std::vector<std::uint8_t> v2NoTerminator = info(2, 5, u"C:\\b.txt", 8);
  v2NoTerminator.resize(v2NoTerminator.size() - 2);
  const Case cases[] = {
      {"version 1", v1, RecycleInfoFault::None, u"C:\\Docs\\a.txt"},
      {"version 1, 260 units without a terminator", info(1, 5, longest), RecycleInfoFault::None, longest},
      {"version 1 one byte short", truncatedV1, RecycleInfoFault::TooShort, u""},
      {"version 2, Chinese", info(2, 5, u"C:\\照片\\旅行 2023"), RecycleInfoFault::None, u"C:\\照片\\旅行 2023"},
      {"version 2 without a terminator", v2NoTerminator, RecycleInfoFault::None, u"C:\\b.txt"},
      {"version 2, a size just below 2^63", info(2, kTwoTo63 - 1, u"C:\\c"), RecycleInfoFault::None, u"C:\\c"},
      {"version 2 without its count", std::vector<std::uint8_t>(v2.begin(), v2.begin() + 27), RecycleInfoFault::TooShort, u""},
      {"shorter than the fixed fields", std::vector<std::uint8_t>(23, 0), RecycleInfoFault::TooShort, u""},
      {"longer than any path", std::vector<std::uint8_t>(kMaxRecycleInfoSize + 1, 0), RecycleInfoFault::TooLong, u""},
      {"version 0", info(0, 5, u"C:\\a"), RecycleInfoFault::UnknownVersion, u""},
      {"version 3", info(3, 5, u"C:\\a"), RecycleInfoFault::UnknownVersion, u""},
      {"a count one past the end", info(2, 5, u"C:\\a", 6), RecycleInfoFault::PathPastEnd, u""},
      {"a count of 2^32 - 1", info(2, 5, u"C:\\a", 0xFFFFFFFF), RecycleInfoFault::PathPastEnd, u""},
      {"a size of 2^63", info(2, kTwoTo63, u"C:\\a"), RecycleInfoFault::SizeOutOfRange, u""},
      {"version 1, a size of 2^64 - 1", info(1, ~std::uint64_t{0}, u"C:\\a"), RecycleInfoFault::SizeOutOfRange, u""},
      {"an empty path", info(2, 5, u""), RecycleInfoFault::EmptyPath, u""},
      {"a count of 0", info(2, 5, u"C:\\a", 0), RecycleInfoFault::EmptyPath, u""},
      {"version 1, an empty path", info(1, 5, u""), RecycleInfoFault::EmptyPath, u""},
      {"a path that names a folder only", info(2, 5, u"C:\\Docs\\"), RecycleInfoFault::NoName, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecycleInfo parsed;
    EXPECT_EQ(parseRecycleInfo(c.bytes, parsed), c.fault);
    if (c.fault != RecycleInfoFault::None) continue;
    EXPECT_EQ(parsed.originalPath, c.path);
    EXPECT_EQ(parsed.deletedAt.dwLowDateTime, static_cast<DWORD>(133300884300000000ull));
  }
  RecycleInfo parsed;
  ASSERT_EQ(parseRecycleInfo(v1, parsed), RecycleInfoFault::None);
  EXPECT_EQ(parsed.size, 5u);
  EXPECT_EQ(v1.size(), kRecycleInfoV1Size);
}

TEST(RecycleInfo, NamesPairByTheirSuffixAndADeletedFatNameMayHaveLostItsDollar) {
  EXPECT_TRUE(isRecycleInfoName(u"$IK3Z9AB.JPG", false));
  EXPECT_TRUE(isRecycleInfoName(u"$ik3z9ab.jpg", false));
  EXPECT_FALSE(isRecycleInfoName(u"$I", false)) << "no suffix";
  EXPECT_FALSE(isRecycleInfoName(u"$RK3Z9AB.JPG", false));
  EXPECT_TRUE(isRecycleItemName(u"$RK3Z9AB.JPG", false));
  EXPECT_FALSE(isRecycleInfoName(u"?IK3Z9AB.JPG", false));
  EXPECT_TRUE(isRecycleInfoName(u"?IK3Z9AB.JPG", true));
  EXPECT_TRUE(isRecycleItemName(u"?RK3Z9AB.JPG", true));
  EXPECT_EQ(recycleSuffixKey(u"$rk3z9ab.jpg"), recycleSuffixKey(u"?IK3Z9AB.JPG"));
  EXPECT_EQ(recycleSuffixKey(u"?RFOLD01"), recycleSuffixKey(u"?IFOLD01.")) << "FAT short names without an extension";
  EXPECT_NE(recycleSuffixKey(u"$RK3Z9AC.JPG"), recycleSuffixKey(u"$IK3Z9AB.JPG"));
  EXPECT_EQ(recycleItemNameFor(u"$I4QX2M1.txt"), u"$R4QX2M1.txt");
}

}  // namespace
}  // namespace tarvosk::test
