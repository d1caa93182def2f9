#include "platform/KernelObject.h"

#include <mutex>
#include <unordered_map>

namespace tarvosk {

BOOL KernelObject::read(void*, DWORD, DWORD* bytesRead) {
  if (bytesRead) *bytesRead = 0;
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}
BOOL KernelObject::write(const void*, DWORD, DWORD* bytesWritten) {
  if (bytesWritten) *bytesWritten = 0;
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}
BOOL KernelObject::seek(std::int64_t, DWORD, std::uint64_t*) {
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}
BOOL KernelObject::setEndOfFile() {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}
BOOL KernelObject::flush() { return TRUE; }
BOOL KernelObject::size(std::uint64_t&) {
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}
BOOL KernelObject::times(FILETIME*, FILETIME*, FILETIME*) {
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}
BOOL KernelObject::setTimes(const FILETIME*, const FILETIME*, const FILETIME*) {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}
BOOL KernelObject::control(DWORD, const void*, DWORD, void*, DWORD, DWORD* returned) {
  if (returned) *returned = 0;
  SetLastError(ERROR_INVALID_FUNCTION);
  return FALSE;
}
BOOL KernelObject::findNext(WIN32_FIND_DATAW*) {
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

BOOL PositionedObject::seek(std::int64_t distance, DWORD method, std::uint64_t* newPosition) {
  std::int64_t base = 0;
  if (method == FILE_CURRENT) {
    base = static_cast<std::int64_t>(position_);
  } else if (method == FILE_END) {
    std::uint64_t end = 0;
    if (!size(end)) return FALSE;
    base = static_cast<std::int64_t>(end);
  } else if (method != FILE_BEGIN) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if ((distance < 0 && base + distance < 0) || (distance > 0 && base > INT64_MAX - distance)) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return FALSE;
  }
  position_ = static_cast<std::uint64_t>(base + distance);
  if (newPosition) *newPosition = position_;
  return TRUE;
}

namespace {

struct HandleTable {
  std::mutex mutex;
  std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
  std::uintptr_t next = 1;
};

HandleTable& table() {
  static HandleTable* t = new HandleTable;  // outlives every static destructor that may close handles
  return *t;
}

}  // namespace

// Handle values are never reused, so a stale handle fails instead of reaching a newer object.
HANDLE registerObject(std::shared_ptr<KernelObject> object) {
  HandleTable& t = table();
  std::lock_guard lock(t.mutex);
  std::uintptr_t value = t.next++ * 4;
  t.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> lookupObject(HANDLE handle) {
  HandleTable& t = table();
  {
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it != t.objects.end()) return it->second;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

bool closeObject(HANDLE handle) {
  std::shared_ptr<KernelObject> doomed;
  HandleTable& t = table();
  {
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == t.objects.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
    doomed = std::move(it->second);
    t.objects.erase(it);
  }
  return true;  // doomed is destroyed outside the lock
}

std::size_t openHandleCount() {
  HandleTable& t = table();
  std::lock_guard lock(t.mutex);
  return t.objects.size();
}

}  // namespace tarvosk
