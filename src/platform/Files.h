// Files and devices through Win32-shaped calls.
//
// Paths: "\\.\C:" is volume C, "\\.\PhysicalDriveN" physical drive N (both read-only, whatever
// access is asked; sector-aligned reads; a read that does not lie wholly on the device fails
// with ERROR_SECTOR_NOT_FOUND); "C:\..." is a file inside volume C (read-only; through the
// host's mount point when the host has the volume mounted, else through the volume provider of
// its file system); every other path is a host path, where "\" and "/" both separate.
// Nothing opened here can write to an attached disk image or block device: a host path that
// names one is refused with ERROR_ACCESS_DENIED for writing, truncating or deleting.
#pragma once

#include "platform/WinTypes.h"

struct SECURITY_ATTRIBUTES;

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   SECURITY_ATTRIBUTES* security, DWORD creationDisposition, DWORD flagsAndAttributes,
                   HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, void* overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, void* overlapped);
DWORD SetFilePointer(HANDLE file, LONG distanceLow, PLONG distanceHigh, DWORD moveMethod);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition, DWORD moveMethod);
BOOL SetEndOfFile(HANDLE file);
BOOL FlushFileBuffers(HANDLE file);
BOOL CloseHandle(HANDLE object);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite);
BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite);
BOOL DeviceIoControl(HANDLE device, DWORD controlCode, LPVOID inBuffer, DWORD inSize,
                     LPVOID outBuffer, DWORD outSize, LPDWORD bytesReturned, void* overlapped);

BOOL DeleteFileW(LPCWSTR fileName);
BOOL CreateDirectoryW(LPCWSTR pathName, SECURITY_ATTRIBUTES* security);
BOOL RemoveDirectoryW(LPCWSTR pathName);
BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists);
DWORD GetFileAttributesW(LPCWSTR fileName);

// Wildcards as Windows reads them: "*" and "?" compare without regard to case, "*.*" matches
// every name. "." and ".." are returned where the folder holds them.
HANDLE FindFirstFileW(LPCWSTR fileName, WIN32_FIND_DATAW* findData);
BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData);
BOOL FindClose(HANDLE find);

UINT SetErrorMode(UINT mode);

// Page-granular, zero-filled allocations for disk buffers. With MEM_LARGE_PAGES the size must be a
// multiple of GetLargePageMinimum(), and the memory is asked for in large pages where the host
// gives them (a large list's memory then costs one page fault per large page, not per 4 KiB).
LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD allocationType, DWORD protect);
BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD freeType);
SIZE_T GetLargePageMinimum();
