// exFAT timestamps: a DOS date and time, a 10 ms refinement and the writer's offset from UTC.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"

namespace tarvosk {

struct ExfatTimestamp {
  std::uint32_t stamp = 0;     // DOS time in the low 16 bits, DOS date in the high 16
  std::uint8_t tenMs = 0;      // 0-199: 10 ms steps past the two-second step
  std::uint8_t utcOffset = 0;  // bit 7: the offset is valid; bits 0-6: signed quarter hours
};

// The moment in UTC. A time without a valid offset was written in the writer's local time,
// which is taken as this machine's, as FAT times are. False when the date or time is out of
// range (a 10 ms part above 199 is ignored).
bool exfatTimeToFileTime(const ExfatTimestamp& t, FILETIME& utc);

// The moment as a DOS date and time in this machine's local time, what a FAT entry carries;
// the writer's fields unchanged when the moment cannot be converted.
void exfatTimeToLocalDos(const ExfatTimestamp& t, WORD& dosDate, WORD& dosTime);

}  // namespace tarvosk
