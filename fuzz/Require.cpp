#include <cstdio>
#include <cstdlib>

#include "FuzzTarget.h"

namespace tarvosk::fuzz {

void require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "fuzz target property violated: %s\n", property);
  std::abort();
}

}  // namespace tarvosk::fuzz
