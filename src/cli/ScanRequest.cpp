#include "cli/ScanRequest.h"

#include <algorithm>
#include <charconv>

#include "cli/DriveArgument.h"
#include "cli/TerminalUi.h"
#include "platform/CodePage.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "settings/Settings.h"
#include "types/TypeTable.h"

namespace tarvosk::cli {

namespace {

bool parseNumber(const std::string& s, std::uint64_t& out) {
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size();
}

std::string extensionOf(const CTypeFilter& type) { return utf16ToUtf8(std::u16string(type.GetExtension())); }

void enableTypes(const std::vector<std::string>& types) {
  FilterRegistry& registry = filterRegistry();
  registry.EnableAll(types.empty());
  for (std::size_t i = 0; i < registry.count(); ++i) {
    const std::string extension = extensionOf(*registry.item(i));
    for (const std::string& t : types)
      if ("." + t == extension) registry.item(i)->enabled = true;
  }
}

bool isCarvedType(const std::string& type) {
  const FilterRegistry& registry = filterRegistry();
  for (std::size_t i = 0; i < registry.count(); ++i)
    if ("." + type == extensionOf(*registry.item(i))) return true;
  return false;
}

// "bmp、jpg、..." in registry order.
std::string carvedTypeList() {
  const FilterRegistry& registry = filterRegistry();
  std::string list;
  for (std::size_t i = 0; i < registry.count(); ++i) list += (i ? "、" : "") + extensionOf(*registry.item(i)).substr(1);
  return list;
}

}  // namespace

bool takeOption(std::vector<std::string>& arguments, const std::string& name, std::string& value) {
  auto it = std::find(arguments.begin(), arguments.end(), name);
  if (it == arguments.end() || it + 1 == arguments.end()) return false;
  value = *(it + 1);
  arguments.erase(it, it + 2);
  return true;
}

bool takeFlag(std::vector<std::string>& arguments, const std::string& name) {
  auto it = std::find(arguments.begin(), arguments.end(), name);
  if (it == arguments.end()) return false;
  arguments.erase(it);
  return true;
}

bool takeScanOptions(std::vector<std::string>& arguments, ScanRequest& request, std::string& error) {
  request.physical = takeFlag(arguments, "--physical");
  request.thorough = takeFlag(arguments, "--thorough");
  request.exact = takeFlag(arguments, "--exact");
  std::string range, types;
  if (takeOption(arguments, "--range", range)) {
    auto dash = range.find('-');
    if (dash == std::string::npos || !parseNumber(range.substr(0, dash), request.first) ||
        !parseNumber(range.substr(dash + 1), request.last) || request.last < request.first) {
      error = "--range 需要 FIRST-LAST 形式的单元范围，例如 0-1000";
      return false;
    }
  }
  if (takeOption(arguments, "--types", types)) {
    std::size_t start = 0;
    while (start <= types.size()) {
      std::size_t comma = types.find(',', start);
      std::string t = types.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      if (!t.empty() && t[0] == '.') t.erase(0, 1);
      for (char& c : t) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
      if (!t.empty() && !isCarvedType(t)) {
        error = "--types: 没有这种文件类型: " + t + "（可用 " + carvedTypeList() + "）";
        return false;
      }
      if (!t.empty()) request.types.push_back(t);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  if (arguments.empty()) {
    error = "缺少驱动器（例如 C: 或 PhysicalDrive0）";
    return false;
  }
  auto drive = parseDriveArgument(arguments.front());
  if (!drive) {
    error = "无法识别的驱动器: " + arguments.front();
    return false;
  }
  request.drivePath = *drive;
  arguments.erase(arguments.begin());
  bool physicalDrive = isPhysicalDrivePath(request.drivePath);
  if (request.thorough && !physicalDrive) {
    error = "--thorough 只能用于物理驱动器（PhysicalDriveN）";
    return false;
  }
  if (request.physical && physicalDrive) {
    error = "--physical 只能用于逻辑驱动器；物理驱动器请用 --thorough";
    return false;
  }
  if (request.exact && !request.physical && !request.thorough) {
    error = "--exact 只能与 --physical 或 --thorough 一起使用";
    return false;
  }
  return true;
}

DriveFileList* runScan(CFileList& lists, const ScanRequest& request) {
  enableTypes(request.types);
  // For this run only: the stored setting is left as the user saved it.
  if (request.exact) settings().ExactLengths = true;
  lists.RemoveDriveList(request.drivePath);
  TerminalProgress progress;
  progress.setText(std::u16string(loadString(res::IDS_LOOKING_FOR_DELETED_FILES)));
  bool carve = request.physical || request.thorough;
  bool built = lists.BuildFileList(request.drivePath, progress, carve, request.first, request.last);
  progress.close();
  return built ? lists.GetDriveList(request.drivePath) : nullptr;
}

}  // namespace tarvosk::cli
