// A disk built unit by unit for the recogniser tests: noise, zeros, fill and real files, each file
// starting at a unit's start and the rest of its last unit zero-filled.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/ByteOrder.h"
#include "types/TypeFilter.h"

namespace tarvosk::test {

using Bytes = std::vector<std::uint8_t>;

class SyntheticDisk {
 public:
  explicit SyntheticDisk(std::uint32_t unitSize, std::uint32_t seed = 1) : unitSize_(unitSize), random_(seed) {}

  std::uint32_t unitSize() const { return unitSize_; }
  std::uint64_t units() const { return bytes_.size() / unitSize_; }
  const Bytes& bytes() const { return bytes_; }
  ByteSpan span() const { return bytes_; }
  Bytes& raw() { return bytes_; }

  // Random units.
  SyntheticDisk& random(std::size_t units) {
    for (std::size_t i = 0; i < units * unitSize_; ++i) bytes_.push_back(static_cast<std::uint8_t>(random_()));
    return *this;
  }
  // Random units whose first byte is 0, so that no start signature of any recogniser begins in
  // them by chance.
  SyntheticDisk& noise(std::size_t units) {
    for (std::size_t u = 0; u < units; ++u) {
      const std::size_t at = bytes_.size();
      random(1);
      bytes_[at] = 0;
    }
    return *this;
  }
  SyntheticDisk& zeros(std::size_t units) { return fill(units, 0); }
  SyntheticDisk& fill(std::size_t units, std::uint8_t value) {
    bytes_.resize(bytes_.size() + units * unitSize_, value);
    return *this;
  }
  // Appends the file at the next unit boundary, pads its last unit with zeros and returns the
  // number of its first unit.
  std::uint64_t place(const Bytes& file) {
    const std::uint64_t start = units();
    bytes_.insert(bytes_.end(), file.begin(), file.end());
    bytes_.resize((bytes_.size() + unitSize_ - 1) / unitSize_ * unitSize_, 0);
    return start;
  }
  // The bytes of length from the start of unit, up to the disk's end (what a recovery of a
  // carved file would copy).
  Bytes carve(std::uint64_t unit, std::uint64_t length) const {
    const std::uint64_t from = unit * unitSize_;
    const std::uint64_t to = std::min<std::uint64_t>(from + length, bytes_.size());
    if (from >= to) return {};
    return Bytes(bytes_.begin() + static_cast<std::ptrdiff_t>(from), bytes_.begin() + static_cast<std::ptrdiff_t>(to));
  }
  Bytes carve(const FoundFile& f) const { return carve(f.startUnit, f.length); }

 private:
  std::uint32_t unitSize_;
  std::mt19937 random_;
  Bytes bytes_;
};

}  // namespace tarvosk::test
