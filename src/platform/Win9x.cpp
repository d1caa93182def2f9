// Windows 9x services on a host that has none: port I/O and library loading go through hooks
// and stand-ins that tests install, the reported version is a record that tests can replace,
// and 32-bit linear addresses are numbers in a table.
#include "platform/Win9x.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/WinError.h"

namespace tarvosk {
namespace {

// ---- Port I/O ------------------------------------------------------------------------------

PortHooks& portHooks() {
  static PortHooks hooks;
  return hooks;
}

// The bits that an access of size bytes carries; 0 for a size the processor has no access for.
DWORD portMask(int size) {
  switch (size) {
    case 1: return 0xFF;
    case 2: return 0xFFFF;
    case 4: return 0xFFFFFFFF;
    default: return 0;
  }
}

// ---- Stand-in libraries --------------------------------------------------------------------

struct StandInLibrary {
  std::u16string name;
  std::map<std::string, FARPROC> entryPoints;
};

struct LoadedModule {
  std::shared_ptr<const StandInLibrary> library;
  int references = 0;
};

struct Libraries {
  std::mutex mutex;
  std::unordered_map<std::u16string, std::shared_ptr<const StandInLibrary>> registered;
  std::unordered_map<std::uintptr_t, LoadedModule> loaded;
  std::uintptr_t nextModule = 0x10000000;
};

Libraries& libraries() {
  static Libraries instance;
  return instance;
}

char16_t foldAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

// The name a library is known by: the file name without its folder, in lower case, with ".dll"
// added when it has no extension (as LoadLibrary adds it).
std::u16string libraryKey(std::u16string_view name) {
  const std::size_t slash = name.find_last_of(u"\\/");
  if (slash != std::u16string_view::npos) name.remove_prefix(slash + 1);
  std::u16string key;
  for (char16_t c : name) key += foldAscii(c);
  if (key.find(u'.') == std::u16string::npos) key += u".dll";
  return key;
}

// ---- Reported version ----------------------------------------------------------------------

OSVERSIONINFOEXW windowsXp() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
  info.dwMajorVersion = 5;
  info.dwMinorVersion = 1;
  info.dwBuildNumber = 2600;
  info.dwPlatformId = VER_PLATFORM_WIN32_NT;
  const std::u16string_view servicePack = u"Service Pack 3";
  servicePack.copy(info.szCSDVersion, servicePack.size());
  info.wServicePackMajor = 3;
  info.wSuiteMask = 0x0100;  // VER_SUITE_SINGLEUSERTS
  info.wProductType = 1;     // VER_NT_WORKSTATION
  return info;
}

OSVERSIONINFOEXW& reportedVersion() {
  static OSVERSIONINFOEXW version = windowsXp();
  return version;
}

// ---- VWIN32 --------------------------------------------------------------------------------

Vwin32Handler& vwin32Slot() {
  static Vwin32Handler handler;
  return handler;
}

// ---- Linear addresses ----------------------------------------------------------------------

struct LinearAddresses {
  std::mutex mutex;
  std::unordered_map<DWORD, void*> pointers;
  DWORD next = 0x00010000;
};

LinearAddresses& linearAddresses() {
  static LinearAddresses instance;
  return instance;
}

constexpr DWORD kLinearAddressStep = 0x10;

}  // namespace

void setPortHooks(PortHooks hooks) { portHooks() = std::move(hooks); }

void registerStandInLibrary(const std::u16string& name,
                            std::map<std::string, FARPROC> entryPoints) {
  Libraries& libs = libraries();
  std::lock_guard lock(libs.mutex);
  libs.registered[libraryKey(name)] =
      std::make_shared<const StandInLibrary>(StandInLibrary{name, std::move(entryPoints)});
}

void unregisterStandInLibraries() {
  Libraries& libs = libraries();
  std::lock_guard lock(libs.mutex);
  libs.registered.clear();
  libs.loaded.clear();
}

void setVwin32Handler(Vwin32Handler handler) { vwin32Slot() = std::move(handler); }

const Vwin32Handler& vwin32Handler() { return vwin32Slot(); }

void setReportedVersion(const OSVERSIONINFOEXW& version) { reportedVersion() = version; }

void resetReportedVersion() { reportedVersion() = windowsXp(); }

DWORD linearAddressOf(void* pointer) {
  LinearAddresses& table = linearAddresses();
  std::lock_guard lock(table.mutex);
  // Numbers are issued in turn; after a wrap, those still in use (and zero) are passed over.
  for (;;) {
    const DWORD address = table.next;
    table.next += kLinearAddressStep;
    if (address != 0 && table.pointers.try_emplace(address, pointer).second) return address;
  }
}

void* pointerAtLinearAddress(DWORD address) {
  LinearAddresses& table = linearAddresses();
  std::lock_guard lock(table.mutex);
  auto it = table.pointers.find(address);
  return it == table.pointers.end() ? nullptr : it->second;
}

void releaseLinearAddress(DWORD address) {
  LinearAddresses& table = linearAddresses();
  std::lock_guard lock(table.mutex);
  table.pointers.erase(address);
}

}  // namespace tarvosk

using namespace tarvosk;

DWORD portRead(WORD port, int size) {
  const DWORD mask = portMask(size);
  if (mask == 0) return 0xFFFFFFFF;
  const PortHooks& hooks = portHooks();
  if (!hooks.read) return mask;
  return hooks.read(port, size) & mask;
}

void portWrite(WORD port, DWORD value, int size) {
  const DWORD mask = portMask(size);
  const PortHooks& hooks = portHooks();
  if (mask != 0 && hooks.write) hooks.write(port, value & mask, size);
}

HMODULE LoadLibraryW(LPCWSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Libraries& libs = libraries();
  std::lock_guard lock(libs.mutex);
  auto found = libs.registered.find(libraryKey(name));
  if (found == libs.registered.end()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  // A library already loaded gives its module again, one more reference.
  for (auto& [handle, module] : libs.loaded) {
    if (module.library == found->second) {
      ++module.references;
      return reinterpret_cast<HMODULE>(handle);
    }
  }
  const std::uintptr_t handle = libs.nextModule;
  libs.nextModule += 0x10000;
  libs.loaded.emplace(handle, LoadedModule{found->second, 1});
  return reinterpret_cast<HMODULE>(handle);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  Libraries& libs = libraries();
  std::lock_guard lock(libs.mutex);
  auto loaded = libs.loaded.find(reinterpret_cast<std::uintptr_t>(module));
  if (loaded == libs.loaded.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  // A "name" below 0x10000 is an ordinal; a stand-in lists ordinal n as "#n".
  const auto ordinal = reinterpret_cast<std::uintptr_t>(name);
  // Appended rather than "#" + to_string(): GCC 12 at -O3 sees a false overlap in that insert.
  std::string key;
  if (ordinal < 0x10000) {
    key = "#";
    key += std::to_string(ordinal);
  } else {
    key = name;
  }
  const auto& entryPoints = loaded->second.library->entryPoints;
  auto entry = entryPoints.find(key);
  if (entry == entryPoints.end() || !entry->second) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return entry->second;
}

BOOL FreeLibrary(HMODULE module) {
  Libraries& libs = libraries();
  std::lock_guard lock(libs.mutex);
  auto loaded = libs.loaded.find(reinterpret_cast<std::uintptr_t>(module));
  if (loaded == libs.loaded.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (--loaded->second.references == 0) libs.loaded.erase(loaded);
  return TRUE;
}

// Fills the basic or the extended record, as the caller's size asks. A reported version whose
// own size is that of the basic record stands for a system that knows only the basic one
// (Windows 95 and 98), which refuses the extended size as they do.
BOOL GetVersionExW(OSVERSIONINFOW* info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const OSVERSIONINFOEXW& version = reportedVersion();
  const DWORD size = info->dwOSVersionInfoSize;
  const bool extendedKnown = version.dwOSVersionInfoSize != sizeof(OSVERSIONINFOW);
  if (size == sizeof(OSVERSIONINFOEXW) && extendedKnown) {
    auto* extended = reinterpret_cast<OSVERSIONINFOEXW*>(info);
    *extended = version;
    extended->dwOSVersionInfoSize = size;
    return TRUE;
  }
  if (size == sizeof(OSVERSIONINFOW)) {
    info->dwMajorVersion = version.dwMajorVersion;
    info->dwMinorVersion = version.dwMinorVersion;
    info->dwBuildNumber = version.dwBuildNumber;
    info->dwPlatformId = version.dwPlatformId;
    std::copy(std::begin(version.szCSDVersion), std::end(version.szCSDVersion),
              std::begin(info->szCSDVersion));
    return TRUE;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}
