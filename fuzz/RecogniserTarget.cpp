// Every recogniser of the registry fed a hostile stream of units, as the carving scans feed
// them: twice, with two unit sizes, some units unavailable (fed without data), each pass with
// the exact lengths on or off as the input's header says. Each recogniser is fed directly, so an
// exception escapes as a finding instead of being logged away; every file reported must start
// on a unit that was fed and keep within the carving limits.
#include <cstdio>
#include <set>
#include <string>

#include "FuzzTarget.h"
#include "platform/CodePage.h"
#include "settings/Settings.h"
#include "support/UnitFeeder.h"
#include "types/TypeTable.h"

using namespace tarvosk;

namespace {

// Two choices of unit size, chunk size and exact lengths (the top bit), and a 64-unit availability
// mask.
constexpr std::size_t kHeaderSize = 10;
constexpr std::uint8_t kExactLengthsBit = 0x80;
// The longest length any recogniser may report: AVI takes its length from a 32-bit RIFF size
// plus the 8-byte chunk header, without a limit; every other type stays within 2 GB.
constexpr std::uint64_t kLongestFoundFile = 0xFFFFFFFFull + 8;

struct EveryRecogniser {
  FilterRegistry& registry;
  void Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
    for (std::size_t i = 0; i < registry.count(); ++i) registry.item(i)->Feed(unit, data, unitSize);
  }
};

void checkResults(FilterRegistry& registry, std::uint64_t unitsFed) {
  for (std::size_t i = 0; i < registry.count(); ++i) {
    CTypeFilter& recogniser = *registry.item(i);
    for (const FoundFile& found : recogniser.GetResults()) {
      const bool sound = found.startUnit < unitsFed && found.length <= kLongestFoundFile &&
                         (found.chance == kChanceNotRated || found.chance == kChancePoor ||
                          found.chance == kChanceMayBeGood);
      if (!sound)
        std::fprintf(stderr, "recogniser %s found unit %llu, length %llu, chance %u of %llu units fed\n",
                     utf16ToUtf8(std::u16string(recogniser.GetExtension())).c_str(),
                     static_cast<unsigned long long>(found.startUnit), static_cast<unsigned long long>(found.length),
                     unsigned{found.chance}, static_cast<unsigned long long>(unitsFed));
      fuzz::require(sound, "a found file starts on a fed unit, keeps within the carving limit and has a known chance");
    }
  }
}

void feedPass(FilterRegistry& registry, ByteSpan disk, std::uint8_t choice, const std::set<std::uint64_t>& gaps) {
  test::FeedOptions options;
  options.unitSize = 512u << (choice % 4);
  options.unitsPerChunk = 1u + choice / 4 % 16;
  settings().ExactLengths = (choice & kExactLengthsBit) != 0;
  options.unavailable = gaps;
  registry.ResetAll();
  EveryRecogniser everyone{registry};
  test::feedUnits(everyone, disk, options);
  checkResults(registry, (disk.size() + options.unitSize - 1) / options.unitSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeaderSize) return 0;
  FilterRegistry& registry = filterRegistry();
  registry.EnableAll(true);
  std::set<std::uint64_t> gaps;
  for (std::uint64_t unit = 0; unit < 64; ++unit)
    if (data[2 + unit / 8] & (1u << (unit % 8))) gaps.insert(unit);
  ByteSpan disk(data + kHeaderSize, size - kHeaderSize);
  feedPass(registry, disk, data[0], gaps);
  feedPass(registry, disk, data[1], gaps);
  return 0;
}
