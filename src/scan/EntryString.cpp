#include "scan/EntryString.h"

#include <algorithm>

namespace tarvosk {

void EntryString::assign(std::u16string_view text) {
  char16_t* old = block_;
  block_ = nullptr;
  if (!text.empty()) {
    std::size_t length = std::min(text.size(), kMaxLength);
    char16_t* block = new char16_t[length + 2];
    block[0] = static_cast<char16_t>(length);
    std::copy_n(text.data(), length, block + 1);
    block[length + 1] = u'\0';
    block_ = block;
  }
  delete[] old;  // after the copy: the text may be a view of this very string
}

}  // namespace tarvosk
