#include "recover/ContiguousCopy.h"

#include <algorithm>

#include "platform/Files.h"

namespace tarvosk {

namespace {
constexpr std::uint64_t kUnitsPerPoll = 10;
}

CopyOutcome copyContiguousUnits(DriveUnits& units, std::uint64_t start, std::uint64_t size,
                                const std::vector<std::uint64_t>* selection, HANDLE output, RecoveryJob& job) {
  const std::uint64_t unit = units.unitSize();
  const std::uint64_t count = (size + unit - 1) / unit;
  std::vector<std::uint8_t> buffer(unit);
  std::uint64_t counted = 0;
  for (std::uint64_t i = 0; i < count; ++i) {
    std::uint64_t number = start + i;
    if (selection && std::find(selection->begin(), selection->end(), number) == selection->end()) {
      counted += unit;
      job.addProgress(unit);
      continue;
    }
    if (!units.read(number, 1, buffer.data())) break;
    DWORD length = static_cast<DWORD>(unit);
    if (i + 1 == count && size % unit != 0) length = static_cast<DWORD>(size % unit);
    DWORD written = 0;
    if (!WriteFile(output, buffer.data(), length, &written, nullptr) || written != length) break;
    counted += written;
    job.addProgress(written);
    if (i % kUnitsPerPoll == 0 && job.window) {
      job.window->pumpOneMessage();
      if (job.cancelled()) return CopyOutcome::Cancelled;
    }
  }
  return counted >= size ? CopyOutcome::Complete : CopyOutcome::Incomplete;
}

}  // namespace tarvosk
