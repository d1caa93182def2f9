#include <charconv>

#include "cli/Commands.h"
#include "cli/Listing.h"
#include "cli/ScanRequest.h"
#include "cli/TerminalUi.h"
#include "platform/CodePage.h"
#include "platform/Time.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "search/SearchEngine.h"

namespace tarvosk::cli {

namespace {

// "YYYY-MM-DD HH:MM" as a local FILETIME.
bool parseLocalTime(const std::string& text, FILETIME& out) {
  SYSTEMTIME t{};
  unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0;
  if (std::sscanf(text.c_str(), "%4u-%2u-%2u %2u:%2u", &y, &mo, &d, &h, &mi) != 5) return false;
  t.wYear = static_cast<WORD>(y);
  t.wMonth = static_cast<WORD>(mo);
  t.wDay = static_cast<WORD>(d);
  t.wHour = static_cast<WORD>(h);
  t.wMinute = static_cast<WORD>(mi);
  return SystemTimeToFileTime(&t, &out) != FALSE;
}

bool parseKb(const std::string& text, std::uint64_t& bytes) {
  std::uint64_t kb = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), kb);
  if (ec != std::errc() || end != text.data() + text.size() || kb > (~0ull >> 10)) return false;
  bytes = kb * 1024;
  return true;
}

bool takeCriteria(std::vector<std::string>& args, SearchCriteria& c, std::string& error) {
  std::string value;
  bool min = takeOption(args, "--min-kb", value);
  if (min && !parseKb(value, c.sizeLimit)) return error = "--min-kb 需要一个数字", false;
  if (takeOption(args, "--max-kb", value)) {
    if (min) return error = "--min-kb 与 --max-kb 只能选一个", false;
    if (!parseKb(value, c.sizeLimit)) return error = "--max-kb 需要一个数字", false;
    c.sizeEnabled = true;
    c.atLeast = false;
  } else if (min) {
    c.sizeEnabled = true;
    c.atLeast = true;
  }
  std::string from, to;
  bool hasFrom = takeOption(args, "--from", from), hasTo = takeOption(args, "--to", to);
  if (takeFlag(args, "--last-two-days")) {
    if (hasFrom || hasTo) return error = "--last-two-days 与 --from/--to 只能选一种", false;
    c.dateEnabled = true;
    setLastTwoDays(c);
  } else if (hasFrom || hasTo) {
    if (!hasFrom || !hasTo || !parseLocalTime(from, c.dateFrom) || !parseLocalTime(to, c.dateTo))
      return error = "--from 和 --to 需要 \"YYYY-MM-DD HH:MM\" 形式的时间", false;
    c.dateEnabled = true;
  }
  c.matchCase = takeFlag(args, "--match-case");
  if (takeOption(args, "--text", value)) {
    c.contentText = utf8ToUtf16(value);
  }
  if (takeOption(args, "--hex", value)) {
    if (!c.contentText.empty()) return error = "--text 与 --hex 只能选一个", false;
    c.hex = true;
    c.contentText = utf8ToUtf16(value);
  }
  return true;
}

}  // namespace

int searchCommand(CFileList& lists, std::vector<std::string> arguments, std::ostream& out, std::string& error) {
  std::string formatText = "text", in, name = "*";
  takeOption(arguments, "--format", formatText);
  ListingFormat format{};
  if (!parseListingFormat(formatText, format)) return error = "未知格式: " + formatText, kExitUsage;
  bool hasIn = takeOption(arguments, "--in", in);
  takeOption(arguments, "--name", name);
  SearchCriteria criteria;
  if (!takeCriteria(arguments, criteria, error)) return kExitUsage;
  ScanRequest request;
  if (!takeScanOptions(arguments, request, error)) return kExitUsage;
  if (!arguments.empty()) return error = "多余的参数: " + arguments.front(), kExitUsage;

  DriveFileList* drive = runScan(lists, request);
  if (!drive) return kExitFailure;
  TerminalProgress progress;
  std::u16string setName;
  SearchOutcome outcome = SearchDrive(lists, request.drivePath, hasIn ? utf8ToUtf16(in) : u"\\", utf8ToUtf16(name),
                                      criteria, progress, setName);
  if (outcome == SearchOutcome::NoLookInText) return kExitSuccess;
  if (outcome != SearchOutcome::Stored) {
    error = utf16ToUtf8(std::u16string(loadString(outcome == SearchOutcome::InvalidPath ? res::IDS_INVALID_PATH
                                                                                         : res::IDS_INVALID_DRIVE)));
    return kExitFailure;
  }
  std::vector<ListedEntry> matches;
  for (FileEntry& folder : *lists.GetDriveList(setName)) {
    for (std::uint64_t match : folder.children) {
      FileEntry& e = drive->Lookup(match);
      matches.push_back({entryPath(*drive, e), &e, 0});
    }
  }
  printListing(matches, format, out);
  return kExitSuccess;
}

}  // namespace tarvosk::cli
