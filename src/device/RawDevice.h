// The raw device layer: a fixed table of open physical drives and their sector reads, in NT
// mode ("\\.\PhysicalDriveN" through ordinary file reads) or Windows 9x mode (IDE ports and
// the disk library dsk9x32.dll).
#pragma once

#include <cstdint>

#include "platform/ResultCodes.h"
#include "platform/WinTypes.h"

constexpr DWORD RAW_MAX_DEVICES = 50;
constexpr std::size_t RAW_PATH_CHARS = 255;
constexpr std::size_t RAW_LABEL_BYTES = 255;

// Opens physical drive deviceNumber (low 8 bits); a device handle 0-49, or 0xFFFF.
DWORD RAW_OpenDevice(DWORD deviceNumber);
// Closes the disk and clears the whole entry; 0 or 4.
DWORD RAW_CloseDevice(DWORD handle);
// Copies at most length bytes of the label and fills the rest of the buffer with zeros.
DWORD RAW_GetLabel(DWORD handle, char* buffer, WORD length);
DWORD RAW_GetSectorSize(DWORD handle, DWORD* sectorSize);
DWORD RAW_GetTotalSectors(DWORD handle, std::uint64_t* totalSectors);
DWORD RAW_GetMediaType(DWORD handle, DWORD* mediaType);
// Reads count sectors from firstSector into buffer (count times the sector size); 0, 1 or 4.
DWORD RAW_ReadSectors(DWORD handle, std::uint64_t firstSector, DWORD count, void* buffer);
