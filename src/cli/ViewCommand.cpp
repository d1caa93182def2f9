#include <charconv>
#include <cstdio>

#include "cli/Commands.h"
#include "cli/Listing.h"
#include "cli/ScanRequest.h"
#include "platform/CodePage.h"
#include "platform/Format.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "viewers/UnitList.h"

namespace tarvosk::cli {

namespace {

// Sixteen bytes a line: offset, hex, characters.
void hexDump(const std::vector<std::uint8_t>& bytes, std::ostream& out) {
  for (std::size_t line = 0; line < bytes.size(); line += 16) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%08zx ", line);
    out << buf;
    std::string text;
    for (std::size_t i = line; i < line + 16; ++i) {
      if (i < bytes.size()) {
        std::snprintf(buf, sizeof buf, " %02x", bytes[i]);
        out << buf;
        text += (bytes[i] >= 0x20 && bytes[i] < 0x7F) ? static_cast<char>(bytes[i]) : '.';
      } else {
        out << "   ";
      }
    }
    out << "  |" << text << "|\n";
  }
}

}  // namespace

int viewCommand(CFileList& lists, std::vector<std::string> arguments, std::ostream& out, std::string& error) {
  std::string unitText;
  bool hasUnit = takeOption(arguments, "--unit", unitText);
  std::uint64_t wanted = 0;
  if (hasUnit) {
    auto [end, ec] = std::from_chars(unitText.data(), unitText.data() + unitText.size(), wanted);
    if (ec != std::errc() || end != unitText.data() + unitText.size()) return error = "--unit 需要一个单元号", kExitUsage;
  }
  ScanRequest request;
  if (!takeScanOptions(arguments, request, error)) return kExitUsage;
  if (arguments.size() != 1) return error = "view 需要驱动器和一个文件路径", kExitUsage;
  DriveFileList* list = runScan(lists, request);
  if (!list) return kExitFailure;
  FileEntry* entry = entryAtListedPath(*list, utf8ToUtf16(arguments.front()));
  if (!entry || entry->isFolder) return error = "扫描结果中没有这个文件: " + arguments.front(), kExitFailure;

  FileUnits units = listFileUnits(*entry);
  out << "unit\tstate\n";
  for (const ViewerUnit& u : units.units) out << u.number << '\t' << (u.free ? "空闲" : "已占用") << '\n';
  if (units.units.empty()) {
    if (!units.resident.empty()) {
      out << "\n数据驻留在 MFT 记录中（" << units.resident.size() << " 字节）\n";
      hexDump(units.resident, out);
    }
    return kExitSuccess;
  }
  std::size_t index = 0;
  if (hasUnit) {
    while (index < units.units.size() && units.units[index].number != wanted) ++index;
    if (index == units.units.size()) return error = "这个文件没有单元 " + unitText, kExitFailure;
  }
  std::vector<std::uint8_t> bytes;
  if (!readFileUnit(*entry, units, index, bytes)) return error = "读取单元 " + std::to_string(units.units[index].number) + " 失败", kExitFailure;
  out << '\n' << utf16ToUtf8(format(loadString(res::IDS_VIEWER_SHOWING_CLUSTER), units.units[index].number)) << '\n';
  hexDump(bytes, out);
  return kExitSuccess;
}

}  // namespace tarvosk::cli
