// Basic scan benchmarks: BuildFileList on an NTFS volume of 100,000 files with half of them
// deleted, on a FAT32 volume of 50,000 files with half deleted, on an exFAT volume of 50,000
// files in 500 folders with half deleted, and on an NTFS volume with an emptied recycle bin of
// 10,000 pairs (bench/make-*-bench-volume.sh make them into /tmp/tarvosk-bench). Each iteration
// is one whole scan on a fresh drive
// namespace, as in a new process: the volume services are registered and the image attached
// anew, so nothing a first scan builds is reused. Counters: listed entries, entries per second,
// and the peak of heap bytes in use during the scan per listed entry (every allocation of the
// program goes through the counting operator new below).
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>

#include "BenchVolumes.h"
#include "scan/FileList.h"
#include "settings/Settings.h"

using namespace tarvosk;

namespace {

std::atomic<std::size_t> g_heapInUse{0};
std::atomic<std::size_t> g_heapPeak{0};

void noteAllocated(void* p) {
  std::size_t now = g_heapInUse.fetch_add(malloc_usable_size(p), std::memory_order_relaxed) + malloc_usable_size(p);
  std::size_t peak = g_heapPeak.load(std::memory_order_relaxed);
  while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
  }
}

void* countedAllocation(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (!p) throw std::bad_alloc();
  noteAllocated(p);
  return p;
}

void countedRelease(void* p) {
  if (!p) return;
  g_heapInUse.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
  std::free(p);
}

// The peak of heap bytes in use during a scan, per entry it lists.
class HeapPerEntry : public bench::ScanObserver {
 public:
  void beforeScan() override {
    before_ = g_heapInUse.load();
    g_heapPeak.store(before_);
  }
  void afterScan(const DriveFileList& list) override {
    bytesPerEntry = static_cast<double>(g_heapPeak.load() - before_) / static_cast<double>(list.size());
  }
  double bytesPerEntry = 0;

 private:
  std::size_t before_ = 0;
};

void basicScan(benchmark::State& state, const std::string& image) {
  HeapPerEntry heap;
  bench::timeScans(state, image, false, &heap);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(state.counters["entries"]));
  state.counters["peak_bytes_per_entry"] = heap.bytesPerEntry;
}

void BM_BasicScanNtfs100kHalfDeleted(benchmark::State& state) {
  basicScan(state, bench::benchVolume("ntfs-100k-half.img", "make-ntfs-bench-volume.sh", "100000 deleted"));
}
BENCHMARK(BM_BasicScanNtfs100kHalfDeleted)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_BasicScanFat32_50kHalfDeleted(benchmark::State& state) {
  basicScan(state, bench::benchVolume("fat32-50k.img", "make-fat32-bench-volume.sh"));
}
BENCHMARK(BM_BasicScanFat32_50kHalfDeleted)->Unit(benchmark::kMillisecond)->Iterations(10);

// An NTFS volume of 10,000 deleted files whose emptied recycle bin held 10,000 "$I"/"$R" pairs,
// scanned without (0) and with (1) the recycle bin pass: the difference is what pairing the
// deleted items and showing them under their original names costs.
void BM_BasicScanNtfsEmptiedBin10k(benchmark::State& state) {
  bool saved = settings().ScanRecycleBin;
  settings().ScanRecycleBin = state.range(0) != 0;
  basicScan(state, bench::benchVolume("ntfs-emptied-bin-10k.img", "make-recycle-bench-volume.sh", "10000"));
  settings().ScanRecycleBin = saved;
}
BENCHMARK(BM_BasicScanNtfsEmptiedBin10k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_BasicScanExfat50kHalfDeleted(benchmark::State& state) {
  basicScan(state, bench::benchVolume("exfat-50k.img", "make-exfat-bench-volume.sh"));
}
BENCHMARK(BM_BasicScanExfat50kHalfDeleted)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

void* operator new(std::size_t size) { return countedAllocation(size); }
void* operator new[](std::size_t size) { return countedAllocation(size); }
void operator delete(void* p) noexcept { countedRelease(p); }
void operator delete[](void* p) noexcept { countedRelease(p); }
void operator delete(void* p, std::size_t) noexcept { countedRelease(p); }
void operator delete[](void* p, std::size_t) noexcept { countedRelease(p); }
