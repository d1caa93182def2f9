// FindFreeHandle: the lowest free entry of a layer's fixed table of open objects.
#pragma once

#include <cstddef>

#include "log/Log.h"
#include "platform/ResultCodes.h"

namespace tarvosk {

// Table entries expose an `inUse` field. Returns the lowest index whose entry is not in use, or
// INVALID_LAYER_HANDLE when every entry is taken; logs into the module of the layer that owns
// the table.
template <class Entry, std::size_t N>
DWORD FindFreeHandle(LogModule* module, const Entry (&table)[N]) {
  LOG_Write(module, INFO, u"FindFreeHandle()");
  for (std::size_t i = 0; i < N; ++i) {
    if (!table[i].inUse) {
      LOG_Write(module, INFO, u"FindFreeHandle(): returned %d", static_cast<DWORD>(i));
      return static_cast<DWORD>(i);
    }
  }
  LOG_Write(module, ERROR, u"FindFreeHandle(): no free handles available");
  return INVALID_LAYER_HANDLE;
}

}  // namespace tarvosk
