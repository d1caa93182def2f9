// A string of an entry (its name, the path of a recycle-bin file) held in one heap block of
// exactly its size: the length, the characters and a closing NUL. The entry itself carries only
// a pointer, so that a list of hundreds of thousands of entries carries no string slack.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace tarvosk {

class EntryString {
 public:
  // Texts longer than this are cut; no file system this reads has names or paths near it.
  static constexpr std::size_t kMaxLength = 0xFFFF;

  EntryString() = default;
  template <class Text>
    requires std::is_convertible_v<const Text&, std::u16string_view>
  EntryString(const Text& text) {  // NOLINT: converts like the strings it replaces
    assign(text);
  }
  EntryString(const EntryString& other) { assign(other.view()); }
  EntryString(EntryString&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
  ~EntryString() { delete[] block_; }

  EntryString& operator=(const EntryString& other) {
    if (this != &other) assign(other.view());
    return *this;
  }
  EntryString& operator=(EntryString&& other) noexcept {
    std::swap(block_, other.block_);
    return *this;
  }
  template <class Text>
    requires std::is_convertible_v<const Text&, std::u16string_view>
  EntryString& operator=(const Text& text) {
    assign(text);
    return *this;
  }

  std::u16string_view view() const { return block_ ? std::u16string_view(block_ + 1, block_[0]) : std::u16string_view(); }
  operator std::u16string_view() const { return view(); }
  std::u16string str() const { return std::u16string(view()); }
  // NUL-terminated, for the platform's file calls.
  const char16_t* c_str() const { return block_ ? block_ + 1 : u""; }
  std::size_t size() const { return block_ ? block_[0] : 0; }
  bool empty() const { return block_ == nullptr; }

  friend bool operator==(const EntryString& a, std::u16string_view b) { return a.view() == b; }

 private:
  void assign(std::u16string_view text);

  char16_t* block_ = nullptr;  // [length][characters][NUL], or null when empty
};

}  // namespace tarvosk
