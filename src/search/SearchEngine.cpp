#include "search/SearchEngine.h"

#include <optional>
#include <unordered_set>
#include <vector>

#include "platform/Format.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "scan/EntryTimes.h"
#include "scan/EntryContent.h"
#include "search/NamePattern.h"
#include "search/SearchTests.h"

namespace tarvosk {

namespace {

bool passesDate(const FileEntry& entry, const SearchCriteria& criteria) {
  if (!criteria.dateEnabled) return true;
  // NTFS files keep their time in the MFT record: the entry's DOS time is 0 for them.
  FILETIME local{};
  return entryModifiedTime(entry, local) && PassesDateTest(criteria, local);
}

// The content test: the file's data holds the pattern (read through the layer that found it).
bool holdsContent(const FileEntry& entry, ClusterContentSearch& search) {
  search.reset();
  bool found = false;
  bool readable = readFileContent(entry, [&](ByteSpan piece) {
    found = search.feed(piece);
    return !found;
  });
  return readable && found;
}

// content is null when there is no content test.
bool matches(const FileEntry& entry, const std::u16string& pattern, const SearchCriteria& criteria,
             ClusterContentSearch* content) {
  return MatchNamePattern(pattern, entry.name) && PassesSizeTest(criteria, entry.size) && passesDate(entry, criteria) &&
         (!content || holdsContent(entry, *content));
}

}  // namespace

// Depth first in the children's stored order, without recursion; each folder is visited once.
std::unique_ptr<DriveFileList> RunSearch(DriveFileList& drive, std::uint64_t folderId, const std::u16string& namePattern,
                                         const SearchCriteria& criteria, ProgressWindow& window) {
  auto results = std::make_unique<DriveFileList>();
  results->holdScanHandle(drive.scanHandle());
  FileEntry& folder = results->Lookup(folderId);
  folder = drive.Lookup(folderId);
  folder.children.clear();

  window.setTitle(kProgramTitle);
  window.setText(u"正在执行搜索");
  window.setRange(0, static_cast<int>(std::min<std::size_t>(drive.size(), 0x7FFFFFFF)));
  // The pattern and its tables are built once for the whole run.
  std::optional<ClusterContentSearch> content;
  if (std::vector<std::uint8_t> bytes = BuildContentPattern(criteria); !criteria.contentText.empty() && !bytes.empty())
    content.emplace(std::move(bytes), criteria.hex || criteria.matchCase);
  int position = 0;
  std::unordered_set<std::uint64_t> visited;
  std::vector<std::uint64_t> stack{folderId};
  while (!stack.empty()) {
    std::uint64_t id = stack.back();
    stack.pop_back();
    window.setPosition(++position);
    window.pumpOneMessage();
    if (window.cancelled()) break;
    FileEntry& entry = drive.Lookup(id);
    if (entry.isFolder) {
      if (!visited.insert(id).second) continue;
      for (auto it = entry.children.rbegin(); it != entry.children.rend(); ++it)
        if (*it != ROOT_ENTRY_ID) stack.push_back(*it);
      continue;
    }
    if (matches(entry, namePattern, criteria, content ? &*content : nullptr)) folder.children.push_back(id);
  }
  return results;
}

std::u16string nextSearchName(const CFileList& lists) {
  for (int n = 1;; ++n) {
    std::u16string name = format(u"Search(%d)", n);
    if (!lists.lists().count(name)) return name;
  }
}

SearchOutcome SearchDrive(CFileList& lists, const std::u16string& drivePath, std::u16string lookIn,
                          const std::u16string& namePattern, const SearchCriteria& criteria, ProgressWindow& window,
                          std::u16string& setName) {
  if (lookIn.empty()) return SearchOutcome::NoLookInText;
  auto scanned = lists.lists().find(drivePath);
  if (scanned == lists.lists().end() || !scanned->second) {
    userInterface().messageBox(std::u16string(loadString(res::IDS_INVALID_DRIVE)), kProgramTitle,
                               MB_OK | MB_ICONEXCLAMATION);
    return SearchOutcome::InvalidDrive;
  }
  DriveFileList& drive = *scanned->second;
  if (lookIn.back() != u'\\') lookIn += u'\\';
  std::uint64_t folder = ROOT_ENTRY_ID;
  if (!CFileList::FindEntryByPath(lookIn, drive, folder)) {
    userInterface().messageBox(std::u16string(loadString(res::IDS_INVALID_PATH)), kProgramTitle,
                               MB_OK | MB_ICONEXCLAMATION);
    return SearchOutcome::InvalidPath;
  }
  setName = nextSearchName(lists);
  lists.StoreDriveList(setName, RunSearch(drive, folder, namePattern, criteria, window));
  window.close();
  return SearchOutcome::Stored;
}

}  // namespace tarvosk
