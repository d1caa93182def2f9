// Carving benchmarks: every one of the 22 recognisers of the registry fed random units alone (the
// idle case), the whole registry fed random units, and the engine's own scans measured in-process:
// the physical scan of the 1 GiB carving volume (bench/make-carving-bench-volume.sh) with every
// recogniser active, with the classic and with the exact lengths. bench/compare-carving-and-cli.sh
// sets it against cat, PhotoRec and the whole tarvosk-cli run.
#include <benchmark/benchmark.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchVolumes.h"
#include "platform/ByteOrder.h"
#include "platform/CodePage.h"
#include "settings/Settings.h"
#include "types/TypeTable.h"

namespace tarvosk {
namespace {

constexpr std::uint32_t kUnit = 4096;
constexpr std::size_t kRandomBytes = 64u << 20;

const std::vector<std::uint8_t>& randomUnits() {
  static const std::vector<std::uint8_t> bytes = [] {
    std::mt19937_64 random(99);
    std::vector<std::uint8_t> d(kRandomBytes + 2 * kUnit);
    for (std::size_t i = 0; i + 8 <= d.size(); i += 8) putLe64(d.data() + i, random());
    return d;
  }();
  return bytes;
}

// One recogniser of the registry, by its index, fed random units as the scan feeds them.
void BM_RegistryRecogniserIdle(benchmark::State& state) {
  CTypeFilter& recogniser = *filterRegistry().item(static_cast<std::size_t>(state.range(0)));
  state.SetLabel(utf16ToUtf8(std::u16string(recogniser.GetExtension())));
  const std::vector<std::uint8_t>& d = randomUnits();
  for (auto _ : state) {
    recogniser.Reset();
    for (std::size_t off = 0; off < kRandomBytes; off += kUnit) recogniser.Feed(off / kUnit, d.data() + off, kUnit);
    benchmark::DoNotOptimize(recogniser.GetResults().data());
  }
  recogniser.Reset();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kRandomBytes));
}
BENCHMARK(BM_RegistryRecogniserIdle)->DenseRange(0, 21)->Unit(benchmark::kMillisecond);

// The whole registry, every recogniser active, through FilterRegistry::Feed.
void BM_RegistryFeedRandom(benchmark::State& state) {
  FilterRegistry& registry = filterRegistry();
  registry.EnableAll(true);
  const std::vector<std::uint8_t>& d = randomUnits();
  for (auto _ : state) {
    registry.ResetAll();
    for (std::size_t off = 0; off < kRandomBytes; off += kUnit) registry.Feed(off / kUnit, d.data() + off, kUnit);
  }
  registry.ResetAll();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kRandomBytes));
}
BENCHMARK(BM_RegistryFeedRandom)->Unit(benchmark::kMillisecond);

void scanCarvingVolume(benchmark::State& state, bool exactLengths) {
  const std::string image = bench::benchVolume("carving-1g-messy.img", "make-carving-bench-volume.sh");
  filterRegistry().EnableAll(true);
  settings().ExactLengths = exactLengths;
  bench::timeScans(state, image, true);
  settings().ExactLengths = false;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) << 30);
}

void BM_PhysicalScanOfCarvingVolume(benchmark::State& state) { scanCarvingVolume(state, false); }
BENCHMARK(BM_PhysicalScanOfCarvingVolume)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PhysicalScanOfCarvingVolumeExact(benchmark::State& state) { scanCarvingVolume(state, true); }
BENCHMARK(BM_PhysicalScanOfCarvingVolumeExact)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace tarvosk
