// FAT reader benchmarks: walking every folder of a FAT32 volume with 50,000 files in 500
// folders through FAT_GetNextFile, and counting a 100,000-cluster chain. The volume is made
// once with mkfs.fat and mtools in /tmp and reused.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>

#include "fat/ClusterChain.h"
#include "fat/DirectoryWalker.h"
#include "fat/FatVolume.h"
#include "platform/DriveNamespace.h"
#include "platform/VolumeServices.h"
#include "volfs/FileSystems.h"

namespace {

const char* kTreeImage = "/tmp/tarvosk-bench-fat32.img";
const char* kChainImage = "/tmp/tarvosk-bench-chain.img";

// Two FAT32 volumes: 500 folders of 100 files with long names; and one file of exactly 100,000
// clusters.
void buildImagesIfMissing() {
  if (std::filesystem::exists(std::string(kTreeImage) + ".done")) return;
  const std::string script = R"(set -euo pipefail
export MTOOLS_SKIP_CHECK=1 LC_ALL=C.UTF-8
img=/tmp/tarvosk-bench-fat32.img
chain=/tmp/tarvosk-bench-chain.img
src=$(mktemp -d)
trap 'rm -rf "$src"' EXIT
mkdir -p "$src/tree"
for d in $(seq -w 1 500); do
  mkdir "$src/tree/Folder number $d"
  for f in $(seq -w 1 100); do : > "$src/tree/Folder number $d/Document number $f.txt"; done
done
head -c 51200000 /dev/zero > "$src/chain.bin"
rm -f "$img" "$chain"
truncate -s 100M "$img"
mkfs.fat -F 32 -s 1 -n BENCH "$img" >/dev/null
mcopy -s -i "$img" "$src/tree"/* ::/
truncate -s 64M "$chain"
mkfs.fat -F 32 -s 1 -n CHAIN "$chain" >/dev/null
mcopy -i "$chain" "$src/chain.bin" ::/CHAIN.BIN
touch "$img.done"
)";
  const std::string scriptPath = std::string(kTreeImage) + ".sh";
  {
    std::ofstream out(scriptPath);
    out << script;
  }
  if (std::system(("bash " + scriptPath).c_str()) != 0) throw std::runtime_error("cannot build the benchmark image");
}

struct BenchVolume {
  explicit BenchVolume(const char* image) {
    buildImagesIfMissing();
    tarvosk::detachAll();
    tarvosk::unregisterVolumeProviders();
    tarvosk::registerVolumeProvider(tarvosk::makeFatVolumeProvider());
    tarvosk::AttachResult r;
    if (!tarvosk::attachImage(image, {}, &r) || r.letters.empty()) throw std::runtime_error("cannot attach");
    std::u16string drive{r.letters[0], u':'};
    handle = FAT_OpenDevice(drive.c_str());
    if (handle == INVALID_LAYER_HANDLE) throw std::runtime_error("cannot open the volume");
  }
  ~BenchVolume() {
    FAT_CloseDevice(handle);
    tarvosk::unregisterVolumeProviders();
    tarvosk::detachAll();
  }
  DWORD handle = INVALID_LAYER_HANDLE;
};

// Walks a folder and every live subfolder below it; returns the entries seen.
std::uint64_t walkAll(DWORD folder) {
  std::uint64_t entries = 0;
  FatFileInfo info{};
  while (FAT_GetNextFile(folder, &info) == LAYER_SUCCESS) {
    ++entries;
    const bool dots = info.name[0] == u'.' && (info.name[1] == 0 || (info.name[1] == u'.' && info.name[2] == 0));
    if (info.folder && !dots && !info.deleted) entries += walkAll(info.handle);
    FAT_CloseHandle(info.handle);
  }
  return entries;
}

void BM_WalkEveryFolder(benchmark::State& state) {
  BenchVolume volume(kTreeImage);
  std::uint64_t total = 0;
  for (auto _ : state) {
    DWORD root = 0;
    FAT_OpenRootDirectory(volume.handle, &root);
    std::uint64_t n = walkAll(root);
    FAT_CloseHandle(root);
    benchmark::DoNotOptimize(n);
    total += n;
  }
  state.counters["entries"] = benchmark::Counter(static_cast<double>(total) / static_cast<double>(state.iterations()));
  state.counters["entries_per_s"] = benchmark::Counter(static_cast<double>(total), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WalkEveryFolder)->Unit(benchmark::kMillisecond);

void BM_ChainSizeOf100000Clusters(benchmark::State& state) {
  BenchVolume volume(kChainImage);
  // CHAIN.BIN's start cluster, from the root.
  DWORD root = 0;
  FAT_OpenRootDirectory(volume.handle, &root);
  FatFileInfo info{};
  std::uint64_t start = 0;
  while (FAT_GetNextFile(root, &info) == LAYER_SUCCESS) {
    if (std::u16string(info.name) == u"CHAIN.BIN") start = info.startCluster;
    FAT_CloseHandle(info.handle);
  }
  FAT_CloseHandle(root);
  DWORD count = 0;
  for (auto _ : state) {
    FAT_GetClusterChainSize(volume.handle, start, &count);
    benchmark::DoNotOptimize(count);
  }
  state.counters["clusters"] = benchmark::Counter(count);
}
BENCHMARK(BM_ChainSizeOf100000Clusters)->Unit(benchmark::kMillisecond);

}  // namespace
