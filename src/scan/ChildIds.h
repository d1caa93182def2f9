// The entry ids a folder holds, in the order of attachment: a growable array of 64-bit ids
// whose size and capacity take 32 bits each, so that the many entries that hold nothing carry
// 16 bytes for it.
#pragma once

#include <cstdint>
#include <iterator>

namespace tarvosk {

class ChildIds {
 public:
  ChildIds() = default;
  ChildIds(const ChildIds& other);
  ChildIds(ChildIds&& other) noexcept : ids_(other.ids_), size_(other.size_), capacity_(other.capacity_) {
    other.ids_ = nullptr;
    other.size_ = other.capacity_ = 0;
  }
  ~ChildIds() { delete[] ids_; }
  ChildIds& operator=(const ChildIds& other);
  ChildIds& operator=(ChildIds&& other) noexcept;

  void push_back(std::uint64_t id);
  void clear() { size_ = 0; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::uint64_t operator[](std::size_t i) const { return ids_[i]; }

  const std::uint64_t* begin() const { return ids_; }
  const std::uint64_t* end() const { return ids_ + size_; }
  // The ids in place, for the views that reorder a folder's children when they sort it.
  std::uint64_t* begin() { return ids_; }
  std::uint64_t* end() { return ids_ + size_; }
  std::reverse_iterator<const std::uint64_t*> rbegin() const { return std::reverse_iterator(end()); }
  std::reverse_iterator<const std::uint64_t*> rend() const { return std::reverse_iterator(begin()); }

 private:
  std::uint64_t* ids_ = nullptr;
  std::uint32_t size_ = 0;
  std::uint32_t capacity_ = 0;
};

}  // namespace tarvosk
