// One drive's found files and folders: entries by id, folders naming their children by id.
#pragma once

#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

#include "scan/EntryBlocks.h"
#include "scan/FileEntry.h"
#include "scan/ScanHandle.h"

namespace tarvosk {

// The entries lie in blocks that never move (EntryBlocks), in the order they were created, and
// a hash table of 32-bit places, each with a tag of its id, finds them by id: a list costs little
// more per entry than the entry itself, and references stay valid while the list lives.
class DriveFileList {
  static constexpr std::size_t kBlockEntries = EntryBlock::kEntries;

  template <class Entry>
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = FileEntry;
    using difference_type = std::ptrdiff_t;
    using pointer = Entry*;
    using reference = Entry&;
    Iterator() = default;
    Iterator(const EntryBlocks* blocks, std::size_t place) : blocks_(blocks), place_(place) {}
    Entry& operator*() const { return (*blocks_)[place_ / kBlockEntries].entries[place_ % kBlockEntries]; }
    Entry* operator->() const { return &**this; }
    Iterator& operator++() {
      ++place_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      ++place_;
      return before;
    }
    bool operator==(const Iterator& other) const { return place_ == other.place_; }

   private:
    const EntryBlocks* blocks_ = nullptr;
    std::size_t place_ = 0;
  };

 public:
  DriveFileList() = default;
  DriveFileList(const DriveFileList&) = delete;
  DriveFileList& operator=(const DriveFileList&) = delete;
  DriveFileList(DriveFileList&&) = default;
  DriveFileList& operator=(DriveFileList&&) = default;

  // The entry of that id, created with the defaults first if the list has none.
  FileEntry& Lookup(std::uint64_t id);
  // The entry of that id, or null; creates nothing.
  FileEntry* Find(std::uint64_t id);
  const FileEntry* Find(std::uint64_t id) const;
  std::size_t size() const { return size_; }
  // Starts loading what looking up the children from next on will read: the slots of the table
  // for children some way ahead, and the entries of the next few once their slots are loaded. A
  // walk over a folder, whose children lie anywhere in the list, calls it before each child, so
  // that the loads overlap instead of following one another.
  void prefetchChildren(const ChildIds& children, std::size_t next) const;

  // Every entry, in the order of creation.
  Iterator<FileEntry> begin() { return {&blocks_, 0}; }
  Iterator<FileEntry> end() { return {&blocks_, size_}; }
  Iterator<const FileEntry> begin() const { return {&blocks_, 0}; }
  Iterator<const FileEntry> end() const { return {&blocks_, size_}; }

  // The handle of the scan whose entries this list holds or names (a search's result set shares
  // its drive list's); closed when the last list holding it goes.
  void holdScanHandle(std::shared_ptr<ScanHandle> handle) { scanHandle_ = std::move(handle); }
  const std::shared_ptr<ScanHandle>& scanHandle() const { return scanHandle_; }

 private:
  // The slot of the table that holds id, or the empty slot where it would go.
  std::size_t slotOf(std::uint64_t id) const;
  std::uint64_t idAt(std::uint32_t place) const { return blocks_[place / kBlockEntries].ids[place % kBlockEntries]; }
  FileEntry& entryAt(std::uint32_t place) const { return blocks_[place / kBlockEntries].entries[place % kBlockEntries]; }
  void growTable();
  void prefetchSlot(std::uint64_t id) const;
  void prefetchEntry(std::uint64_t id) const;

  std::shared_ptr<ScanHandle> scanHandle_;
  EntryBlocks blocks_;
  std::size_t size_ = 0;
  // Open addressing with linear probing: in the low 32 bits the place of the entry + 1, in the
  // high 32 bits a tag of its id; 0 for an empty slot. The size is a power of two, at most three
  // quarters full.
  static constexpr std::uint64_t kTagMask = 0xFFFFFFFF00000000ull;
  static std::uint64_t tagOf(std::uint64_t id) { return (id ^ (id >> 32)) << 32; }
  static std::uint64_t slotValue(std::uint64_t id, std::uint32_t place) { return tagOf(id) | (std::uint64_t{place} + 1); }
  static std::uint32_t placeIn(std::uint64_t value) { return static_cast<std::uint32_t>(value) - 1; }
  std::vector<std::uint64_t> slots_;
  unsigned tableBits_ = 0;
};

// Whether entry is, or holds, a deleted file; sets the no-deleted-files flag of entry and of
// everything beneath it. Folders met twice (a loop in damaged folder data) count once.
bool ComputeDeletedFlags(DriveFileList& list, FileEntry& entry);

}  // namespace tarvosk
