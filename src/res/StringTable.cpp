// The program's string table: one sorted array of {id, text}, looked up by binary search.
#include "res/StringTable.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace tarvosk {

namespace {

// Sorted by ascending id, each id once (checked below at compile time).
constexpr StringTableEntry kStringTable[] = {
    // Search: the look-in folder and the drive
    {3, u"路径无效"},
    {4, u"驱动器无效"},
    // Scan progress window
    {5, u"正在查找已删除的文件。请耐心等候。"},
    // Cluster and data viewer
    {6, u"该文件已被压缩。查看器将按其存储在磁盘上的原样显示原始的压缩数据。"},
    {7, u"该文件已损坏"},
    {8, u"数据查看器: 正在显示簇 %d"},
    // Recovery job: target folder on the drive being recovered
    {9, u"您正尝试将一个或多个文件恢复到数据所在的相同的逻辑驱动器。\n这可能会引起数据丢失，因为最新创建的文件可能会覆盖您正尝试恢复的数据。\n\n您是否真要继续使用当前目的文件夹？"},
    {10, u"请选取一个不同的文件夹"},
    // Opening a drive for a scan (scans, scan wizard)
    {16, u"打开驱动器 %s 错误。请确定您拥有管理员权限。"},
    {17, u"分区类型无法识别"},
    // Recovery engine
    {18, u"创建目录失败"},
    // Picture preview
    {19, u"无法预览大于 10 MB 的图片"},
    // Scan of a whole disk: confirmation
    {22, u"磁盘扫描可能要花很长时间才能完成。您是否真要继续？"},
    // Scan wizard: physical drive check
    {23, u"无法打开设备"},
    // Recovery chances (file list, search results)
    {129, u"不可恢复"},
    {130, u"不良"},
    {131, u"可能较好"},
    // Type column of the file list and the search results
    {132, u"已删除的文件"},
    {133, u"已删除的文件夹"},
    {134, u"文件夹"},
    // Cluster and data viewer
    {135, u"无法查看该文件，因为未找到数据"},
    // Recovery chances (file list, search results)
    {136, u"未知"},
    // View as binary
    {137, u"该文件是空的"},
    // Command prompt: status text, then tool tip
    {138, u"恢复选定的文件和文件夹\n反删除"},
    // Recovery engine and picture preview
    {139, u"读取该文件 MFT 记录错误"},
    // Recovery job: folder browser
    {140, u"打开目录采集器对话失败"},
    // Command prompts: status text, then tool tip
    {141, u"在找到的文件中查找已删除的文件\n搜索"},
    {142, u"逐簇查看选定的已删除文件的数据\n作为二进制查看"},
    // Recovery job: folder browser
    {143, u"您选择了一个无效的目录"},
    // Recovery engine
    {144, u"文件“%s”已经存在。是否覆盖？"},
    {145, u"写入数据时发生错误"},
    {146, u"数据完整性检查失败。恢复的文件可能包含错误的数据"},
    // Recovery chances (file list, search results)
    {147, u"极好"},
    // Recovery engine
    {148, u"读取簇 %d 时发生错误"},
    {160, u"无法恢复该文件，因为它已损坏或不包含数据"},
    // Picture preview
    {161, u"读取文件数据时错误"},
    {162, u"无法预览压缩图片"},
    // Recovery job: folder browser title
    {165, u"请选择您想要放置恢复文件的文件夹"},
    // Command prompts: status text, then tool tip
    {175, u"更改 Tarvosk 的设置\n选项"},
    {184, u"在文件列表中显示选定的文件\n转到包含文件夹"},
    {187, u"显示选定项的属性\n属性"},
    {191, u"重新扫描选定的驱动器\n刷新"},
    {193, u"向后移动\n向后移动"},
    {194, u"向前移动\n向前移动"},
    // Opening a drive (scans, scan wizard)
    {221, u"无法打开驱动器 %s"},
    // Command prompts: status text, then tool tip
    {32772, u"转到上一级文件夹\n向上"},
    {32933, u"预览选定的图片\n图片预览"},
    {32936, u"扫描驱动器的可用空间，按内容查找文件\n物理扫描"},
    {32938, u"一步一步地选择扫描方式、驱动器和文件类型\n扫描向导"},
    {32941, u"关闭这次搜索的结果\n关闭"},
    {32950, u"把一个磁盘映像文件作为驱动器打开\n附加磁盘映像"},
    // Main window title
    {57344, u"Tarvosk"},
    // Command prompts: status text, then tool tip
    {57664, u"显示程序信息、版本号和版权\n关于"},
    {57665, u"退出应用程序\n退出"},
    {57667, u"列出帮助主题\n帮助主题"},
    {59392, u"显示或隐藏工具栏\n显隐工具栏"},
    {59393, u"显示或隐藏状态栏\n显隐状态栏"},
};

constexpr bool isStrictlyAscending() {
  for (std::size_t i = 1; i < std::size(kStringTable); ++i) {
    if (kStringTable[i - 1].id >= kStringTable[i].id) return false;
  }
  return true;
}
static_assert(isStrictlyAscending(), "string table ids must be sorted and unique");

const StringTableEntry* findEntry(unsigned id) {
  const auto* const first = std::begin(kStringTable);
  const auto* const last = std::end(kStringTable);
  const auto* const it =
      std::lower_bound(first, last, id, [](const StringTableEntry& e, unsigned key) { return e.id < key; });
  return (it != last && it->id == id) ? it : nullptr;
}

}  // namespace

std::u16string_view loadString(unsigned id) {
  const StringTableEntry* const entry = findEntry(id);
  return entry ? entry->text : std::u16string_view();
}

bool hasString(unsigned id) { return findEntry(id) != nullptr; }

std::span<const StringTableEntry> stringTableEntries() { return kStringTable; }

}  // namespace tarvosk

int LoadStringW(void* /*instance*/, unsigned id, char16_t* buffer, int bufferMax) {
  if (buffer == nullptr || bufferMax < 1) return 0;
  const std::u16string_view text = tarvosk::loadString(id);
  const std::size_t count = std::min(text.size(), static_cast<std::size_t>(bufferMax - 1));
  std::copy_n(text.data(), count, buffer);
  buffer[count] = u'\0';
  return static_cast<int>(count);
}
