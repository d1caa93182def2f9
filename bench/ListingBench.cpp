// What a view asks of the engine for every entry it shows, in folder order: the recovery chance
// of each deleted file (NTFS files of many clusters rated on first show, the others by the scan)
// and the time of every entry, on the NTFS volume whose files were written round their folders
// (bench/make-ntfs-mixed-bench-volume.sh), so that one folder's records lie spread over the whole
// $MFT. Each iteration scans anew (not timed)
// and then walks the list as the CLI's listing does.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "BenchVolumes.h"
#include "scan/EntryTimes.h"
#include "scan/RecoveryChance.h"

using namespace tarvosk;

namespace {

// Every entry below the root, depth first in the order of the children, as a listing shows them.
std::size_t showEveryEntry(DriveFileList& list) {
  std::size_t shown = 0;
  std::vector<const FileEntry*> folders{list.Find(ROOT_ENTRY_ID)};
  WCHAR text[kRecoveryChanceTextUnits];
  while (!folders.empty()) {
    const FileEntry* folder = folders.back();
    folders.pop_back();
    for (std::uint64_t id : folder->children) {
      FileEntry* entry = id == ROOT_ENTRY_ID ? nullptr : list.Find(id);
      if (!entry) continue;
      if (entry->deleted && !entry->isFolder) GetRecoveryChanceText(text, *entry);
      FILETIME modified{};
      benchmark::DoNotOptimize(entryModifiedTime(*entry, modified));
      ++shown;
      if (entry->isFolder) folders.push_back(entry);
    }
  }
  return shown;
}

void BM_ListingOfNtfsMixedOrder(benchmark::State& state) {
  const std::string image = bench::benchVolume("ntfs-mixed.img", "make-ntfs-mixed-bench-volume.sh");
  std::size_t shown = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto volume = std::make_unique<bench::ScannedVolume>(image);
    state.ResumeTiming();
    shown = showEveryEntry(volume->list());
    state.PauseTiming();
    volume.reset();
    state.ResumeTiming();
  }
  state.counters["entries"] = static_cast<double>(shown);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * shown));
}
BENCHMARK(BM_ListingOfNtfsMixedOrder)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
