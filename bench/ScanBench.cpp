// Basic scan benchmarks: BuildFileList on an NTFS volume of 100,000 files with half of them
// deleted, and on a FAT32 volume of 50,000 files with half deleted (bench/make-*-bench-volume.sh
// make them into /tmp/tarvosk-bench). Each iteration is one whole scan on a fresh drive
// namespace, as in a new process: the volume services are registered and the image attached
// anew, so nothing a first scan builds is reused. Counters: listed entries, entries per second,
// and the peak of heap bytes in use during the scan per listed entry (every allocation of the
// program goes through the counting operator new below).
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>

#include "platform/DriveNamespace.h"
#include "platform/VolumeServices.h"
#include "scan/FileList.h"
#include "volfs/FileSystems.h"

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

class SilentProgress : public ProgressWindow {
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

std::string benchImage(const char* name, const char* script, const char* arguments) {
  std::string image = std::string("/tmp/tarvosk-bench/") + name;
  if (!std::filesystem::exists(image)) {
    std::filesystem::create_directories("/tmp/tarvosk-bench");
    std::string maker = (std::filesystem::path(__FILE__).parent_path() / script).string();
    if (std::system((maker + " " + image + " " + arguments).c_str()) != 0) throw std::runtime_error("cannot make " + image);
  }
  return image;
}

void basicScan(benchmark::State& state, const std::string& image) {
  SilentProgress progress;
  std::size_t entries = 0;
  double bytesPerEntry = 0;
  for (auto _ : state) {
    state.PauseTiming();
    detachAll();
    unregisterVolumeProviders();
    AttachResult attached;
    if (!attachImage(image, {}, &attached) || attached.letters.empty()) throw std::runtime_error("cannot attach " + image);
    std::u16string drive{attached.letters[0], u':'};
    CFileList lists;
    std::size_t before = g_heapInUse.load();
    g_heapPeak.store(before);
    state.ResumeTiming();

    registerFileSystemProviders();
    if (!lists.BuildFileList(drive, progress, false, 0, 0)) throw std::runtime_error("the scan failed");

    state.PauseTiming();
    entries = lists.GetDriveList(drive)->size();
    bytesPerEntry = static_cast<double>(g_heapPeak.load() - before) / static_cast<double>(entries);
    lists.RemoveDriveList(drive);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * entries));
  state.counters["entries"] = static_cast<double>(entries);
  state.counters["peak_bytes_per_entry"] = bytesPerEntry;
}

void BM_BasicScanNtfs100kHalfDeleted(benchmark::State& state) {
  basicScan(state, benchImage("ntfs-100k-half.img", "make-ntfs-bench-volume.sh", "100000 deleted"));
}
BENCHMARK(BM_BasicScanNtfs100kHalfDeleted)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_BasicScanFat32_50kHalfDeleted(benchmark::State& state) {
  basicScan(state, benchImage("fat32-50k.img", "make-fat32-bench-volume.sh", ""));
}
BENCHMARK(BM_BasicScanFat32_50kHalfDeleted)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

void* operator new(std::size_t size) { return countedAllocation(size); }
void* operator new[](std::size_t size) { return countedAllocation(size); }
void operator delete(void* p) noexcept { countedRelease(p); }
void operator delete[](void* p) noexcept { countedRelease(p); }
void operator delete(void* p, std::size_t) noexcept { countedRelease(p); }
void operator delete[](void* p, std::size_t) noexcept { countedRelease(p); }
