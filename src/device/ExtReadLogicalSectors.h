// Windows 9x mode: sector reads of a logical volume through VWIN32's DOS disk services.
#pragma once

#include "platform/WinTypes.h"

// Reads count sectors from firstSector of drive (1 for A:, 2 for B:, ...) into buffer; 1 on
// success, 0 on failure.
BOOL ExtReadLogicalSectors(HANDLE vwin32, BYTE drive, DWORD firstSector, WORD count, void* buffer);
