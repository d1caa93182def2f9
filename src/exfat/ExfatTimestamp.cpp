#include "exfat/ExfatTimestamp.h"

#include "platform/Time.h"

namespace tarvosk {

namespace {
constexpr std::uint8_t kMaxTenMs = 199;
constexpr std::uint8_t kOffsetValid = 0x80;
constexpr std::int64_t kTicksPer10ms = 100000;              // FILETIME ticks are 100 ns
constexpr std::int64_t kTicksPerQuarterHour = 15LL * 60 * 10000000;

WORD dosDateOf(const ExfatTimestamp& t) { return static_cast<WORD>(t.stamp >> 16); }
WORD dosTimeOf(const ExfatTimestamp& t) { return static_cast<WORD>(t.stamp & 0xFFFF); }

// Bits 0-6 as a signed number of quarter hours (-64 .. 63).
int quarterHours(std::uint8_t offset) {
  int v = offset & 0x7F;
  return v >= 0x40 ? v - 0x80 : v;
}
}  // namespace

bool exfatTimeToFileTime(const ExfatTimestamp& t, FILETIME& utc) {
  FILETIME written{};
  if (!DosDateTimeToFileTime(dosDateOf(t), dosTimeOf(t), &written)) return false;
  std::int64_t ticks = static_cast<std::int64_t>(fileTimeValue(written));
  if (t.tenMs <= kMaxTenMs) ticks += t.tenMs * kTicksPer10ms;
  if (t.utcOffset & kOffsetValid) {
    utc = makeFileTime(static_cast<std::uint64_t>(ticks - quarterHours(t.utcOffset) * kTicksPerQuarterHour));
    return true;
  }
  FILETIME local = makeFileTime(static_cast<std::uint64_t>(ticks));
  return LocalFileTimeToFileTime(&local, &utc) != FALSE;
}

void exfatTimeToLocalDos(const ExfatTimestamp& t, WORD& dosDate, WORD& dosTime) {
  FILETIME utc{}, local{};
  if (exfatTimeToFileTime(t, utc) && FileTimeToLocalFileTime(&utc, &local) &&
      FileTimeToDosDateTime(&local, &dosDate, &dosTime))
    return;
  dosDate = dosDateOf(t);
  dosTime = dosTimeOf(t);
}

}  // namespace tarvosk
