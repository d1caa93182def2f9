// Where a drive list keeps its entries: blocks of 512 that never move, each with the ids the
// entries were created under. The first blocks are allocated one by one, so that a small list
// stays small; later ones are carved out of slabs of large pages, so that the millions of
// entries of a large volume's scan cost a page fault per large page, not per 4 KiB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scan/FileEntry.h"

namespace tarvosk {

struct EntryBlock {
  static constexpr std::size_t kEntries = 512;
  FileEntry entries[kEntries];
  std::uint64_t ids[kEntries];
};

class EntryBlocks {
 public:
  EntryBlocks() = default;
  EntryBlocks(const EntryBlocks&) = delete;
  EntryBlocks& operator=(const EntryBlocks&) = delete;
  EntryBlocks(EntryBlocks&& other) noexcept { swap(other); }
  EntryBlocks& operator=(EntryBlocks&& other) noexcept {
    EntryBlocks gone(std::move(*this));
    swap(other);
    return *this;
  }
  ~EntryBlocks();

  // A new block at the end, its entries in their default state.
  EntryBlock& add();
  std::size_t size() const { return blocks_.size(); }
  EntryBlock& operator[](std::size_t i) const { return *blocks_[i]; }
  EntryBlock& back() const { return *blocks_.back(); }

 private:
  void swap(EntryBlocks& other) noexcept;

  std::vector<EntryBlock*> blocks_;
  std::vector<void*> slabs_;  // from VirtualAlloc
  std::byte* slabFree_ = nullptr;
  std::size_t slabBlocksLeft_ = 0;
};

}  // namespace tarvosk
