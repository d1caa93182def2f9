// Recovery benchmarks, page cache warm:
// - a deleted 512 MiB file recovered from a FAT32 volume (contiguous clusters) and from an NTFS
//   volume (non-resident runs), each iteration timed against dd copying the same byte ranges of
//   the image into a file of the same folder (counters: MB/s of both, and ratio = our MB/s over
//   dd's); the recovered bytes are checked against the original's SHA-256 once;
// - every deleted file of the 50,000-file FAT32 and exFAT volumes and of the 100,000-file NTFS
//   volume recovered into a fresh folder on tmpfs (the scan is not timed). bench/compare-recover-all.sh times the
//   same recoveries, scan included, against tsk_recover and ntfsundelete and checks the bytes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

#include "BenchVolumes.h"
#include "fat/FatVolume.h"
#include "platform/CodePage.h"
#include "recover/RecoverEntry.h"
#include "support/FakeUi.h"
#include "viewers/UnitList.h"

using namespace tarvosk;
using namespace tarvosk::bench;

namespace {

using Clock = std::chrono::steady_clock;

struct ByteRange {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

// The byte ranges of the image that hold the file's units, consecutive units joined.
std::vector<ByteRange> imageRanges(const FileEntry& file) {
  FileUnits units = listFileUnits(file);
  std::vector<ByteRange> ranges;
  std::uint64_t previous = ~0ull;
  for (const ViewerUnit& unit : units.units) {
    std::uint64_t offset = unit.number * units.unitSize;
    if (file.kind == ENTRY_KIND_FAT) {
      std::uint64_t sector = 0;
      FAT_GetFirstSectorOfCluster(file.handle, unit.number, &sector);
      offset = sector * 512;
    }
    if (!ranges.empty() && unit.number == previous + 1) ranges.back().length += units.unitSize;
    else ranges.push_back({offset, units.unitSize});
    previous = unit.number;
  }
  std::uint64_t spare = ranges.empty() ? 0 : units.units.size() * std::uint64_t{units.unitSize} - file.size;
  if (!ranges.empty()) ranges.back().length -= spare;
  return ranges;
}

std::string commandOutput(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    pclose(pipe);
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

double seconds(Clock::time_point from, Clock::time_point to) { return std::chrono::duration<double>(to - from).count(); }

void BM_RecoverLargeFile(benchmark::State& state, const std::string& imageName) {
  const std::string image = kBenchDir + "/" + imageName;
  makeIfMissing(image, "make-large-file-bench-volumes.sh", kBenchDir);
  ScannedVolume volume(image);
  DriveFileList& list = volume.list();
  FileEntry* large = nullptr;
  for (std::uint64_t id : list.Lookup(ROOT_ENTRY_ID).children)
    if (list.Lookup(id).deleted && list.Lookup(id).size == 512ull << 20) large = &list.Lookup(id);
  if (!large) return state.SkipWithError("the volume lists no deleted 512 MiB file");
  const std::vector<ByteRange> ranges = imageRanges(*large);

  const std::filesystem::path folder = kBenchDir + "/out-large";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::filesystem::path recovered = folder / utf16ToUtf8(large->name.view().starts_with(u'?') ? u"_" + large->name.str().substr(1) : large->name.str());
  const std::filesystem::path copied = folder / "dd.bin";
  test::FakeUi ui;
  test::FakeProgress progress;
  auto recover = [&] {
    RecoveryJob job;
    job.window = &progress;
    return RecoverEntry(list, *large, nullptr, utf8ToUtf16(folder.string()), job);
  };
  // Once, untimed: the page cache is warm and the bytes are right.
  if (!recover()) return state.SkipWithError("the recovery failed");
  std::string want = commandOutput("cat " + kBenchDir + "/large.sha256");
  if (commandOutput("sha256sum < " + recovered.string() + " | cut -d' ' -f1") != want)
    return state.SkipWithError("the recovered bytes differ from the original");

  double ours = 0, dd = 0;
  for (auto _ : state) {
    std::filesystem::remove(recovered);
    std::filesystem::remove(copied);
    // Each copy starts with no dirty pages left by the one before (sync is not timed).
    sync();
    Clock::time_point t0 = Clock::now();
    if (!recover()) return state.SkipWithError("the recovery failed");
    Clock::time_point t1 = Clock::now();
    sync();
    Clock::time_point ddStart = Clock::now();
    std::uint64_t written = 0;
    for (const ByteRange& r : ranges) {
      std::string command = "dd if=" + image + " of=" + copied.string() +
                            " bs=1M iflag=skip_bytes,count_bytes oflag=seek_bytes conv=notrunc status=none skip=" +
                            std::to_string(r.offset) + " count=" + std::to_string(r.length) +
                            " seek=" + std::to_string(written);
      if (std::system(command.c_str()) != 0) return state.SkipWithError("dd failed");
      written += r.length;
    }
    Clock::time_point t2 = Clock::now();
    ours += seconds(t0, t1);
    dd += seconds(ddStart, t2);
    state.SetIterationTime(seconds(t0, t1));
  }
  std::filesystem::remove_all(folder);
  const double megabytes = static_cast<double>(large->size) / 1e6 * static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<std::int64_t>(large->size * state.iterations()));
  state.counters["MBps"] = megabytes / ours;
  state.counters["dd_MBps"] = megabytes / dd;
  state.counters["ratio_to_dd"] = dd / ours;
  state.counters["runs"] = static_cast<double>(ranges.size());
}
BENCHMARK_CAPTURE(BM_RecoverLargeFile, fat32, std::string("fat32-large.img"))
    ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RecoverLargeFile, ntfs, std::string("ntfs-large.img"))
    ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_RecoverEveryDeletedFile(benchmark::State& state, const std::string& imageName, const std::string& script,
                                const std::string& arguments) {
  const std::string image = kBenchDir + "/" + imageName;
  makeIfMissing(image, script, image + " " + arguments);
  ScannedVolume volume(image);
  DriveFileList& list = volume.list();
  FileEntry& root = list.Lookup(ROOT_ENTRY_ID);
  // On tmpfs: on a disk file system the kernel's allocation of the new inodes would be most of
  // what is measured.
  const std::filesystem::path folder = "/dev/shm/tarvosk-bench-out-all";
  test::FakeUi ui;
  test::FakeProgress progress;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    RecoveryJob job;
    job.window = &progress;
    state.ResumeTiming();
    benchmark::DoNotOptimize(RecoverEntry(list, root, nullptr, utf8ToUtf16(folder.string()), job));
  }
  std::filesystem::remove_all(folder);
  state.SetItemsProcessed(static_cast<std::int64_t>(deletedFiles(list, root) * state.iterations()));
  state.SetBytesProcessed(static_cast<std::int64_t>(deletedBytes(list, root) * state.iterations()));
}
BENCHMARK_CAPTURE(BM_RecoverEveryDeletedFile, fat32_50k, std::string("fat32-50k.img"),
                  std::string("make-fat32-bench-volume.sh"), std::string(""))
    ->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RecoverEveryDeletedFile, ntfs_100k, std::string("ntfs-100k-half.img"),
                  std::string("make-ntfs-bench-volume.sh"), std::string("100000 deleted"))
    ->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RecoverEveryDeletedFile, exfat_50k, std::string("exfat-50k.img"),
                  std::string("make-exfat-bench-volume.sh"), std::string(""))
    ->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
