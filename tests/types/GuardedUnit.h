// Units fed to a recogniser from a window of exactly the unit and its guaranteed look-ahead,
// with unreadable pages on both sides: a recogniser that reads outside it ends the test program.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <stdexcept>

#include "platform/ByteOrder.h"
#include "types/LookAhead.h"

namespace tarvosk::test {

class GuardedUnit {
 public:
  explicit GuardedUnit(std::uint32_t unitSize) : unitSize_(unitSize), readable_(readableBytes(unitSize)) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t dataPages = (readable_ + page - 1) / page;
    mapped_ = (dataPages + 2) * page;
    void* p = mmap(nullptr, mapped_, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::runtime_error("mmap failed");
    base_ = static_cast<std::uint8_t*>(p);
    if (mprotect(base_ + page, dataPages * page, PROT_READ | PROT_WRITE) != 0) throw std::runtime_error("mprotect failed");
    window_ = base_ + page + dataPages * page - readable_;  // ends where the guard page begins
  }
  ~GuardedUnit() { munmap(base_, mapped_); }
  GuardedUnit(const GuardedUnit&) = delete;
  GuardedUnit& operator=(const GuardedUnit&) = delete;

  // Copies the unit and the bytes after it (zeros past the disk's end) into the window.
  const std::uint8_t* load(ByteSpan disk, std::uint64_t unit) {
    const std::size_t from = static_cast<std::size_t>(unit * unitSize_);
    std::memset(window_, 0, readable_);
    if (from < disk.size()) std::memcpy(window_, disk.data() + from, std::min(readable_, disk.size() - from));
    return window_;
  }

  // Feeds every unit of disk in order; units whose number is in unavailable come without data.
  template <class Target>
  void feed(Target& target, ByteSpan disk, const std::set<std::uint64_t>& unavailable = {}) {
    const std::uint64_t units = (disk.size() + unitSize_ - 1) / unitSize_;
    for (std::uint64_t u = 0; u < units; ++u) target.Feed(u, unavailable.count(u) ? nullptr : load(disk, u), unitSize_);
  }

 private:
  std::uint32_t unitSize_;
  std::size_t readable_;
  std::size_t mapped_ = 0;
  std::uint8_t* base_ = nullptr;
  std::uint8_t* window_ = nullptr;
};

}  // namespace tarvosk::test
