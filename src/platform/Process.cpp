// Process-wide services: the error mode and page-granular allocations.
#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

#include "platform/Files.h"
#include "platform/WinError.h"

namespace {
UINT g_errorMode = 0;
constexpr SIZE_T kPage = 4096;
constexpr SIZE_T kLargePage = 2 * 1024 * 1024;
}  // namespace

// Critical-error boxes do not exist here; the mode is only kept so that callers can restore it.
UINT SetErrorMode(UINT mode) {
  UINT previous = g_errorMode;
  g_errorMode = mode;
  return previous;
}

LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD allocationType, DWORD) {
  const bool large = (allocationType & MEM_LARGE_PAGES) != 0;
  if (address != nullptr || size == 0 || !(allocationType & MEM_COMMIT) || (large && size % kLargePage != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (size > SIZE_MAX - kPage) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  SIZE_T rounded = (size + kPage - 1) / kPage * kPage;
  void* p = std::aligned_alloc(large ? kLargePage : kPage, rounded);
  if (!p) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // Before the first touch: the pages are then faulted in large ones. Where the host gives no
  // large pages the memory is ordinary, as it is on Windows without the privilege.
  if (large) madvise(p, rounded, MADV_HUGEPAGE);
  std::memset(p, 0, rounded);
  return p;
}

BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD freeType) {
  if (!address || size != 0 || freeType != MEM_RELEASE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::free(address);
  return TRUE;
}

SIZE_T GetLargePageMinimum() { return kLargePage; }
