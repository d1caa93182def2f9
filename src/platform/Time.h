// Time: FILETIME (100 ns since 1601-01-01 UTC), SYSTEMTIME, DOS date and time, and local time
// through the host's time-zone rules.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"

void GetSystemTime(SYSTEMTIME* st);
void GetLocalTime(SYSTEMTIME* st);
void GetSystemTimeAsFileTime(FILETIME* ft);
BOOL SystemTimeToFileTime(const SYSTEMTIME* st, FILETIME* ft);
BOOL FileTimeToSystemTime(const FILETIME* ft, SYSTEMTIME* st);
BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local);
BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc);
// Fails (ERROR_INVALID_PARAMETER) outside 1980-01-01 00:00:00 .. 2107-12-31 23:59:58; odd
// seconds are rounded down to the two-second step.
BOOL FileTimeToDosDateTime(const FILETIME* ft, WORD* dosDate, WORD* dosTime);
// Fails (ERROR_INVALID_PARAMETER) for a month, day, hour, minute or second out of range.
BOOL DosDateTimeToFileTime(WORD dosDate, WORD dosTime, FILETIME* ft);
LONG CompareFileTime(const FILETIME* a, const FILETIME* b);

namespace tarvosk {

inline std::uint64_t fileTimeValue(const FILETIME& ft) {
  return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}
inline FILETIME makeFileTime(std::uint64_t value) {
  return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

// FILETIME of a Unix time (seconds and nanoseconds since 1970-01-01 UTC), and back.
FILETIME fileTimeFromUnix(std::int64_t seconds, std::uint32_t nanoseconds = 0);
std::int64_t unixSecondsFromFileTime(const FILETIME& ft);

}  // namespace tarvosk
