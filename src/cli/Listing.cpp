#include "cli/Listing.h"

#include <cstdio>
#include <unordered_set>

#include "cli/JsonText.h"
#include "platform/CaseFolding.h"
#include "platform/CodePage.h"
#include "platform/Time.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "scan/EntryTimes.h"
#include "scan/RecoveryChance.h"
#include "shell/Settings.h"

namespace tarvosk::cli {

namespace {

constexpr int kMaxDepth = 2048;

std::string utf8(std::u16string_view s) { return utf16ToUtf8(s); }

std::string modifiedText(const FileEntry& e) {
  FILETIME local{};
  SYSTEMTIME t{};
  if (!entryModifiedTime(e, local) || !FileTimeToSystemTime(&local, &t)) return "";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
  return buf;
}

// The chance as printed: deleted files are rated first (NTFS files on first use); nothing at all
// while the setting hides chances.
struct Chance {
  std::string number;
  std::string word;
};
Chance chanceOf(FileEntry& e) {
  if (!settings().ShowRecoveryChanses) return {};
  if (!e.deleted || e.isFolder) return {std::to_string(e.recoveryChance), ""};
  WCHAR text[kRecoveryChanceTextUnits] = {};
  std::uint8_t level = GetRecoveryChanceText(text, e);
  return {std::to_string(level), utf8(text)};
}

std::string tsvField(const std::string& s) {
  std::string out;
  for (char c : s) out += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
  return out;
}


}  // namespace

bool parseListingFormat(const std::string& text, ListingFormat& out) {
  if (text == "text") out = ListingFormat::Text;
  else if (text == "tsv") out = ListingFormat::Tsv;
  else if (text == "json") out = ListingFormat::Json;
  else return false;
  return true;
}

std::vector<ListedEntry> collectEntries(DriveFileList& list, std::uint64_t folder) {
  std::vector<ListedEntry> out;
  struct Frame {
    std::uint64_t id;
    std::size_t next;
    std::u16string path;
  };
  std::unordered_set<std::uint64_t> visited{folder};
  std::vector<Frame> stack{{folder, 0, u""}};
  while (!stack.empty()) {
    Frame& f = stack.back();
    FileEntry& parent = list.Lookup(f.id);
    if (f.next >= parent.children.size()) {
      stack.pop_back();
      continue;
    }
    std::uint64_t id = parent.children[f.next++];
    if (id == ROOT_ENTRY_ID) continue;
    FileEntry& e = list.Lookup(id);
    std::u16string path = f.path + u"\\" + e.name.str();
    out.push_back({path, &e, static_cast<int>(stack.size()) - 1});
    if (e.isFolder && visited.insert(id).second && stack.size() < kMaxDepth) stack.push_back({id, 0, path});
  }
  return out;
}

std::u16string entryPath(DriveFileList& list, const FileEntry& entry) {
  std::u16string path;
  const FileEntry* e = &entry;
  for (int hops = 0; e->id != ROOT_ENTRY_ID && e->id != 0 && hops < kMaxDepth; ++hops) {
    path = u"\\" + e->name.str() + path;
    e = &list.Lookup(e->parentId);
  }
  return path;
}

FileEntry* entryAtListedPath(DriveFileList& list, const std::u16string& path) {
  FileEntry* current = &list.Lookup(ROOT_ENTRY_ID);
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t end = path.find_first_of(u"\\/", pos);
    if (end == std::u16string::npos) end = path.size();
    std::u16string part = path.substr(pos, end - pos);
    pos = end + 1;
    if (part.empty()) continue;
    FileEntry* next = nullptr;
    for (std::uint64_t id : current->children) {
      FileEntry& child = list.Lookup(id);
      if (id != ROOT_ENTRY_ID && equalsIgnoreCase(child.name, part)) {
        next = &child;
        break;
      }
    }
    if (!next) return nullptr;
    current = next;
  }
  return current;
}

void printListing(const std::vector<ListedEntry>& entries, ListingFormat format, std::ostream& out) {
  if (format == ListingFormat::Tsv) out << "path\tfolder\tdeleted\tsize\tchance\tmodified\tstart\tid\n";
  for (const ListedEntry& l : entries) {
    FileEntry& e = *l.entry;
    Chance chance = chanceOf(e);
    std::string modified = modifiedText(e);
    switch (format) {
      case ListingFormat::Tsv:
        out << tsvField(utf8(l.path)) << '\t' << e.isFolder << '\t' << e.deleted << '\t' << e.size << '\t' << chance.number
            << '\t' << modified << '\t' << e.startPosition << '\t' << e.id << '\n';
        break;
      case ListingFormat::Json:
        out << "{\"path\":" << jsonString(utf8(l.path)) << ",\"folder\":" << e.isFolder << ",\"deleted\":" << e.deleted
            << ",\"size\":" << e.size << ",\"chance\":" << (chance.number.empty() ? "null" : chance.number)
            << ",\"modified\":" << jsonString(modified) << ",\"start\":" << e.startPosition << ",\"id\":" << e.id << "}\n";
        break;
      case ListingFormat::Text:
        out << std::string(static_cast<std::size_t>(l.depth) * 2, ' ') << utf8(e.name) << (e.isFolder ? "\\" : "");
        if (!e.isFolder) out << "  " << e.size << " 字节";
        if (!modified.empty()) out << "  " << modified;
        if (e.deleted) out << "  " << utf8(std::u16string(loadString(e.isFolder ? res::IDS_TYPE_DELETED_FOLDER : res::IDS_TYPE_DELETED_FILE)));
        if (!chance.word.empty()) out << "  " << chance.word;
        out << '\n';
        break;
    }
  }
}

}  // namespace tarvosk::cli
