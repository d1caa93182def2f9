#include "recover/ContiguousCopy.h"

#include <algorithm>

#include "platform/Files.h"

namespace tarvosk {

namespace {

// The copy polls the progress window after unit i when i is a multiple of this.
constexpr std::uint64_t kUnitsPerPoll = 10;

bool selected(const std::vector<std::uint64_t>* selection, std::uint64_t number) {
  return !selection || std::find(selection->begin(), selection->end(), number) != selection->end();
}

}  // namespace

// Units go through the buffer in stretches that end at the units after which the copy polls
// ([0], [1..10], [11..20], ...): one read and one write per stretch, the same polls as unit by
// unit. With a selection the stretches are single units.
CopyOutcome copyContiguousUnits(DriveUnits& units, std::uint64_t start, std::uint64_t size,
                                const std::vector<std::uint64_t>* selection, HANDLE output, RecoveryJob& job) {
  const std::uint64_t unit = units.unitSize();
  const std::uint64_t count = (size + unit - 1) / unit;
  std::vector<std::uint8_t> buffer(unit * (selection ? 1 : std::min(count, kUnitsPerPoll)));
  std::uint64_t counted = 0;
  for (std::uint64_t i = 0; i < count;) {
    std::uint64_t last = selection ? i : std::min(count - 1, (i + kUnitsPerPoll - 1) / kUnitsPerPoll * kUnitsPerPoll);
    std::uint64_t stretch = last - i + 1;
    if (!selected(selection, start + i)) {
      counted += unit;
      job.addProgress(unit);
      ++i;
      continue;
    }
    if (!units.read(start + i, static_cast<std::uint32_t>(stretch), buffer.data())) break;
    // The last unit is cut to the file size.
    DWORD length = static_cast<DWORD>(stretch * unit);
    if (last + 1 == count && size % unit != 0) length -= static_cast<DWORD>(unit - size % unit);
    DWORD written = 0;
    if (!WriteFile(output, buffer.data(), length, &written, nullptr) || written != length) break;
    counted += written;
    job.addProgress(written);
    if (last % kUnitsPerPoll == 0 && job.window) {
      job.window->pumpOneMessage();
      if (job.cancelled()) return CopyOutcome::Cancelled;
    }
    i = last + 1;
  }
  return counted >= size ? CopyOutcome::Complete : CopyOutcome::Incomplete;
}

}  // namespace tarvosk
