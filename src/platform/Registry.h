// The registry: HKEY_CURRENT_USER kept in a file, $XDG_CONFIG_HOME/tarvosk/registry (or
// ~/.config/tarvosk/registry). Key and value names compare without regard to case, as on
// Windows. Every change rewrites the store into a temporary file beside it and renames it over
// the old one, so an interrupted save leaves the old store whole.
#pragma once

#include "platform/WinTypes.h"

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;

inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u));

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// All return ERROR_SUCCESS or a Win32 error number.
LONG RegCreateKeyW(HKEY key, LPCWSTR subKey, PHKEY result);
LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM sam, PHKEY result);
// As Win32: data null asks only the size; a buffer too small gives ERROR_MORE_DATA and the
// size needed; a missing value gives ERROR_FILE_NOT_FOUND. REG_SZ data includes its terminator.
LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize);
LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD dataSize);
LONG RegDeleteValueW(HKEY key, LPCWSTR valueName);
LONG RegCloseKey(HKEY key);
