// The process's recogniser registry, in the fixed order of feeding, of the scan wizard's type
// tree and of the result folders.
#pragma once

#include "types/FilterRegistry.h"

namespace tarvosk {

FilterRegistry& filterRegistry();

}  // namespace tarvosk
