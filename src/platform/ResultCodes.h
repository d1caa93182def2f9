// Result codes shared by the low-level disk layers, and the handle an open returns on failure.
#pragma once

#include "platform/WinTypes.h"

constexpr DWORD LAYER_SUCCESS = 0;       // the operation succeeded
constexpr DWORD LAYER_READ_FAILED = 1;   // a read failed (or the structure read is damaged)
constexpr DWORD LAYER_NO_MORE = 2;       // no more entries
constexpr DWORD LAYER_ARRAY_TOO_SMALL = 3;  // the caller's array is too small
constexpr DWORD LAYER_BAD_HANDLE = 4;    // bad handle, or not found

constexpr DWORD INVALID_LAYER_HANDLE = 0xFFFF;  // what an open returns when it fails
