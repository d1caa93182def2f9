// Time: FILETIME arithmetic on the proleptic Gregorian calendar, DOS date and time, and local
// time through the host's time-zone rules (TZ, tzdata).
#include "platform/Time.h"

#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

#include "platform/WinError.h"

namespace {

constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::uint64_t kTicksPerMillisecond = 10'000;
constexpr std::int64_t kSecondsPerDay = 86'400;
// Seconds from 1601-01-01 (the FILETIME epoch) to 1970-01-01 (the Unix epoch).
constexpr std::int64_t kUnixEpochOffset = 11'644'473'600;
// FILETIME values with the top bit set are not times.
constexpr std::uint64_t kMaxFileTime = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

constexpr std::int64_t kDaysPer400Years = 146'097;
constexpr std::int64_t kDaysPer100Years = 36'524;
constexpr std::int64_t kDaysPer4Years = 1'461;

struct Fields {
  int year;
  int month;
  int day;
  int hour;
  int minute;
  int second;
  int millisecond;
  int dayOfWeek;
};

bool isLeap(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int daysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

// Days from 1601-01-01 to the given date (year >= 1601). 1601 opens a 400-year cycle, so the
// leap years before year y are counted by plain division.
std::int64_t daysSince1601(int year, int month, int day) {
  const std::int64_t past = year - 1601;
  std::int64_t days = past * 365 + past / 4 - past / 100 + past / 400;
  for (int m = 1; m < month; ++m) days += daysInMonth(year, m);
  return days + day - 1;
}

Fields fieldsFromTicks(std::uint64_t ticks) {
  Fields f{};
  std::uint64_t seconds = ticks / kTicksPerSecond;
  f.millisecond = static_cast<int>((ticks % kTicksPerSecond) / kTicksPerMillisecond);
  std::int64_t days = static_cast<std::int64_t>(seconds / kSecondsPerDay);
  const auto secondOfDay = static_cast<int>(seconds % kSecondsPerDay);
  f.hour = secondOfDay / 3600;
  f.minute = secondOfDay / 60 % 60;
  f.second = secondOfDay % 60;
  // 1601-01-01 was a Monday.
  f.dayOfWeek = static_cast<int>((days + 1) % 7);

  const std::int64_t cycles = days / kDaysPer400Years;
  days %= kDaysPer400Years;
  // The last century of a cycle and the last year of a four-year run are one day longer.
  std::int64_t centuries = days / kDaysPer100Years;
  if (centuries == 4) centuries = 3;
  days -= centuries * kDaysPer100Years;
  const std::int64_t runs = days / kDaysPer4Years;
  days %= kDaysPer4Years;
  std::int64_t years = days / 365;
  if (years == 4) years = 3;
  days -= years * 365;
  f.year = static_cast<int>(1601 + cycles * 400 + centuries * 100 + runs * 4 + years);

  f.month = 1;
  while (days >= daysInMonth(f.year, f.month)) {
    days -= daysInMonth(f.year, f.month);
    ++f.month;
  }
  f.day = static_cast<int>(days) + 1;
  return f;
}

std::uint64_t ticksFromFields(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  const std::int64_t seconds = daysSince1601(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
  return static_cast<std::uint64_t>(seconds) * kTicksPerSecond +
         static_cast<std::uint64_t>(millisecond) * kTicksPerMillisecond;
}

bool validDate(int year, int month, int day) {
  return month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

// The offset from UTC, in seconds, that the host's rules give at a Unix time.
bool utcOffsetAt(std::int64_t unixSeconds, std::int64_t& offset) {
  const auto t = static_cast<std::time_t>(unixSeconds);
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr) return false;
  offset = tm.tm_gmtoff;
  return true;
}

std::int64_t unixSecondsOf(std::uint64_t ticks) {
  return static_cast<std::int64_t>(ticks / kTicksPerSecond) - kUnixEpochOffset;
}

// ticks moved by offset seconds, or false when that leaves the FILETIME range.
bool shift(std::uint64_t ticks, std::int64_t offset, std::uint64_t& result) {
  const std::int64_t delta = offset * static_cast<std::int64_t>(kTicksPerSecond);
  if (delta < 0 && static_cast<std::uint64_t>(-delta) > ticks) return false;
  if (delta > 0 && static_cast<std::uint64_t>(delta) > kMaxFileTime - ticks) return false;
  result = delta < 0 ? ticks - static_cast<std::uint64_t>(-delta) : ticks + static_cast<std::uint64_t>(delta);
  return true;
}

BOOL fail() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

void systemTimeFromTicks(std::uint64_t ticks, SYSTEMTIME* st) {
  const Fields f = fieldsFromTicks(ticks);
  st->wYear = static_cast<WORD>(f.year);
  st->wMonth = static_cast<WORD>(f.month);
  st->wDayOfWeek = static_cast<WORD>(f.dayOfWeek);
  st->wDay = static_cast<WORD>(f.day);
  st->wHour = static_cast<WORD>(f.hour);
  st->wMinute = static_cast<WORD>(f.minute);
  st->wSecond = static_cast<WORD>(f.second);
  st->wMilliseconds = static_cast<WORD>(f.millisecond);
}

// Reads the time zone rules again when TZ has changed since the last conversion (tzset itself
// looks at the zone file every time, which costs a file status call per converted time).
void takeTimeZone() {
  thread_local std::optional<std::string> seen;
  const char* tz = std::getenv("TZ");
  std::string now = tz ? std::string("=") + tz : std::string();
  if (seen && *seen == now) return;
  tzset();
  seen = now;
}

}  // namespace

void GetSystemTimeAsFileTime(FILETIME* ft) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  *ft = tarvosk::fileTimeFromUnix(now.tv_sec, static_cast<std::uint32_t>(now.tv_nsec));
}

void GetSystemTime(SYSTEMTIME* st) {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  systemTimeFromTicks(tarvosk::fileTimeValue(ft), st);
}

void GetLocalTime(SYSTEMTIME* st) {
  FILETIME utc;
  GetSystemTimeAsFileTime(&utc);
  FILETIME local;
  if (!FileTimeToLocalFileTime(&utc, &local)) local = utc;
  systemTimeFromTicks(tarvosk::fileTimeValue(local), st);
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* st, FILETIME* ft) {
  if (st == nullptr || ft == nullptr) return fail();
  if (st->wYear < 1601 || st->wYear > 30827 || !validDate(st->wYear, st->wMonth, st->wDay) || st->wHour > 23 ||
      st->wMinute > 59 || st->wSecond > 59 || st->wMilliseconds > 999) {
    return fail();
  }
  *ft = tarvosk::makeFileTime(
      ticksFromFields(st->wYear, st->wMonth, st->wDay, st->wHour, st->wMinute, st->wSecond, st->wMilliseconds));
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* ft, SYSTEMTIME* st) {
  if (ft == nullptr || st == nullptr) return fail();
  const std::uint64_t ticks = tarvosk::fileTimeValue(*ft);
  if (ticks > kMaxFileTime) return fail();
  systemTimeFromTicks(ticks, st);
  return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
  if (utc == nullptr || local == nullptr) return fail();
  const std::uint64_t ticks = tarvosk::fileTimeValue(*utc);
  if (ticks > kMaxFileTime) return fail();
  takeTimeZone();
  std::int64_t offset = 0;
  std::uint64_t result = 0;
  if (!utcOffsetAt(unixSecondsOf(ticks), offset) || !shift(ticks, offset, result)) return fail();
  *local = tarvosk::makeFileTime(result);
  return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc) {
  if (local == nullptr || utc == nullptr) return fail();
  const std::uint64_t ticks = tarvosk::fileTimeValue(*local);
  if (ticks > kMaxFileTime) return fail();
  takeTimeZone();
  // The offset at the local time read as UTC is a first guess; the offset at the instant that
  // guess gives is the one in force there (they differ only near a change of offset).
  const std::int64_t wall = unixSecondsOf(ticks);
  std::int64_t guess = 0;
  std::int64_t offset = 0;
  std::uint64_t result = 0;
  if (!utcOffsetAt(wall, guess) || !utcOffsetAt(wall - guess, offset) || !shift(ticks, -offset, result)) {
    return fail();
  }
  *utc = tarvosk::makeFileTime(result);
  return TRUE;
}

BOOL FileTimeToDosDateTime(const FILETIME* ft, WORD* dosDate, WORD* dosTime) {
  if (ft == nullptr || dosDate == nullptr || dosTime == nullptr) return fail();
  const std::uint64_t ticks = tarvosk::fileTimeValue(*ft);
  if (ticks > kMaxFileTime) return fail();
  const Fields f = fieldsFromTicks(ticks);
  if (f.year < 1980 || f.year > 2107) return fail();
  *dosDate = static_cast<WORD>(((f.year - 1980) << 9) | (f.month << 5) | f.day);
  *dosTime = static_cast<WORD>((f.hour << 11) | (f.minute << 5) | (f.second / 2));
  return TRUE;
}

BOOL DosDateTimeToFileTime(WORD dosDate, WORD dosTime, FILETIME* ft) {
  if (ft == nullptr) return fail();
  const int year = 1980 + (dosDate >> 9);
  const int month = (dosDate >> 5) & 0x0F;
  const int day = dosDate & 0x1F;
  const int hour = dosTime >> 11;
  const int minute = (dosTime >> 5) & 0x3F;
  const int second = (dosTime & 0x1F) * 2;
  if (!validDate(year, month, day) || hour > 23 || minute > 59 || second > 59) return fail();
  *ft = tarvosk::makeFileTime(ticksFromFields(year, month, day, hour, minute, second, 0));
  return TRUE;
}

LONG CompareFileTime(const FILETIME* a, const FILETIME* b) {
  const std::uint64_t x = tarvosk::fileTimeValue(*a);
  const std::uint64_t y = tarvosk::fileTimeValue(*b);
  return x < y ? -1 : x > y ? 1 : 0;
}

namespace tarvosk {

FILETIME fileTimeFromUnix(std::int64_t seconds, std::uint32_t nanoseconds) {
  // Times before 1601 clamp to the epoch, times past the FILETIME range to its end.
  if (seconds < -kUnixEpochOffset) return makeFileTime(0);
  if (seconds > std::numeric_limits<std::int64_t>::max() - kUnixEpochOffset) return makeFileTime(kMaxFileTime);
  const auto since1601 = static_cast<std::uint64_t>(seconds + kUnixEpochOffset);
  if (since1601 > kMaxFileTime / kTicksPerSecond) return makeFileTime(kMaxFileTime);
  const std::uint64_t ticks = since1601 * kTicksPerSecond + (nanoseconds % 1'000'000'000u) / 100;
  return makeFileTime(ticks > kMaxFileTime ? kMaxFileTime : ticks);
}

std::int64_t unixSecondsFromFileTime(const FILETIME& ft) { return unixSecondsOf(fileTimeValue(ft)); }

}  // namespace tarvosk
