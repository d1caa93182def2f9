#include "scan/ChildIds.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

namespace tarvosk {

ChildIds::ChildIds(const ChildIds& other) : size_(other.size_), capacity_(other.size_) {
  if (size_ != 0) {
    ids_ = new std::uint64_t[size_];
    std::copy(other.begin(), other.end(), ids_);
  }
}

ChildIds& ChildIds::operator=(const ChildIds& other) {
  if (this != &other) {
    ChildIds copy(other);
    *this = std::move(copy);
  }
  return *this;
}

ChildIds& ChildIds::operator=(ChildIds&& other) noexcept {
  std::swap(ids_, other.ids_);
  std::swap(size_, other.size_);
  std::swap(capacity_, other.capacity_);
  return *this;
}

void ChildIds::push_back(std::uint64_t id) {
  if (size_ == capacity_) {
    constexpr std::uint32_t kMost = std::numeric_limits<std::uint32_t>::max();
    if (capacity_ == kMost) throw std::length_error("ChildIds: too many ids");
    std::uint32_t grown = capacity_ < 4 ? 4 : capacity_ > kMost / 2 ? kMost : capacity_ * 2;
    auto* ids = new std::uint64_t[grown];
    std::copy(begin(), end(), ids);
    delete[] ids_;
    ids_ = ids;
    capacity_ = grown;
  }
  ids_[size_++] = id;
}

}  // namespace tarvosk
