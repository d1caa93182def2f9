// NTFS reader benchmarks: every MFT record of a volume with 100,000 files read in record order
// through GetMFTRecord (records per second), and DecompressUnit on the compression units of a
// file compressed by ntfs-3g (bytes of output per second). The volume is made once into
// /tmp/tarvosk-bench by bench/make-ntfs-bench-volume.sh (ntfs-3g through FUSE, as root).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "ntfs/Attribute.h"
#include "ntfs/Lznt1.h"
#include "ntfs/NtfsLayout.h"
#include "ntfs/NtfsVolume.h"
#include "ntfs/RunList.h"
#include "platform/DriveNamespace.h"
#include "platform/VolumeServices.h"
#include "volfs/FileSystems.h"

using namespace tarvosk;

namespace {

struct BenchVolume {
  DWORD handle = kNtfsInvalidHandle;
  DWORD recordSize = 0;
  DWORD clusterSize = 0;
  std::uint64_t records = 0;
  std::vector<std::vector<BYTE>> compressedUnits;  // the allocated clusters of each compressed unit
};

BenchVolume& volume() {
  static BenchVolume* v = [] {
    auto* b = new BenchVolume;
    const std::string image = "/tmp/tarvosk-bench/ntfs-100k.img";
    if (!std::filesystem::exists(image)) {
      std::filesystem::create_directories("/tmp/tarvosk-bench");
      std::string script = (std::filesystem::path(__FILE__).parent_path() / "make-ntfs-bench-volume.sh").string();
      if (std::system((script + " " + image).c_str()) != 0) throw std::runtime_error("cannot make " + image);
    }
    AttachResult attached;
    if (!attachImage(image, {}, &attached) || attached.letters.empty()) throw std::runtime_error("cannot attach");
    registerVolumeProvider(makeNtfsVolumeProvider());
    std::u16string drive{attached.letters[0], u':'};
    b->handle = OpenMFT(drive.c_str());
    if (b->handle == kNtfsInvalidHandle) throw std::runtime_error("OpenMFT failed");
    std::uint64_t mftSize = 0;
    GetMFTRecordSize(b->handle, &b->recordSize);
    GetNTFSClusterSize(b->handle, &b->clusterSize);
    GetMFTSize(b->handle, &mftSize);
    b->records = mftSize / b->recordSize;
    // Find bench.txt and gather its compressed units.
    std::vector<BYTE> record(b->recordSize);
    for (std::uint64_t n = ntfs::kFirstUserRecord; n < b->records; ++n) {
      if (GetMFTRecord(b->handle, n, record) != 0) continue;
      ByteSpan bytes(record.data(), record.size());
      ByteSpan name;
      if (GetFileName(bytes, &name) != 0 || ntfs::fileNameText(name) != u"bench.txt") continue;
      ByteSpan data;
      std::vector<Run> runs;
      if (FindAttribute(bytes, ntfs::_AH_TYPE_DA, &data) != 0 || ntfs::decodeRunList(data, runs) != 0) break;
      std::vector<std::int64_t> clusters;
      for (const Run& run : runs)
        for (std::uint64_t i = 0; i < run.length; ++i) clusters.push_back(run.startCluster < 0 ? -1 : run.startCluster + static_cast<std::int64_t>(i));
      for (std::size_t u = 0; u + 16 <= clusters.size(); u += 16) {
        std::vector<BYTE> unit;
        std::size_t allocated = 0;
        for (std::size_t i = 0; i < 16; ++i) {
          if (clusters[u + i] < 0) continue;
          std::vector<BYTE> c(b->clusterSize);
          ReadClusters(b->handle, static_cast<std::uint64_t>(clusters[u + i]), 1, c);
          unit.insert(unit.end(), c.begin(), c.end());
          ++allocated;
        }
        if (allocated > 0 && allocated < 16) b->compressedUnits.push_back(std::move(unit));
      }
      break;
    }
    return b;
  }();
  return *v;
}

void BM_GetMFTRecordInOrder(benchmark::State& state) {
  BenchVolume& v = volume();
  std::vector<BYTE> record(v.recordSize);
  std::uint64_t good = 0;
  for (auto _ : state) {
    for (std::uint64_t n = 0; n < v.records; ++n) good += GetMFTRecord(v.handle, n, record) == 0;
    benchmark::DoNotOptimize(good);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * v.records));
  state.counters["records"] = static_cast<double>(v.records);
}
BENCHMARK(BM_GetMFTRecordInOrder)->Unit(benchmark::kMillisecond);

void BM_DecompressUnit(benchmark::State& state) {
  BenchVolume& v = volume();
  if (v.compressedUnits.empty()) {
    state.SkipWithError("bench.txt has no compressed units");
    return;
  }
  std::vector<BYTE> out(16 * v.clusterSize);
  for (auto _ : state) {
    for (const auto& unit : v.compressedUnits) {
      DecompressUnit(v.handle, ByteSpan(unit.data(), unit.size()), out);
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * v.compressedUnits.size() * out.size()));
  state.counters["units"] = static_cast<double>(v.compressedUnits.size());
}
BENCHMARK(BM_DecompressUnit);

}  // namespace
