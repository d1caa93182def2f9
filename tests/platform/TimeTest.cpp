#include "platform/Time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/WinError.h"

namespace tarvosk {
namespace {

constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::uint64_t kTicksPerHour = 3600 * kTicksPerSecond;

SYSTEMTIME systemTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wHour = static_cast<WORD>(hour);
  st.wMinute = static_cast<WORD>(minute);
  st.wSecond = static_cast<WORD>(second);
  st.wMilliseconds = static_cast<WORD>(ms);
  return st;
}

std::uint64_t ticksOf(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
  const SYSTEMTIME st = systemTime(year, month, day, hour, minute, second, ms);
  FILETIME ft{};
  EXPECT_TRUE(SystemTimeToFileTime(&st, &ft)) << year << "-" << month << "-" << day;
  return fileTimeValue(ft);
}

constexpr WORD dosDate(int year, int month, int day) {
  return static_cast<WORD>(((year - 1980) << 9) | (month << 5) | day);
}
constexpr WORD dosTime(int hour, int minute, int second) {
  return static_cast<WORD>((hour << 11) | (minute << 5) | (second / 2));
}

// Puts the process in a time zone for one scope, then back in the one it was in. The zone
// must exist: a missing tzdata fails the test rather than quietly testing UTC.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    const std::string file = std::string("/usr/share/zoneinfo/") + zone;
    EXPECT_TRUE(std::filesystem::exists(file)) << file << " is missing: install the tzdata package";
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZone() {
    if (old_) {
      setenv("TZ", old_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  TimeZone(const TimeZone&) = delete;
  TimeZone& operator=(const TimeZone&) = delete;

 private:
  std::optional<std::string> old_;
};

TEST(FileTimeBasics, EpochsAndUnixTime) {
  EXPECT_EQ(ticksOf(1601, 1, 1), 0u);
  EXPECT_EQ(ticksOf(1970, 1, 1), 116444736000000000ull);
  EXPECT_EQ(fileTimeValue(fileTimeFromUnix(0)), 116444736000000000ull);
  EXPECT_EQ(fileTimeValue(fileTimeFromUnix(1, 999'999'999)), 116444736000000000ull + kTicksPerSecond + 9'999'999);
  EXPECT_EQ(unixSecondsFromFileTime(fileTimeFromUnix(1'700'000'000, 5)), 1'700'000'000);
  EXPECT_EQ(unixSecondsFromFileTime(fileTimeFromUnix(-86400)), -86400);
  // Before 1601 there is no FILETIME: it clamps to its start.
  EXPECT_EQ(fileTimeValue(fileTimeFromUnix(-20'000'000'000)), 0u);
  EXPECT_EQ(fileTimeValue(makeFileTime(0x0123456789ABCDEFull)), 0x0123456789ABCDEFull);
}

TEST(FileTimeBasics, CompareUsesAllSixtyFourBits) {
  const FILETIME lowBig{0xFFFFFFFFu, 0};
  const FILETIME highOne{0, 1};
  EXPECT_EQ(CompareFileTime(&lowBig, &highOne), -1);
  EXPECT_EQ(CompareFileTime(&highOne, &lowBig), 1);
  EXPECT_EQ(CompareFileTime(&highOne, &highOne), 0);
}

TEST(SystemTimeConversion, RoundTripsAndDayOfWeek) {
  struct Case {
    int year, month, day, dayOfWeek;
  };
  for (const Case c : {Case{1601, 1, 1, 1}, Case{1900, 3, 1, 4}, Case{2000, 2, 29, 2}, Case{2024, 1, 1, 1},
                       Case{2100, 12, 31, 5}, Case{30827, 12, 31, 5}}) {
    const SYSTEMTIME in = systemTime(c.year, c.month, c.day, 23, 59, 58, 999);
    FILETIME ft{};
    ASSERT_TRUE(SystemTimeToFileTime(&in, &ft)) << c.year;
    SYSTEMTIME out{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &out));
    EXPECT_EQ(out.wDayOfWeek, c.dayOfWeek) << c.year << "-" << c.month << "-" << c.day;
    out.wDayOfWeek = 0;
    EXPECT_EQ(std::memcmp(&out, &in, sizeof out), 0) << c.year;
  }
  // Days run on across a leap day and a year end.
  EXPECT_EQ(ticksOf(2000, 3, 1) - ticksOf(2000, 2, 28), 2 * 24 * kTicksPerHour);
  EXPECT_EQ(ticksOf(2001, 1, 1) - ticksOf(2000, 1, 1), 366 * 24 * kTicksPerHour);
  EXPECT_EQ(ticksOf(1901, 1, 1) - ticksOf(1900, 1, 1), 365 * 24 * kTicksPerHour);
}

TEST(SystemTimeConversion, RefusesFieldsOutOfRange) {
  for (const SYSTEMTIME bad : {systemTime(2023, 2, 29), systemTime(2100, 2, 29), systemTime(2024, 13, 1),
                               systemTime(2024, 0, 1), systemTime(2024, 4, 31), systemTime(2024, 1, 0),
                               systemTime(2024, 1, 1, 24), systemTime(2024, 1, 1, 0, 60),
                               systemTime(2024, 1, 1, 0, 0, 60), systemTime(2024, 1, 1, 0, 0, 0, 1000),
                               systemTime(1600, 12, 31), systemTime(30828, 1, 1)}) {
    FILETIME ft{};
    SetLastError(0);
    EXPECT_FALSE(SystemTimeToFileTime(&bad, &ft)) << bad.wYear << "-" << bad.wMonth << "-" << bad.wDay;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  const FILETIME topBit{0, 0x80000000u};
  SYSTEMTIME st{};
  EXPECT_FALSE(FileTimeToSystemTime(&topBit, &st));
}

TEST(DosDateTime, FromFileTimeAtTheEdges) {
  WORD date = 0;
  WORD time = 0;
  FILETIME ft = makeFileTime(ticksOf(1980, 1, 1));
  ASSERT_TRUE(FileTimeToDosDateTime(&ft, &date, &time));
  EXPECT_EQ(date, 0x0021);
  EXPECT_EQ(time, 0x0000);

  ft = makeFileTime(ticksOf(2024, 6, 15, 12, 34, 57, 900));
  ASSERT_TRUE(FileTimeToDosDateTime(&ft, &date, &time));
  EXPECT_EQ(date, dosDate(2024, 6, 15));
  EXPECT_EQ(time, dosTime(12, 34, 56));

  ft = makeFileTime(ticksOf(2107, 12, 31, 23, 59, 58));
  ASSERT_TRUE(FileTimeToDosDateTime(&ft, &date, &time));
  EXPECT_EQ(date, 0xFF9F);
  EXPECT_EQ(time, 0xBF7D);
  // The last tick of 2107 still rounds down into the last two-second step.
  ft = makeFileTime(ticksOf(2108, 1, 1) - 1);
  ASSERT_TRUE(FileTimeToDosDateTime(&ft, &date, &time));
  EXPECT_EQ(time, 0xBF7D);
}

TEST(DosDateTime, FromFileTimeRefusesOutsideTheDosRange) {
  WORD date = 0;
  WORD time = 0;
  for (const std::uint64_t ticks : {ticksOf(2108, 1, 1), ticksOf(1980, 1, 1) - 1, ticksOf(1979, 6, 1),
                                    std::uint64_t{0}}) {
    const FILETIME ft = makeFileTime(ticks);
    SetLastError(0);
    EXPECT_FALSE(FileTimeToDosDateTime(&ft, &date, &time)) << ticks;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
}

TEST(DosDateTime, ToFileTimeTakesTheFieldsAsTheyAre) {
  FILETIME ft{};
  ASSERT_TRUE(DosDateTimeToFileTime(0x0021, 0x0000, &ft));
  EXPECT_EQ(fileTimeValue(ft), ticksOf(1980, 1, 1));
  ASSERT_TRUE(DosDateTimeToFileTime(dosDate(2024, 2, 29), dosTime(23, 59, 58), &ft));
  EXPECT_EQ(fileTimeValue(ft), ticksOf(2024, 2, 29, 23, 59, 58));
  ASSERT_TRUE(DosDateTimeToFileTime(0xFF9F, 0xBF7D, &ft));
  EXPECT_EQ(fileTimeValue(ft), ticksOf(2107, 12, 31, 23, 59, 58));

  WORD date = 0;
  WORD time = 0;
  ASSERT_TRUE(DosDateTimeToFileTime(dosDate(2000, 2, 29), dosTime(1, 2, 4), &ft));
  ASSERT_TRUE(FileTimeToDosDateTime(&ft, &date, &time));
  EXPECT_EQ(date, dosDate(2000, 2, 29));
  EXPECT_EQ(time, dosTime(1, 2, 4));
}

TEST(DosDateTime, ToFileTimeRefusesBadFields) {
  struct Case {
    WORD date, time;
  };
  for (const Case c : {Case{dosDate(2100, 2, 29), 0}, Case{dosDate(2023, 2, 29), 0}, Case{dosDate(2024, 4, 31), 0},
                       Case{dosDate(2024, 0, 1), 0}, Case{dosDate(2024, 13, 1), 0}, Case{dosDate(2024, 1, 0), 0},
                       Case{dosDate(2024, 1, 1), static_cast<WORD>(24 << 11)},
                       Case{dosDate(2024, 1, 1), static_cast<WORD>(60 << 5)},
                       Case{dosDate(2024, 1, 1), static_cast<WORD>(30)}}) {
    FILETIME ft{};
    SetLastError(0);
    EXPECT_FALSE(DosDateTimeToFileTime(c.date, c.time, &ft)) << std::hex << c.date << " " << c.time;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
}

TEST(LocalTime, ShanghaiIsEightHoursAhead) {
  TimeZone zone("Asia/Shanghai");
  const FILETIME utc = makeFileTime(ticksOf(2024, 6, 1, 20, 30));
  FILETIME local{};
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  EXPECT_EQ(fileTimeValue(local), ticksOf(2024, 6, 2, 4, 30));
  FILETIME back{};
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
  EXPECT_EQ(fileTimeValue(back), fileTimeValue(utc));
}

TEST(LocalTime, UsesTheOffsetInForceAtThatInstant) {
  {
    // China kept summer time from 1986 to 1991.
    TimeZone zone("Asia/Shanghai");
    const FILETIME utc = makeFileTime(ticksOf(1988, 7, 1));
    FILETIME local{};
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(fileTimeValue(local), ticksOf(1988, 7, 1, 9));
  }
  TimeZone zone("America/New_York");
  const FILETIME winter = makeFileTime(ticksOf(2024, 1, 15, 12));
  const FILETIME summer = makeFileTime(ticksOf(2024, 7, 15, 12));
  FILETIME local{};
  ASSERT_TRUE(FileTimeToLocalFileTime(&winter, &local));
  EXPECT_EQ(fileTimeValue(local), ticksOf(2024, 1, 15, 7));
  ASSERT_TRUE(FileTimeToLocalFileTime(&summer, &local));
  EXPECT_EQ(fileTimeValue(local), ticksOf(2024, 7, 15, 8));
  FILETIME utc{};
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
  EXPECT_EQ(fileTimeValue(utc), fileTimeValue(summer));
  // Just after the spring change the local clock reads 03:30 at 07:30 UTC.
  const FILETIME afterChange = makeFileTime(ticksOf(2024, 3, 10, 3, 30));
  ASSERT_TRUE(LocalFileTimeToFileTime(&afterChange, &utc));
  EXPECT_EQ(fileTimeValue(utc), ticksOf(2024, 3, 10, 7, 30));
}

TEST(LocalTime, DosTimesAreLocal) {
  TimeZone zone("Asia/Shanghai");
  FILETIME local{};
  ASSERT_TRUE(DosDateTimeToFileTime(dosDate(2024, 1, 1), dosTime(8, 0, 0), &local));
  FILETIME utc{};
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
  EXPECT_EQ(fileTimeValue(utc), ticksOf(2024, 1, 1));
}

TEST(LocalTime, ClockReadingsAgree) {
  TimeZone zone("Asia/Shanghai");
  SYSTEMTIME sys{};
  SYSTEMTIME loc{};
  GetSystemTime(&sys);
  GetLocalTime(&loc);
  const std::uint64_t utc = ticksOf(sys.wYear, sys.wMonth, sys.wDay, sys.wHour, sys.wMinute, sys.wSecond);
  const std::uint64_t local = ticksOf(loc.wYear, loc.wMonth, loc.wDay, loc.wHour, loc.wMinute, loc.wSecond);
  EXPECT_GT(utc, ticksOf(2024, 1, 1));
  EXPECT_GE(local - utc, 8 * kTicksPerHour);
  EXPECT_LT(local - utc, 8 * kTicksPerHour + 5 * kTicksPerSecond);
}

}  // namespace
}  // namespace tarvosk
