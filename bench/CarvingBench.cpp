// Carving benchmarks: every one of the 22 recognisers of the registry fed random units alone (the
// idle case), the whole registry fed random units, and the engine's own scans measured in-process:
// the physical scan of the 1 GiB carving volume (bench/make-carving-bench-volume.sh) with every
// recogniser active, and the basic scan of the 100,000-file NTFS volume
// (bench/make-ntfs-bench-volume.sh IMAGE 100000 deleted). bench/compare-carving.sh sets these
// against cat, PhotoRec and the whole tarvosk-cli run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ByteOrder.h"
#include "platform/CodePage.h"
#include "platform/DriveNamespace.h"
#include "platform/VolumeServices.h"
#include "scan/FileList.h"
#include "types/TypeTable.h"
#include "volfs/FileSystems.h"

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

class QuietProgress : public ProgressWindow {
 public:
  void setTitle(const std::u16string&) override {}
  void setText(const std::u16string&) override {}
  void setRange(int, int) override {}
  void setPosition(int) override {}
  void pumpOneMessage() override {}
  void pumpAllMessages() override {}
  bool cancelled() const override { return false; }
  void close() override {}
};

// The benchmark image, made by its script (with the arguments after the image) when missing.
std::string benchImage(const char* variable, const char* fallback, const std::string& script,
                       const std::string& arguments = "") {
  const char* set = std::getenv(variable);
  const std::string image = set && *set ? set : fallback;
  if (!std::filesystem::exists(image)) {
    std::filesystem::create_directories(std::filesystem::path(image).parent_path());
    const std::string command = (std::filesystem::path(__FILE__).parent_path() / script).string() + " " + image + arguments;
    if (std::system(command.c_str()) != 0) throw std::runtime_error("cannot make " + image);
  }
  return image;
}

// BuildFileList as a front end calls it, each run on a fresh drive namespace as in a new process
// (nothing a first scan builds, such as a volume's name index, is reused). Attaching the image
// is the front end's part and is left out of the time.
void scanVolume(benchmark::State& state, const std::string& image, bool physical) {
  QuietProgress progress;
  std::size_t entries = 0;
  for (auto _ : state) {
    state.PauseTiming();
    detachAll();
    unregisterVolumeProviders();
    AttachResult attached;
    if (!attachImage(image, {}, &attached) || attached.letters.empty()) throw std::runtime_error("cannot attach " + image);
    const std::u16string drive{attached.letters[0], u':'};
    CFileList lists;
    state.ResumeTiming();

    registerFileSystemProviders();
    if (!lists.BuildFileList(drive, progress, physical, 0, 0)) throw std::runtime_error("the scan failed");

    state.PauseTiming();
    entries = lists.GetDriveList(drive)->size();
    lists.RemoveDriveList(drive);
    state.ResumeTiming();
  }
  state.counters["entries"] = static_cast<double>(entries);
}

void BM_PhysicalScanOfCarvingVolume(benchmark::State& state) {
  const std::string image =
      benchImage("TARVOSK_CARVING_IMAGE", "/tmp/tarvosk-bench/carving-1g.img", "make-carving-bench-volume.sh");
  filterRegistry().EnableAll(true);
  scanVolume(state, image, true);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) << 30);
}
BENCHMARK(BM_PhysicalScanOfCarvingVolume)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace tarvosk
