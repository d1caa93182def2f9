#include "types/TypeFilter.h"

namespace tarvosk {

const std::vector<FoundFile>& CTypeFilter::noResults() {
  static const std::vector<FoundFile> empty;
  return empty;
}

}  // namespace tarvosk
