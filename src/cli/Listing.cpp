#include "cli/Listing.h"

#include <algorithm>
#include <charconv>
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
// How far ahead of the child being listed the walk asks for its name to be loaded (its entry is
// by then, see DriveFileList::prefetchChildren).
constexpr std::size_t kNameLookahead = 2;

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

// Rates the deleted files that the scan left unrated, in the order of their ids, which on NTFS is
// the order of their records in the $MFT: read in that order they come through the $MFT window,
// where the folder order of the listing would ask for them all over the $MFT.
void rateInRecordOrder(std::vector<FileEntry*> unrated) {
  if (!settings().ShowRecoveryChanses) return;
  std::erase_if(unrated, [](const FileEntry* e) { return !e->deleted || e->isFolder || e->recoveryChance != CHANCE_NOT_RATED; });
  std::sort(unrated.begin(), unrated.end(), [](const FileEntry* a, const FileEntry* b) { return a->id < b->id; });
  Chance chance;
  for (FileEntry* e : unrated) rate(*e, chance);
}

// Calls visit(path, entry, depth) for every entry below folder, depth first in list order (the
// root itself and id 5 left out), with the entry's path from the drive's root, "\" separated and
// starting with "\", valid during the call. A folder met twice (a loop in damaged folder data)
// is gone through once; an id that names no entry is passed over.
template <class Visit>
void forEachEntryBelow(DriveFileList& list, std::uint64_t folder, Visit visit) {
  struct Frame {
    const FileEntry* folder;
    std::size_t next;
    std::size_t pathLength;
  };
  std::unordered_set<std::uint64_t> visited{folder};
  std::vector<Frame> stack;
  std::u16string path;
  if (const FileEntry* top = list.Find(folder)) stack.push_back({top, 0, 0});
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next >= f.folder->children.size()) {
      stack.pop_back();
      continue;
    }
    const ChildIds& children = f.folder->children;
    list.prefetchChildren(children, f.next);
    if (f.next + kNameLookahead < children.size())
      if (const FileEntry* ahead = list.Find(children[f.next + kNameLookahead])) __builtin_prefetch(ahead->name.c_str());
    std::uint64_t id = children[f.next++];
    FileEntry* e = id == ROOT_ENTRY_ID ? nullptr : list.Find(id);
    if (!e) continue;
    path.resize(f.pathLength);
    path += u'\\';
    path += e->name.view();
    visit(std::u16string_view(path), *e, static_cast<int>(stack.size()) - 1);
    if (e->isFolder && visited.insert(id).second && stack.size() < kMaxDepth) stack.push_back({e, 0, path.size()});
  }
}

// UTF-8 of a text, with tabs and line breaks as spaces, so that a name cannot break a line.
void appendTsvText(std::string& line, std::u16string_view text) {
  std::size_t from = line.size();
  appendUtf8(line, text);
  for (std::size_t i = from; i < line.size(); ++i)
    if (line[i] == '\t' || line[i] == '\n' || line[i] == '\r') line[i] = ' ';
}

constexpr char kTsvHeader[] = "path\tfolder\tdeleted\tsize\tchance\tmodified\tstart\tid\n";
// Lines are handed to the stream in pieces of about this size.
constexpr std::size_t kOutputPiece = 64 * 1024;

// Collects lines and hands them to the stream in large pieces.
class ListingWriter {
 public:
  ListingWriter(ListingFormat format, std::ostream& out) : format_(format), out_(out) {
    if (format == ListingFormat::Tsv) text_ = kTsvHeader;
  }
  ~ListingWriter() { flush(); }
  ListingWriter(const ListingWriter&) = delete;
  ListingWriter& operator=(const ListingWriter&) = delete;

  // Adds the line of one entry.
  void add(std::u16string_view path, FileEntry& e, int depth) {
    rate(e, chance_);
    Modified time;
    time.known = entryModifiedTime(e, time.local);
    modified_.clear();
    appendModified(modified_, time);
    switch (format_) {
      case ListingFormat::Tsv:
        appendTsvText(text_, path);
        text_ += e.isFolder ? "\t1\t" : "\t0\t";
        text_ += e.deleted ? "1\t" : "0\t";
        appendNumber(text_, e.size);
        text_ += '\t';
        if (chance_.shown) appendNumber(text_, chance_.level);
        text_ += '\t';
        text_ += modified_;
        text_ += '\t';
        appendNumber(text_, e.startPosition);
        text_ += '\t';
        appendNumber(text_, e.id);
        text_ += '\n';
        break;
      case ListingFormat::Json:
        text_ += "{\"path\":" + jsonString(utf8(path)) + ",\"folder\":" + (e.isFolder ? "1" : "0") +
                 ",\"deleted\":" + (e.deleted ? "1" : "0") + ",\"size\":";
        appendNumber(text_, e.size);
        text_ += ",\"chance\":";
        if (chance_.shown) appendNumber(text_, chance_.level);
        else text_ += "null";
        text_ += ",\"modified\":" + jsonString(modified_) + ",\"start\":";
        appendNumber(text_, e.startPosition);
        text_ += ",\"id\":";
        appendNumber(text_, e.id);
        text_ += "}\n";
        break;
      case ListingFormat::Text:
        text_.append(static_cast<std::size_t>(depth) * 2, ' ');
        text_ += utf8(e.name);
        if (e.isFolder) text_ += '\\';
        if (!e.isFolder) {
          text_ += "  ";
          appendNumber(text_, e.size);
          text_ += " 字节";
        }
        if (!modified_.empty()) text_ += "  " + modified_;
        if (e.deleted) text_ += "  " + utf8(loadString(e.isFolder ? res::IDS_TYPE_DELETED_FOLDER : res::IDS_TYPE_DELETED_FILE));
        if (chance_.text[0] != 0) text_ += "  " + utf8(chance_.text);
        text_ += '\n';
        break;
    }
    if (text_.size() >= kOutputPiece) flush();
  }

 private:
  void flush() {
    out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
    text_.clear();
  }
  ListingFormat format_;
  std::ostream& out_;
  std::string text_;
  std::string modified_;
  Chance chance_;
};

}  // namespace

bool parseListingFormat(const std::string& text, ListingFormat& out) {
  if (text == "text") out = ListingFormat::Text;
  else if (text == "tsv") out = ListingFormat::Tsv;
  else if (text == "json") out = ListingFormat::Json;
  else return false;
  return true;
}

std::u16string entryPath(DriveFileList& list, const FileEntry& entry) {
  // The names from the entry up, joined from the top down (appended rather than prepended: GCC 12
  // at -O3 sees a false overlap in u"\\" + name).
  std::vector<const FileEntry*> chain;
  const FileEntry* e = &entry;
  for (int hops = 0; e && e->id != ROOT_ENTRY_ID && e->id != 0 && hops < kMaxDepth; ++hops) {
    chain.push_back(e);
    e = list.Find(e->parentId);
  }
  std::u16string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    path += u'\\';
    path += (*it)->name.str();
  }
  return path;
}

FileEntry* entryAtListedPath(DriveFileList& list, const std::u16string& path) {
  std::uint64_t id = 0;
  return findIdAtPath(list, path, id) ? list.Find(id) : nullptr;
}

void printListing(const std::vector<ListedEntry>& entries, ListingFormat format, std::ostream& out) {
  std::vector<FileEntry*> listed;
  for (const ListedEntry& l : entries) listed.push_back(l.entry);
  rateInRecordOrder(std::move(listed));
  ListingWriter writer(format, out);
  for (const ListedEntry& l : entries) writer.add(l.path, *l.entry, l.depth);
}

void printDrive(DriveFileList& list, ListingFormat format, std::ostream& out) {
  std::vector<FileEntry*> all;
  all.reserve(list.size());
  for (FileEntry& e : list) all.push_back(&e);
  rateInRecordOrder(std::move(all));
  ListingWriter writer(format, out);
  forEachEntryBelow(list, ROOT_ENTRY_ID, [&](std::u16string_view path, FileEntry& e, int depth) { writer.add(path, e, depth); });
}

}  // namespace tarvosk::cli
