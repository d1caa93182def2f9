#include "cli/Listing.h"

#include <algorithm>
#include <charconv>
#include <numeric>
#include <unordered_set>

#include "cli/JsonText.h"
#include "platform/CodePage.h"
#include "platform/Time.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "scan/EntryTimes.h"
#include "scan/FileList.h"
#include "scan/RecoveryChance.h"
#include "settings/Settings.h"

namespace tarvosk::cli {

namespace {

constexpr int kMaxDepth = 2048;

std::string utf8(std::u16string_view s) { return utf16ToUtf8(s); }

void appendNumber(std::string& line, std::uint64_t n) {
  char digits[20];
  line.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
}

// At least width digits, zeros in front.
void appendPadded(std::string& line, unsigned n, std::size_t width) {
  char digits[10];
  char* end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  line.append(width > static_cast<std::size_t>(end - digits) ? width - static_cast<std::size_t>(end - digits) : 0, '0');
  line.append(digits, end);
}

// An entry's modification time in local time, when it has one.
struct Modified {
  FILETIME local{};
  bool known = false;
};

// "YYYY-MM-DD HH:MM:SS"; nothing when the time is unknown.
void appendModified(std::string& line, const Modified& modified) {
  SYSTEMTIME t{};
  if (!modified.known || !FileTimeToSystemTime(&modified.local, &t)) return;
  appendPadded(line, t.wYear, 4);
  line += '-';
  appendPadded(line, t.wMonth, 2);
  line += '-';
  appendPadded(line, t.wDay, 2);
  line += ' ';
  appendPadded(line, t.wHour, 2);
  line += ':';
  appendPadded(line, t.wMinute, 2);
  line += ':';
  appendPadded(line, t.wSecond, 2);
}

// The chance as printed: deleted files are rated first (NTFS files on first use); nothing at all
// while the setting hides chances.
struct Chance {
  bool shown = false;
  std::uint8_t level = 0;
  WCHAR text[kRecoveryChanceTextUnits] = {};
};
void rate(FileEntry& e, Chance& chance) {
  chance.shown = settings().ShowRecoveryChanses;
  chance.text[0] = 0;
  if (!chance.shown) return;
  chance.level = !e.deleted || e.isFolder ? e.recoveryChance : GetRecoveryChanceText(chance.text, e);
}

// Rates every entry and takes its time in the order of the ids first, which on NTFS is the
// order of their records in the $MFT: read in that order they come through the $MFT window,
// where the folder order of the listing would ask for them all over the $MFT.
std::vector<Modified> rateAndTime(const std::vector<ListedEntry>& entries) {
  std::vector<std::size_t> order(entries.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return entries[a].entry->id < entries[b].entry->id; });
  std::vector<Modified> times(entries.size());
  Chance chance;
  for (std::size_t i : order) {
    rate(*entries[i].entry, chance);
    times[i].known = entryModifiedTime(*entries[i].entry, times[i].local);
  }
  return times;
}

// UTF-8 of a text, with tabs and line breaks as spaces, so that a name cannot break a line.
void appendTsvText(std::string& line, std::u16string_view text) {
  std::size_t from = line.size();
  line += utf16ToUtf8(text);
  for (std::size_t i = from; i < line.size(); ++i)
    if (line[i] == '\t' || line[i] == '\n' || line[i] == '\r') line[i] = ' ';
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
  out.reserve(list.size());
  struct Frame {
    const FileEntry* folder;
    std::size_t next;
    std::u16string path;
  };
  std::unordered_set<std::uint64_t> visited{folder};
  std::vector<Frame> stack;
  if (const FileEntry* top = list.Find(folder)) stack.push_back({top, 0, u""});
  // A read-only walk: an id that names no entry (damaged folder data) is passed over.
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next >= f.folder->children.size()) {
      stack.pop_back();
      continue;
    }
    std::uint64_t id = f.folder->children[f.next++];
    FileEntry* e = id == ROOT_ENTRY_ID ? nullptr : list.Find(id);
    if (!e) continue;
    std::u16string path = f.path + u"\\" + e->name.str();
    out.push_back({path, e, static_cast<int>(stack.size()) - 1});
    if (e->isFolder && visited.insert(id).second && stack.size() < kMaxDepth) stack.push_back({e, 0, path});
  }
  return out;
}

std::u16string entryPath(DriveFileList& list, const FileEntry& entry) {
  std::u16string path;
  const FileEntry* e = &entry;
  for (int hops = 0; e && e->id != ROOT_ENTRY_ID && e->id != 0 && hops < kMaxDepth; ++hops) {
    path = u"\\" + e->name.str() + path;
    e = list.Find(e->parentId);
  }
  return path;
}

FileEntry* entryAtListedPath(DriveFileList& list, const std::u16string& path) {
  std::uint64_t id = 0;
  return findIdAtPath(list, path, id) ? list.Find(id) : nullptr;
}

void printListing(const std::vector<ListedEntry>& entries, ListingFormat format, std::ostream& out) {
  if (format == ListingFormat::Tsv) out << "path\tfolder\tdeleted\tsize\tchance\tmodified\tstart\tid\n";
  std::string line;
  std::string modified;
  Chance chance;
  const std::vector<Modified> times = rateAndTime(entries);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ListedEntry& l = entries[i];
    FileEntry& e = *l.entry;
    rate(e, chance);
    modified.clear();
    appendModified(modified, times[i]);
    line.clear();
    switch (format) {
      case ListingFormat::Tsv:
        appendTsvText(line, l.path);
        line += e.isFolder ? "\t1\t" : "\t0\t";
        line += e.deleted ? "1\t" : "0\t";
        appendNumber(line, e.size);
        line += '\t';
        if (chance.shown) appendNumber(line, chance.level);
        line += '\t';
        line += modified;
        line += '\t';
        appendNumber(line, e.startPosition);
        line += '\t';
        appendNumber(line, e.id);
        line += '\n';
        break;
      case ListingFormat::Json:
        line += "{\"path\":" + jsonString(utf8(l.path)) + ",\"folder\":" + (e.isFolder ? "1" : "0") +
                ",\"deleted\":" + (e.deleted ? "1" : "0") + ",\"size\":";
        appendNumber(line, e.size);
        line += ",\"chance\":";
        if (chance.shown) appendNumber(line, chance.level);
        else line += "null";
        line += ",\"modified\":" + jsonString(modified) + ",\"start\":";
        appendNumber(line, e.startPosition);
        line += ",\"id\":";
        appendNumber(line, e.id);
        line += "}\n";
        break;
      case ListingFormat::Text:
        line.append(static_cast<std::size_t>(l.depth) * 2, ' ');
        line += utf8(e.name);
        if (e.isFolder) line += '\\';
        if (!e.isFolder) {
          line += "  ";
          appendNumber(line, e.size);
          line += " 字节";
        }
        if (!modified.empty()) line += "  " + modified;
        if (e.deleted) line += "  " + utf8(loadString(e.isFolder ? res::IDS_TYPE_DELETED_FOLDER : res::IDS_TYPE_DELETED_FILE));
        if (chance.text[0] != 0) line += "  " + utf8(chance.text);
        line += '\n';
        break;
    }
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
  }
}

}  // namespace tarvosk::cli
