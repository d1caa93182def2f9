// The exFAT volume layer and directory walker over a whole in-memory volume: open it (falling
// back on the backup boot region), count its free clusters, walk every folder (deleted ones
// too), work out every set's clusters as recovery would, and read every set again by its place.
#include <vector>

#include "FuzzTarget.h"
#include "MemoryImage.h"
#include "exfat/ExfatClusterRuns.h"
#include "exfat/ExfatDirectoryWalker.h"
#include "exfat/ExfatVolume.h"

using namespace tarvosk;

namespace {

constexpr int kMaxDepth = 12;
constexpr int kMaxSetsPerFolder = 4096;

void walkFolder(ExfatVolumeEntry& volume, DWORD folder, int depth) {
  ExfatFileInfo info;
  for (int i = 0; i < kMaxSetsPerFolder && EXFAT_GetNextFile(folder, &info) == LAYER_SUCCESS; ++i) {
    fuzz::require(!info.set.name.empty() && info.set.name.size() <= exfatdir::kMaxNameLength, "a walked name has a length");
    std::vector<ExfatRun> runs;
    exfat::fileRuns(volume, info.set.firstCluster, info.set.dataLength, info.set.noFatChain(), info.deleted, runs);
    for (const ExfatRun& run : runs)
      fuzz::require(volume.boot.isHeapCluster(run.first) && volume.boot.isHeapCluster(run.first + run.count - 1),
                    "a file's clusters lie in the heap");
    ExfatEntrySet again;
    fuzz::require(EXFAT_ReadEntrySet(volume.handle, info.setPosition, &again) == LAYER_SUCCESS && again.name == info.set.name,
                  "a walked set reads again by its place");
    if (info.set.isFolder() && depth < kMaxDepth) walkFolder(volume, info.handle, depth + 1);
    EXFAT_CloseHandle(info.handle);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::registerFileSystemProvidersOnce();
  fuzz::MemoryImage image(ByteSpan(data, size));
  if (!image.attach()) return 0;
  DWORD handle = EXFAT_OpenDevice(u"C:");
  if (handle == INVALID_LAYER_HANDLE) return 0;
  ExfatVolumeEntry& volume = *EXFAT_GetVolumeEntry(handle);
  std::uint64_t free = 0;
  if (EXFAT_CountFreeClusters(handle, 0, ~0ull, &free) == LAYER_SUCCESS)
    fuzz::require(free <= volume.boot.clusterCount, "no more free clusters than the heap holds");
  DWORD root = 0;
  if (EXFAT_OpenRootDirectory(handle, &root) == LAYER_SUCCESS) {
    walkFolder(volume, root, 0);
    EXFAT_CloseHandle(root);
  }
  EXFAT_CloseDevice(handle);
  return 0;
}
