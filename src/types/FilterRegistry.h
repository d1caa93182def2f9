// The ordered registry of recognisers that the carving scans feed and the wizard's type tree
// lists. The order is the order of feeding, of the type tree and of the result folders.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "types/TypeFilter.h"

namespace tarvosk {

class FilterRegistry {
 public:
  explicit FilterRegistry(std::vector<std::unique_ptr<CTypeFilter>> recognisers);

  std::size_t count() const { return recognisers_.size(); }
  // The recogniser at index, or null past the end.
  CTypeFilter* item(std::size_t index) const;

  // Resets every recogniser and makes it active when it or one of its children is enabled.
  void ResetAll();
  // Feeds one unit to every active recogniser. An exception from one recogniser is logged and
  // the others are fed as if nothing happened.
  void Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize);
  void EnableAll(bool enabled);
  bool isActive(std::size_t index) const { return index < active_.size() && active_[index] != 0; }

 private:
  std::vector<std::unique_ptr<CTypeFilter>> recognisers_;
  std::vector<std::uint8_t> active_;
};

}  // namespace tarvosk
