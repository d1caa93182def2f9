// Tests of the string table: its order, the exact texts of the messages, the Win32-shaped copy
// and the printf placeholders of every text.
#include "res/StringTable.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "res/CommandIds.h"

using namespace tarvosk;
using namespace tarvosk::res;

namespace {

std::string ids(const std::vector<unsigned>& list) {
  std::string out;
  for (unsigned id : list) out += std::to_string(id) + " ";
  return out;
}

// The placeholders of a text, in order ("%s", "%d", ...). Returns false and stops at the first
// '%' that does not start one of the accepted forms.
bool placeholders(std::u16string_view text, std::vector<std::u16string_view>& out) {
  static constexpr std::array<std::u16string_view, 8> kAccepted = {u"%I64d", u"%ld", u"%s", u"%d",
                                                                   u"%S",    u"%u",  u"%x", u"%%"};
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'%') continue;
    bool matched = false;
    for (std::u16string_view form : kAccepted) {
      if (text.substr(i, form.size()) == form) {
        out.push_back(form);
        i += form.size() - 1;
        matched = true;
        break;
      }
    }
    if (!matched) return false;
  }
  return true;
}

}  // namespace

TEST(StringTable, IdsAreSortedAndUnique) {
  const auto entries = stringTableEntries();
  ASSERT_FALSE(entries.empty());
  std::vector<unsigned> outOfOrder;
  for (std::size_t i = 1; i < entries.size(); ++i) {
    if (entries[i - 1].id >= entries[i].id) outOfOrder.push_back(entries[i].id);
  }
  EXPECT_TRUE(outOfOrder.empty()) << "out of order or repeated: " << ids(outOfOrder);
}

TEST(StringTable, EveryEntryIsFoundByItsIdAndIsNotEmpty) {
  for (const StringTableEntry& entry : stringTableEntries()) {
    EXPECT_TRUE(hasString(entry.id)) << entry.id;
    EXPECT_EQ(loadString(entry.id), entry.text) << entry.id;
    EXPECT_FALSE(entry.text.empty()) << entry.id;
  }
}

TEST(StringTable, DriveAndPartitionMessages) {
  EXPECT_EQ(loadString(221), u"无法打开驱动器 %s");
  EXPECT_EQ(loadString(17), u"分区类型无法识别");
  EXPECT_EQ(loadString(16), u"打开驱动器 %s 错误。请确定您拥有管理员权限。");
  EXPECT_EQ(loadString(23), u"无法打开设备");
  EXPECT_EQ(loadString(IDS_CANNOT_OPEN_DRIVE), loadString(221));
}

TEST(StringTable, ScanProgressText) {
  EXPECT_EQ(loadString(5), u"正在查找已删除的文件。请耐心等候。");
  EXPECT_EQ(loadString(22), u"磁盘扫描可能要花很长时间才能完成。您是否真要继续？");
}

TEST(StringTable, RecoveryChanceTexts) {
  EXPECT_EQ(loadString(129), u"不可恢复");
  EXPECT_EQ(loadString(130), u"不良");
  EXPECT_EQ(loadString(131), u"可能较好");
  EXPECT_EQ(loadString(147), u"极好");
  EXPECT_EQ(loadString(136), u"未知");
  EXPECT_EQ(loadString(IDS_CHANCE_NOT_RECOVERABLE), loadString(129));
  EXPECT_EQ(loadString(IDS_CHANCE_POOR), loadString(130));
  EXPECT_EQ(loadString(IDS_CHANCE_PROBABLY_GOOD), loadString(131));
  EXPECT_EQ(loadString(IDS_CHANCE_EXCELLENT), loadString(147));
  EXPECT_EQ(loadString(IDS_CHANCE_UNKNOWN), loadString(136));
}

// The source file is UTF-8; a build that read it in another code page would turn each Chinese
// character into several code units. Check the code units themselves.
TEST(StringTable, ChineseTextsAreSingleUtf16Units) {
  const std::u16string_view poor = loadString(130);
  ASSERT_EQ(poor.size(), 2u);
  EXPECT_EQ(poor[0], char16_t{0x4E0D});  // 不
  EXPECT_EQ(poor[1], char16_t{0x826F});  // 良
}

TEST(StringTable, OverwritePromptUsesChineseQuotationMarks) {
  const std::u16string_view prompt = loadString(144);
  EXPECT_EQ(prompt, u"文件“%s”已经存在。是否覆盖？");
  ASSERT_EQ(prompt.size(), 16u);
  EXPECT_EQ(prompt[2], char16_t{0x201C});
  EXPECT_EQ(prompt[5], char16_t{0x201D});
  EXPECT_EQ(prompt.back(), char16_t{0xFF1F});  // full-width question mark
}

TEST(StringTable, RecoveryMessages) {
  EXPECT_EQ(loadString(18), u"创建目录失败");
  EXPECT_EQ(loadString(139), u"读取该文件 MFT 记录错误");
  EXPECT_EQ(loadString(145), u"写入数据时发生错误");
  EXPECT_EQ(loadString(146), u"数据完整性检查失败。恢复的文件可能包含错误的数据");
  EXPECT_EQ(loadString(148), u"读取簇 %d 时发生错误");
  EXPECT_EQ(loadString(160), u"无法恢复该文件，因为它已损坏或不包含数据");
}

TEST(StringTable, SameDriveWarningHasRealLineBreaks) {
  const std::u16string_view warning = loadString(9);
  EXPECT_EQ(warning,
            u"您正尝试将一个或多个文件恢复到数据所在的相同的逻辑驱动器。\n"
            u"这可能会引起数据丢失，因为最新创建的文件可能会覆盖您正尝试恢复的数据。\n"
            u"\n"
            u"您是否真要继续使用当前目的文件夹？");
  std::size_t breaks = 0;
  for (char16_t c : warning) breaks += (c == u'\n') ? 1u : 0u;
  EXPECT_EQ(breaks, 3u);
  EXPECT_EQ(warning.find(u'\\'), std::u16string_view::npos);
}

TEST(StringTable, RecoveryFolderTexts) {
  EXPECT_EQ(loadString(165), u"请选择您想要放置恢复文件的文件夹");
  EXPECT_EQ(loadString(10), u"请选取一个不同的文件夹");
  EXPECT_EQ(loadString(140), u"打开目录采集器对话失败");
  EXPECT_EQ(loadString(143), u"您选择了一个无效的目录");
}

TEST(StringTable, ViewerAndPreviewTexts) {
  EXPECT_EQ(loadString(8), u"数据查看器: 正在显示簇 %d");
  EXPECT_EQ(loadString(7), u"该文件已损坏");
  EXPECT_EQ(loadString(135), u"无法查看该文件，因为未找到数据");
  EXPECT_EQ(loadString(19), u"无法预览大于 10 MB 的图片");
  EXPECT_EQ(loadString(161), u"读取文件数据时错误");
  EXPECT_EQ(loadString(162), u"无法预览压缩图片");
}

TEST(StringTable, SearchAndTypeTexts) {
  EXPECT_EQ(loadString(3), u"路径无效");
  EXPECT_EQ(loadString(4), u"驱动器无效");
  EXPECT_EQ(loadString(132), u"已删除的文件");
  EXPECT_EQ(loadString(133), u"已删除的文件夹");
  EXPECT_EQ(loadString(134), u"文件夹");
}

TEST(StringTable, CommandPromptsHaveStatusTextAndToolTip) {
  EXPECT_EQ(loadString(193), u"向后移动\n向后移动");
  EXPECT_EQ(loadString(32933), u"预览选定的图片\n图片预览");
  for (unsigned id : {IDS_CMD_BACK, IDS_CMD_VIEW_AS_PICTURE}) {
    const std::u16string_view text = loadString(id);
    const std::size_t split = text.find(u'\n');
    ASSERT_NE(split, std::u16string_view::npos) << id;
    EXPECT_GT(split, 0u) << id;
    EXPECT_LT(split + 1, text.size()) << id;
    EXPECT_EQ(text.find(u'\n', split + 1), std::u16string_view::npos) << id;
  }
  EXPECT_EQ(loadString(IDS_APP_TITLE), u"Tarvosk");
}

TEST(StringTable, UnknownIdsGiveNothing) {
  for (unsigned id : {0u, 1u, 2u, 11u, 220u, 222u, 32934u, 57343u, 57345u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(hasString(id)) << id;
    EXPECT_TRUE(loadString(id).empty()) << id;
  }
}

TEST(StringTable, FirstAndLastIdsAreFound) {
  const auto entries = stringTableEntries();
  ASSERT_FALSE(entries.empty());
  EXPECT_TRUE(hasString(entries.front().id));
  EXPECT_TRUE(hasString(entries.back().id));
  EXPECT_FALSE(hasString(entries.front().id - 1));
  EXPECT_FALSE(hasString(entries.back().id + 1));
}

TEST(LoadStringW, CopiesWholeTextAndTerminates) {
  std::array<char16_t, 64> buffer;
  buffer.fill(u'#');
  const int copied = LoadStringW(nullptr, 221, buffer.data(), static_cast<int>(buffer.size()));
  EXPECT_EQ(copied, 10);
  EXPECT_EQ(std::u16string_view(buffer.data()), u"无法打开驱动器 %s");
  EXPECT_EQ(buffer[10], u'\0');
  EXPECT_EQ(buffer[11], u'#');  // nothing written past the terminator
}

TEST(LoadStringW, ExactFitLeavesRoomForTerminator) {
  std::array<char16_t, 11> buffer;
  buffer.fill(u'#');
  EXPECT_EQ(LoadStringW(nullptr, 221, buffer.data(), 11), 10);
  EXPECT_EQ(std::u16string_view(buffer.data(), 10), u"无法打开驱动器 %s");
  EXPECT_EQ(buffer[10], u'\0');
}

TEST(LoadStringW, CutsToBufferMaxMinusOne) {
  std::array<char16_t, 8> buffer;
  buffer.fill(u'#');
  EXPECT_EQ(LoadStringW(nullptr, 221, buffer.data(), 5), 4);
  EXPECT_EQ(std::u16string_view(buffer.data()), u"无法打开");
  EXPECT_EQ(buffer[4], u'\0');
  EXPECT_EQ(buffer[5], u'#');
}

TEST(LoadStringW, BufferOfOneGetsOnlyTheTerminator) {
  char16_t buffer[2] = {u'#', u'#'};
  EXPECT_EQ(LoadStringW(nullptr, 5, buffer, 1), 0);
  EXPECT_EQ(buffer[0], u'\0');
  EXPECT_EQ(buffer[1], u'#');
}

TEST(LoadStringW, UnknownIdReturnsZeroAndEmptiesBuffer) {
  std::array<char16_t, 16> buffer;
  buffer.fill(u'#');
  EXPECT_EQ(LoadStringW(nullptr, 222, buffer.data(), static_cast<int>(buffer.size())), 0);
  EXPECT_EQ(buffer[0], u'\0');
}

TEST(LoadStringW, ZeroOrNegativeBufferMaxOrNullBufferIsNotSupported) {
  char16_t buffer[4] = {u'#', u'#', u'#', u'#'};
  EXPECT_EQ(LoadStringW(nullptr, 221, buffer, 0), 0);
  EXPECT_EQ(LoadStringW(nullptr, 221, buffer, -3), 0);
  EXPECT_EQ(buffer[0], u'#');  // untouched
  EXPECT_EQ(LoadStringW(nullptr, 221, nullptr, 16), 0);
}

TEST(LoadStringW, KeepsLineBreaks) {
  std::array<char16_t, 16> buffer{};
  EXPECT_EQ(LoadStringW(nullptr, 193, buffer.data(), static_cast<int>(buffer.size())), 9);
  EXPECT_EQ(std::u16string_view(buffer.data()), u"向后移动\n向后移动");
}

TEST(StringTable, EveryPlaceholderIsAnAcceptedForm) {
  for (const StringTableEntry& entry : stringTableEntries()) {
    std::vector<std::u16string_view> found;
    EXPECT_TRUE(placeholders(entry.text, found)) << "bad placeholder in string " << entry.id;
  }
}

// Callers pass exactly these arguments; a placeholder lost or added while copying a text would
// make a caller's format call read the wrong argument.
TEST(StringTable, PlaceholdersMatchWhatCallersPass) {
  const std::vector<std::pair<unsigned, std::vector<std::u16string_view>>> expected = {
      {IDS_VIEWER_SHOWING_CLUSTER, {u"%d"}}, {IDS_OPEN_DRIVE_NEEDS_ADMIN, {u"%s"}},
      {IDS_CONFIRM_OVERWRITE, {u"%s"}},      {IDS_CLUSTER_READ_ERROR, {u"%d"}},
      {IDS_CANNOT_OPEN_DRIVE, {u"%s"}},
  };
  std::set<unsigned> withPlaceholders;
  for (const auto& [id, forms] : expected) {
    withPlaceholders.insert(id);
    std::vector<std::u16string_view> found;
    ASSERT_TRUE(placeholders(loadString(id), found)) << id;
    EXPECT_EQ(found, forms) << id;
  }
  for (const StringTableEntry& entry : stringTableEntries()) {
    if (withPlaceholders.count(entry.id) != 0) continue;
    EXPECT_EQ(entry.text.find(u'%'), std::u16string_view::npos) << "unexpected placeholder in " << entry.id;
    EXPECT_EQ(entry.text.find(u'\uFF05'), std::u16string_view::npos) << "full-width percent in " << entry.id;
  }
}

// A "\n" copied as two characters instead of a line break, or stray blanks at the ends, are
// copying faults that no placeholder check sees.
TEST(StringTable, NoEscapesOrEdgeBlanksLeftInTexts) {
  for (const StringTableEntry& entry : stringTableEntries()) {
    EXPECT_EQ(entry.text.find(u'\\'), std::u16string_view::npos) << entry.id;
    EXPECT_EQ(entry.text.find(u'\r'), std::u16string_view::npos) << entry.id;
    EXPECT_EQ(entry.text.find(u'\0'), std::u16string_view::npos) << entry.id;
    EXPECT_NE(entry.text.front(), u' ') << entry.id;
    EXPECT_NE(entry.text.back(), u' ') << entry.id;
  }
}

TEST(StringIds, NamedIdsAreDistinctAndInTheTable) {
  const std::vector<unsigned> named = {
      IDS_INVALID_PATH, IDS_INVALID_DRIVE, IDS_LOOKING_FOR_DELETED_FILES, IDS_VIEWER_FILE_COMPRESSED,
      IDS_FILE_DAMAGED, IDS_VIEWER_SHOWING_CLUSTER, IDS_SAME_DRIVE_WARNING, IDS_CHOOSE_DIFFERENT_FOLDER,
      IDS_OPEN_DRIVE_NEEDS_ADMIN, IDS_PARTITION_TYPE_UNRECOGNIZED, IDS_CREATE_DIRECTORY_FAILED,
      IDS_PREVIEW_TOO_LARGE, IDS_CONFIRM_LONG_DISK_SCAN, IDS_CANNOT_OPEN_DEVICE, IDS_CHANCE_NOT_RECOVERABLE,
      IDS_CHANCE_POOR, IDS_CHANCE_PROBABLY_GOOD, IDS_TYPE_DELETED_FILE, IDS_TYPE_DELETED_FOLDER,
      IDS_TYPE_FOLDER, IDS_VIEWER_NO_DATA, IDS_CHANCE_UNKNOWN, IDS_FILE_EMPTY, IDS_MFT_RECORD_READ_ERROR,
      IDS_FOLDER_PICKER_FAILED, IDS_INVALID_FOLDER_CHOSEN, IDS_CONFIRM_OVERWRITE, IDS_WRITE_ERROR,
      IDS_INTEGRITY_CHECK_FAILED, IDS_CHANCE_EXCELLENT, IDS_CLUSTER_READ_ERROR, IDS_FILE_NOT_RECOVERABLE,
      IDS_FILE_DATA_READ_ERROR, IDS_PREVIEW_COMPRESSED, IDS_CHOOSE_RESTORE_FOLDER, IDS_CMD_BACK,
      IDS_CMD_VIEW_AS_PICTURE, IDS_CANNOT_OPEN_DRIVE, IDS_APP_TITLE,
      // The other commands' prompts, under the commands' own ids.
      ID_UNDELETE, ID_SEARCH, ID_VIEW_AS_BINARY, ID_OPTIONS, ID_GO_TO_FOLDER, ID_PROPERTIES, ID_REFRESH, ID_FORWARD,
      ID_UP, ID_PHYSICAL_SCAN, ID_SCAN_WIZARD, ID_CLOSE_SEARCH, ID_ATTACH_IMAGE, ID_APP_ABOUT, ID_APP_EXIT,
      ID_HELP_FINDER, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR,
  };
  const std::set<unsigned> distinct(named.begin(), named.end());
  EXPECT_EQ(distinct.size(), named.size());
  for (unsigned id : named) EXPECT_TRUE(hasString(id)) << id;
  // One name per table entry.
  EXPECT_EQ(named.size(), stringTableEntries().size());
}
