#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/WinError.h"

namespace tarvosk {
namespace {

// Sets (or clears) an environment variable for one scope and puts the old value back after.
class EnvOverride {
 public:
  EnvOverride(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~EnvOverride() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// 正在查找已删除的文件 in GBK.
const std::string kSearchingGbk =
    "\xD5\xFD\xD4\xDA\xB2\xE9\xD5\xD2\xD2\xD1\xC9\xBE\xB3\xFD\xB5\xC4\xCE\xC4\xBC\xFE";

TEST(CodePageSelection, AnsiIsGbkUnlessTheEnvironmentSaysOtherwise) {
  EnvOverride acp("TARVOSK_ACP", nullptr);
  EnvOverride oem("TARVOSK_OEMCP", nullptr);
  EXPECT_EQ(GetACP(), 936u);
  EXPECT_EQ(GetOEMCP(), 936u);
}

TEST(CodePageSelection, OverrideChangesAnsiAndOemPages) {
  EnvOverride oem("TARVOSK_OEMCP", nullptr);
  EnvOverride acp("TARVOSK_ACP", "1252");
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_EQ(GetOEMCP(), 437u);
  EXPECT_EQ(ansiToWide("caf\xE9 \x80"), u"café €");
  EXPECT_EQ(wideToAnsi(u"café"), "caf\xE9");
}

TEST(CodePageSelection, OemOverrideAndGarbageValues) {
  {
    EnvOverride acp("TARVOSK_ACP", nullptr);
    EnvOverride oem("TARVOSK_OEMCP", "850");
    EXPECT_EQ(GetOEMCP(), 850u);
  }
  for (const char* bad : {"", "abc", "12x", "0", "1", "99999999"}) {
    EnvOverride acp("TARVOSK_ACP", bad);
    EXPECT_EQ(GetACP(), 936u) << "TARVOSK_ACP=" << bad;
  }
}

TEST(CodePageGbk, KnownEncodingAndRoundTrip) {
  EnvOverride acp("TARVOSK_ACP", nullptr);
  EXPECT_EQ(wideToAnsi(u"中"), "\xD6\xD0");
  EXPECT_EQ(wideToAnsi(u"正在查找已删除的文件"), kSearchingGbk);
  EXPECT_EQ(ansiToWide(kSearchingGbk), u"正在查找已删除的文件");
  EXPECT_EQ(multiByteToWide(936, "a\xD6\xD0z"), u"a中z");
}

TEST(CodePageGbk, UndecodableBytesBecomeOneReplacementEach) {
  EXPECT_EQ(multiByteToWide(936, "A\xFF" "B"), u"A\uFFFDB");
  // A lead byte with a trail byte GBK does not allow: the lead goes, the space stays.
  EXPECT_EQ(multiByteToWide(936, "\xD6 x"), u"\uFFFD x");
  // A lead byte cut off at the end.
  EXPECT_EQ(multiByteToWide(936, "ab\xD6"), u"ab\uFFFD");
  EXPECT_EQ(multiByteToWide(936, "\xFF\xFF\xD6\xD0"), u"\uFFFD\uFFFD中");
}

TEST(CodePageGbk, StrictDecodingRefusesBadBytes) {
  char16_t out[8];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, "a\xFF", 2, out, 8), 0);
  EXPECT_EQ(GetLastError(), 1113u);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xC0\xAF", 3, out, 8), 0);
  EXPECT_EQ(GetLastError(), 1113u);
  EXPECT_EQ(MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, "\xD6\xD0", 2, out, 8), 1);
}

TEST(CodePageGbk, UnmappableCharactersBecomeTheDefault) {
  // Hangul is not in GBK; an astral character is one character, so one '?'.
  EXPECT_EQ(wideToMultiByte(936, u"a한b"), "a?b");
  EXPECT_EQ(wideToMultiByte(936, u"x\U0001F600y"), "x?y");
  const char16_t lone[] = {u'a', 0xD800, u'b'};
  EXPECT_EQ(wideToMultiByte(936, std::u16string_view(lone, 3)), "a?b");

  char out[16];
  BOOL used = FALSE;
  EXPECT_EQ(WideCharToMultiByte(936, 0, u"中한", 2, out, 16, "*", &used), 3);
  EXPECT_EQ(std::string(out, 3), "\xD6\xD0*");
  EXPECT_EQ(used, TRUE);
  EXPECT_EQ(WideCharToMultiByte(936, 0, u"中", 1, out, 16, nullptr, &used), 2);
  EXPECT_EQ(used, FALSE);
}

TEST(CodePageWin32, SizeQueryAndTerminator) {
  EXPECT_EQ(MultiByteToWideChar(936, 0, kSearchingGbk.c_str(), -1, nullptr, 0), 11);
  EXPECT_EQ(MultiByteToWideChar(936, 0, kSearchingGbk.c_str(), 4, nullptr, 0), 2);
  EXPECT_EQ(WideCharToMultiByte(936, 0, u"中文", -1, nullptr, 0, nullptr, nullptr), 5);

  char16_t wide[11];
  ASSERT_EQ(MultiByteToWideChar(936, 0, kSearchingGbk.c_str(), -1, wide, 11), 11);
  EXPECT_EQ(std::u16string(wide), u"正在查找已删除的文件");
  char narrow[5];
  ASSERT_EQ(WideCharToMultiByte(936, 0, u"中文", -1, narrow, 5, nullptr, nullptr), 5);
  EXPECT_EQ(std::string(narrow), "\xD6\xD0\xCE\xC4");
}

TEST(CodePageWin32, TooSmallBufferFails) {
  char16_t wide[10];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(936, 0, kSearchingGbk.c_str(), -1, wide, 10), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  char narrow[4];
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(936, 0, u"中文", -1, narrow, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(CodePageWin32, BadArgumentsAndUnknownPages) {
  char16_t wide[4];
  const auto expectInvalid = [](int result) {
    EXPECT_EQ(result, 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    SetLastError(0);
  };
  expectInvalid(MultiByteToWideChar(12345, 0, "abc", 3, wide, 4));
  expectInvalid(WideCharToMultiByte(12345, 0, u"abc", 3, nullptr, 0, nullptr, nullptr));
  expectInvalid(MultiByteToWideChar(936, 0, "abc", 0, wide, 4));
  expectInvalid(MultiByteToWideChar(936, 0, "abc", -2, wide, 4));
  expectInvalid(MultiByteToWideChar(936, 0, nullptr, 3, wide, 4));
  expectInvalid(MultiByteToWideChar(936, 0, "abc", 3, nullptr, 4));
  EXPECT_EQ(multiByteToWide(12345, "abc"), u"");
}

TEST(CodePageWin32, OemPage437) {
  EnvOverride acp("TARVOSK_ACP", "1252");
  EnvOverride oem("TARVOSK_OEMCP", nullptr);
  EXPECT_EQ(multiByteToWide(CP_OEMCP, "\x82\x9C"), u"é£");
  EXPECT_EQ(wideToMultiByte(CP_OEMCP, u"é"), "\x82");
}

TEST(CodePageUtf8, DecodesAndMarksInvalidSequences) {
  EXPECT_EQ(utf8ToUtf16("a\xE4\xB8\xAD\xF0\x9F\x98\x80"), u"a中\U0001F600");
  // Overlong, surrogate, past U+10FFFF, truncated, stray continuation: one U+FFFD per byte.
  EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(utf8ToUtf16("\xE4\xB8z"), u"\uFFFD\uFFFDz");
  EXPECT_EQ(utf8ToUtf16("\x80" "a"), u"\uFFFDa");
  EXPECT_EQ(utf8ToUtf16("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
}

TEST(CodePageUtf8, EncodesAndReplacesLoneSurrogates) {
  EXPECT_EQ(utf16ToUtf8(u"a中\U0001F600"), "a\xE4\xB8\xAD\xF0\x9F\x98\x80");
  const char16_t lone[] = {0xDC00, u'x', 0xD83D};
  EXPECT_EQ(utf16ToUtf8(std::u16string_view(lone, 3)), "\xEF\xBF\xBDx\xEF\xBF\xBD");
  EXPECT_EQ(utf16ToUtf8(u"\u07FF\u0800"), "\xDF\xBF\xE0\xA0\x80");
  EXPECT_EQ(wideToMultiByte(CP_UTF8, u"正在"), utf16ToUtf8(u"正在"));
  EXPECT_EQ(multiByteToWide(CP_UTF8, "\xE6\xAD\xA3"), u"正");
}

}  // namespace
}  // namespace tarvosk
