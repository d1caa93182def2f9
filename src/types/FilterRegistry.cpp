#include "types/FilterRegistry.h"

#include <algorithm>
#include <string>

#include "log/Log.h"

namespace tarvosk {

FilterRegistry::FilterRegistry(std::vector<std::unique_ptr<CTypeFilter>> recognisers)
    : recognisers_(std::move(recognisers)), active_(recognisers_.size(), 1) {}

CTypeFilter* FilterRegistry::item(std::size_t index) const {
  return index < recognisers_.size() ? recognisers_[index].get() : nullptr;
}

void FilterRegistry::ResetAll() {
  for (std::size_t i = 0; i < recognisers_.size(); ++i) {
    CTypeFilter& r = *recognisers_[i];
    r.Reset();
    bool wanted = r.enabled || std::any_of(r.children.begin(), r.children.end(),
                                           [](const CTypeFilter* child) { return child->enabled; });
    active_[i] = wanted ? 1 : 0;
  }
}

void FilterRegistry::Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
  for (std::size_t i = 0; i < recognisers_.size(); ++i) {
    if (!active_[i]) continue;
    try {
      recognisers_[i]->Feed(unit, data, unitSize);
    } catch (...) {
      LOG_Write(g_logAPP, ERROR, u"Feed(%I64d): exception!!! in filter %s, buf=0x%x", static_cast<std::int64_t>(unit),
                std::u16string(recognisers_[i]->GetExtension()), static_cast<const void*>(data));
    }
  }
}

void FilterRegistry::EnableAll(bool enabled) {
  for (auto& r : recognisers_) r->enabled = enabled;
}

}  // namespace tarvosk
