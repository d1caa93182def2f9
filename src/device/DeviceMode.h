// The process-wide device access mode: NT mode, or Windows 9x mode when "\\.\VWIN32" opens.
// Front ends call RAW_Initialize once at start-up.
#pragma once

#include "platform/WinTypes.h"

// dsk9x32.dll's entry points. CheckInt13Extension32 tells whether the BIOS offers the extended
// disk services for a BIOS drive number; ReadPhysicalSector32 reads sectors by cylinder, head and
// sector, or by LBA when ext13 is nonzero, and returns nonzero on success.
using CheckInt13Extension32Proc = DWORD (*)(BYTE biosDrive);
using ReadPhysicalSector32Proc = DWORD (*)(BYTE biosDrive, WORD cylinder, BYTE head, BYTE sector, DWORD count,
                                           void* buffer, DWORD lbaHigh, DWORD lbaLow, DWORD ext13);

// Chooses the mode: tries to open "\\.\VWIN32"; if it opens, Windows 9x mode, the handle is kept
// and dsk9x32.dll is loaded (a failed load leaves the library handle null). Calling it again
// first releases what the previous call took.
void RAW_Initialize();
// Back to NT mode, releasing the VWIN32 handle and the library (tests, and process end).
void RAW_ResetMode();

bool RAW_IsWin9xMode();
HANDLE RAW_GetVwin32Handle();

namespace tarvosk {
// dsk9x32.dll's entry points, looked up by name on first use and cached; null if the library or
// the function is missing.
CheckInt13Extension32Proc checkInt13Extension32();
ReadPhysicalSector32Proc readPhysicalSector32();
}  // namespace tarvosk
