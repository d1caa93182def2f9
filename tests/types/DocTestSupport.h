// Helpers of the document recognisers' tests: synthetic disks with real files placed at unit
// boundaries, hand-built compound files, a unit window fenced by an unreadable page, and a
// scoped change of MinTextFileSize.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/ByteOrder.h"
#include "settings/Settings.h"
#include "types/LookAhead.h"

namespace tarvosk::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes asciiBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

// A disk image built unit by unit: noise, zeros and files, each file starting at a unit's start
// and the rest of its last unit zero-filled.
class SyntheticDisk {
 public:
  SyntheticDisk(std::uint32_t unitSize, std::uint32_t seed = 1) : unitSize_(unitSize), rng_(seed) {}
  std::uint32_t unitSize() const { return unitSize_; }
  std::uint64_t unitCount() const { return bytes_.size() / unitSize_; }
  void addNoise(std::size_t units) {
    for (std::size_t i = 0; i < units * unitSize_; ++i) bytes_.push_back(static_cast<std::uint8_t>(rng_()));
  }
  void addZeros(std::size_t units) { bytes_.resize(bytes_.size() + units * unitSize_, 0); }
  void addFill(std::size_t units, std::uint8_t value) { bytes_.resize(bytes_.size() + units * unitSize_, value); }
  // Places file at the next unit boundary and returns its start unit.
  std::uint64_t place(const Bytes& file) {
    const std::uint64_t start = unitCount();
    bytes_.insert(bytes_.end(), file.begin(), file.end());
    bytes_.resize((bytes_.size() + unitSize_ - 1) / unitSize_ * unitSize_, 0);
    return start;
  }
  // The bytes of length from the start of unit (what a recovery of a carved file would copy).
  Bytes carve(std::uint64_t unit, std::uint64_t length) const {
    const std::size_t from = static_cast<std::size_t>(unit * unitSize_);
    if (!fitsIn(bytes_.size(), from, static_cast<std::size_t>(length))) return {};
    return Bytes(bytes_.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes_.begin() + static_cast<std::ptrdiff_t>(from + length));
  }
  ByteSpan span() const { return bytes_; }
  Bytes& raw() { return bytes_; }

 private:
  std::uint32_t unitSize_;
  std::mt19937 rng_;
  Bytes bytes_;
};

// A compound file with 512-byte sectors and one FAT sector (sector 0): the FAT maps the FAT
// sector itself and the data sectors as one chain; the rest of its entries are free. texts are
// written into the data sectors, one per sector from sector 1 (the last sector holding them is
// the file's last).
inline Bytes makeCompoundFile(std::uint32_t dataSectors, const std::vector<std::string>& texts = {}) {
  constexpr std::uint32_t kSector = 512;
  if (dataSectors + 1 > kSector / 4 || texts.size() > dataSectors) throw std::invalid_argument("too many sectors");
  Bytes file(kSector * (2 + dataSectors), 0);
  const std::uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::memcpy(file.data(), signature, sizeof signature);
  putLe16(&file[0x18], 0x3E);  // minor version
  putLe16(&file[0x1A], 3);     // major version
  putLe16(&file[0x1C], 0xFFFE);
  putLe16(&file[0x1E], 9);  // sector shift
  putLe16(&file[0x20], 6);  // mini sector shift
  putLe32(&file[0x2C], 1);  // FAT sectors
  putLe32(&file[0x30], 1);  // first directory sector
  putLe32(&file[0x3C], 0xFFFFFFFE);
  putLe32(&file[0x44], 0xFFFFFFFE);
  for (std::size_t i = 0; i < 109; ++i) putLe32(&file[0x4C + 4 * i], 0xFFFFFFFF);
  putLe32(&file[0x4C], 0);  // the FAT sector is sector 0
  std::uint8_t* fat = &file[kSector];
  for (std::uint32_t e = 0; e < kSector / 4; ++e) putLe32(fat + 4 * e, 0xFFFFFFFF);
  putLe32(fat, 0xFFFFFFFD);
  for (std::uint32_t s = 1; s <= dataSectors; ++s) putLe32(fat + 4 * s, s == dataSectors ? 0xFFFFFFFE : s + 1);
  for (std::size_t i = 0; i < texts.size(); ++i)
    std::memcpy(&file[kSector * (2 + i) + 16], texts[i].data(), std::min<std::size_t>(texts[i].size(), kSector - 16));
  return file;
}

// One unit fed from memory that ends exactly where the guaranteed look-ahead ends: the page after
// it cannot be read, so a recogniser that reads further crashes the test.
class FencedUnit {
 public:
  explicit FencedUnit(std::uint32_t unitSize) : unitSize_(unitSize) {
    page_ = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    readable_ = readableBytes(unitSize);
    mapped_ = (readable_ + page_ - 1) / page_ * page_ + page_;
    void* p = mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::runtime_error("mmap failed");
    base_ = static_cast<std::uint8_t*>(p);
    if (mprotect(base_ + mapped_ - page_, page_, PROT_NONE) != 0) throw std::runtime_error("mprotect failed");
    window_ = base_ + mapped_ - page_ - readable_;
  }
  ~FencedUnit() { munmap(base_, mapped_); }
  FencedUnit(const FencedUnit&) = delete;
  FencedUnit& operator=(const FencedUnit&) = delete;
  // Copies the unit and the bytes after it (zeros past the disk's end) into the window.
  const std::uint8_t* load(ByteSpan disk, std::uint64_t unit) {
    const std::size_t from = static_cast<std::size_t>(unit * unitSize_);
    for (std::size_t i = 0; i < readable_; ++i) window_[i] = from + i < disk.size() ? disk[from + i] : 0;
    return window_;
  }

 private:
  std::uint32_t unitSize_;
  std::size_t page_ = 0, readable_ = 0, mapped_ = 0;
  std::uint8_t* base_ = nullptr;
  std::uint8_t* window_ = nullptr;
};

// Feeds every unit of disk through a fenced window.
template <class Target>
void feedFenced(Target& target, ByteSpan disk, std::uint32_t unitSize, const std::vector<bool>& unavailable = {}) {
  FencedUnit fence(unitSize);
  const std::uint64_t units = (disk.size() + unitSize - 1) / unitSize;
  for (std::uint64_t u = 0; u < units; ++u) {
    const bool missing = u < unavailable.size() && unavailable[u];
    target.Feed(u, missing ? nullptr : fence.load(disk, u), unitSize);
  }
}

// Names the cases of a (fixture name, unit size) parameterised test: "letter_doc_512".
struct FixtureCaseName {
  template <class Info>
  std::string operator()(const Info& testInfo) const {
    std::string name = std::get<0>(testInfo.param);
    for (char& c : name)
      if (c == '.') c = '_';
    return name + "_" + std::to_string(std::get<1>(testInfo.param));
  }
};

// Sets MinTextFileSize for the scope of a test.
class ScopedMinTextFileSize {
 public:
  explicit ScopedMinTextFileSize(std::int32_t value) : saved_(settings().MinTextFileSize) {
    settings().MinTextFileSize = value;
  }
  ~ScopedMinTextFileSize() { settings().MinTextFileSize = saved_; }

 private:
  std::int32_t saved_;
};

}  // namespace tarvosk::test
