#include "device/DeviceMode.h"

#include "platform/Files.h"
#include "platform/Win9x.h"

namespace tarvosk {
namespace {

struct ModeState {
  bool win9x = false;
  HANDLE vwin32 = INVALID_HANDLE_VALUE;
  HMODULE library = nullptr;
  bool checkLookedUp = false;
  bool readLookedUp = false;
  CheckInt13Extension32Proc check = nullptr;
  ReadPhysicalSector32Proc read = nullptr;
};

ModeState& mode() {
  static ModeState state;
  return state;
}

}  // namespace

CheckInt13Extension32Proc checkInt13Extension32() {
  ModeState& m = mode();
  if (!m.library) return nullptr;
  if (!m.checkLookedUp) {
    m.checkLookedUp = true;
    m.check = reinterpret_cast<CheckInt13Extension32Proc>(GetProcAddress(m.library, "CheckInt13Extension32"));
  }
  return m.check;
}

ReadPhysicalSector32Proc readPhysicalSector32() {
  ModeState& m = mode();
  if (!m.library) return nullptr;
  if (!m.readLookedUp) {
    m.readLookedUp = true;
    m.read = reinterpret_cast<ReadPhysicalSector32Proc>(GetProcAddress(m.library, "ReadPhysicalSector32"));
  }
  return m.read;
}

}  // namespace tarvosk

void RAW_ResetMode() {
  tarvosk::ModeState& m = tarvosk::mode();
  if (m.vwin32 != INVALID_HANDLE_VALUE) CloseHandle(m.vwin32);
  if (m.library) FreeLibrary(m.library);
  m = tarvosk::ModeState{};
}

void RAW_Initialize() {
  RAW_ResetMode();
  tarvosk::ModeState& m = tarvosk::mode();
  HANDLE vwin32 = CreateFileW(u"\\\\.\\VWIN32", 0, 0, nullptr, 0, 0, nullptr);
  if (vwin32 == INVALID_HANDLE_VALUE) return;
  m.win9x = true;
  m.vwin32 = vwin32;
  m.library = LoadLibraryW(u"dsk9x32.dll");
}

bool RAW_IsWin9xMode() { return tarvosk::mode().win9x; }

HANDLE RAW_GetVwin32Handle() { return tarvosk::mode().vwin32; }
