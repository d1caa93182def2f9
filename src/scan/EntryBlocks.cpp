#include "scan/EntryBlocks.h"

#include <new>
#include <utility>

#include "platform/Files.h"

namespace tarvosk {

namespace {

// Blocks allocated one by one before slabs are used: 4,096 entries.
constexpr std::size_t kSingleBlocks = 8;

}  // namespace

EntryBlocks::~EntryBlocks() {
  for (std::size_t i = 0; i < blocks_.size(); ++i) {
    if (i < kSingleBlocks) delete blocks_[i];
    else blocks_[i]->~EntryBlock();
  }
  for (void* slab : slabs_) VirtualFree(slab, 0, MEM_RELEASE);
}

EntryBlock& EntryBlocks::add() {
  blocks_.reserve(blocks_.size() + 1);  // so that a failure below leaves nothing half added
  if (blocks_.size() < kSingleBlocks) {
    blocks_.push_back(new EntryBlock);
    return *blocks_.back();
  }
  if (slabBlocksLeft_ == 0) {
    slabs_.reserve(slabs_.size() + 1);
    const SIZE_T bytes = GetLargePageMinimum();  // one large page: 42 blocks
    void* slab = VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE | MEM_LARGE_PAGES, PAGE_READWRITE);
    if (!slab) throw std::bad_alloc();
    slabs_.push_back(slab);
    slabFree_ = static_cast<std::byte*>(slab);
    slabBlocksLeft_ = bytes / sizeof(EntryBlock);
  }
  blocks_.push_back(new (slabFree_) EntryBlock);
  slabFree_ += sizeof(EntryBlock);
  --slabBlocksLeft_;
  return *blocks_.back();
}

void EntryBlocks::swap(EntryBlocks& other) noexcept {
  std::swap(blocks_, other.blocks_);
  std::swap(slabs_, other.slabs_);
  std::swap(slabFree_, other.slabFree_);
  std::swap(slabBlocksLeft_, other.slabBlocksLeft_);
}

}  // namespace tarvosk
