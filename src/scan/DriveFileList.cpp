#include "scan/DriveFileList.h"

#include <limits>
#include <stdexcept>
#include <unordered_set>
#include <utility>
#include <vector>

namespace tarvosk {

namespace {

constexpr unsigned kFirstTableBits = 4;
// How far ahead of the child being looked up a walk asks for slots and entries to be loaded.
constexpr std::size_t kSlotLookahead = 8;
constexpr std::size_t kEntryLookahead = 4;

// Fibonacci hashing: ids that follow each other (FAT and physical scans count up, MFT record
// numbers mostly do) spread evenly over the table.
std::size_t slotHash(std::uint64_t id, unsigned bits) {
  return static_cast<std::size_t>((id * 0x9E3779B97F4A7C15ull) >> (64 - bits));
}

}  // namespace

std::size_t DriveFileList::slotOf(std::uint64_t id) const {
  std::size_t mask = slots_.size() - 1;
  std::size_t slot = slotHash(id, tableBits_);
  const std::uint64_t tag = tagOf(id);
  // The entry's own id is looked at only when the tag agrees: a probe that passes other entries
  // then reads nothing beyond the table.
  while (slots_[slot] != 0 && ((slots_[slot] & kTagMask) != tag || idAt(placeIn(slots_[slot])) != id))
    slot = (slot + 1) & mask;
  return slot;
}

void DriveFileList::growTable() {
  tableBits_ = tableBits_ == 0 ? kFirstTableBits : tableBits_ + 1;
  slots_.assign(std::size_t{1} << tableBits_, 0);
  for (std::size_t place = 0; place < size_; ++place) {
    auto p = static_cast<std::uint32_t>(place);
    slots_[slotOf(idAt(p))] = slotValue(idAt(p), p);
  }
}

FileEntry& DriveFileList::Lookup(std::uint64_t id) {
  if (slots_.empty()) growTable();
  std::size_t slot = slotOf(id);
  if (slots_[slot] != 0) return entryAt(placeIn(slots_[slot]));
  if (size_ >= std::numeric_limits<std::uint32_t>::max() - 1) throw std::length_error("DriveFileList: too many entries");
  if ((size_ + 1) * 4 > slots_.size() * 3) {
    growTable();
    slot = slotOf(id);
  }
  if (size_ % kBlockEntries == 0) blocks_.add();
  auto place = static_cast<std::uint32_t>(size_++);
  blocks_.back().ids[place % kBlockEntries] = id;
  slots_[slot] = slotValue(id, place);
  return entryAt(place);
}

FileEntry* DriveFileList::Find(std::uint64_t id) {
  return const_cast<FileEntry*>(std::as_const(*this).Find(id));
}

const FileEntry* DriveFileList::Find(std::uint64_t id) const {
  if (slots_.empty()) return nullptr;
  std::uint64_t value = slots_[slotOf(id)];
  return value == 0 ? nullptr : &entryAt(placeIn(value));
}

void DriveFileList::prefetchSlot(std::uint64_t id) const {
  if (!slots_.empty()) __builtin_prefetch(&slots_[slotHash(id, tableBits_)]);
}

void DriveFileList::prefetchEntry(std::uint64_t id) const {
  if (slots_.empty()) return;
  std::uint64_t value = slots_[slotHash(id, tableBits_)];
  if (value == 0 || (value & kTagMask) != tagOf(id)) return;  // not the first slot probed: left alone
  std::uint32_t place = placeIn(value);
  __builtin_prefetch(&blocks_[place / kBlockEntries].ids[place % kBlockEntries]);
  __builtin_prefetch(&entryAt(place));
}

void DriveFileList::prefetchChildren(const ChildIds& children, std::size_t next) const {
  if (next + kSlotLookahead < children.size()) prefetchSlot(children[next + kSlotLookahead]);
  if (next + kEntryLookahead < children.size()) prefetchEntry(children[next + kEntryLookahead]);
}

// Depth-first and without recursion, so that deep or looping folder data from a damaged disk
// can neither exhaust the stack nor run forever. Every child is visited (no early stop), as the
// flags of the whole tree are wanted.
bool ComputeDeletedFlags(DriveFileList& list, FileEntry& top) {
  struct Frame {
    FileEntry* entry;  // entries never move while the list lives
    std::size_t nextChild;
    bool holdsDeleted;
  };
  auto isDeletedFile = [](const FileEntry& e) { return e.deleted && !e.isFolder; };
  if (isDeletedFile(top)) {
    top.noDeletedFiles = false;
    return true;
  }
  std::unordered_set<std::uint64_t> visited{top.id};
  std::vector<Frame> stack{{&top, 0, false}};
  top.noDeletedFiles = true;
  bool result = false;
  while (!stack.empty()) {
    Frame& frame = stack.back();
    FileEntry& entry = *frame.entry;
    if (frame.nextChild < entry.children.size()) {
      list.prefetchChildren(entry.children, frame.nextChild);
      std::uint64_t childId = entry.children[frame.nextChild++];
      if (childId == ROOT_ENTRY_ID) continue;
      FileEntry& child = list.Lookup(childId);
      if (isDeletedFile(child)) {
        child.noDeletedFiles = false;
        frame.holdsDeleted = true;
      } else if (visited.insert(childId).second) {  // only what is walked can loop
        child.noDeletedFiles = true;
        stack.push_back({&child, 0, false});
      }
      continue;
    }
    entry.noDeletedFiles = !frame.holdsDeleted;
    bool holds = frame.holdsDeleted;
    stack.pop_back();
    if (stack.empty()) result = holds;
    else if (holds) stack.back().holdsDeleted = true;
  }
  return result;
}

}  // namespace tarvosk
