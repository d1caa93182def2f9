// The FAT volume layer and the directory walker over a whole in-memory volume: open it, walk
// every folder (deleted ones too), follow every entry's chain and read its first cluster.
#include <algorithm>
#include <vector>

#include "FuzzTarget.h"
#include "MemoryImage.h"
#include "fat/ClusterChain.h"
#include "fat/DirectoryWalker.h"
#include "fat/FatFileRecord.h"
#include "fat/FatVolume.h"

using namespace tarvosk;

namespace {

constexpr DWORD kMaxDepth = 12;
constexpr int kMaxEntriesPerFolder = 4096;

// Follows the entry's chain both ways the layer offers and reads the first sector of its first cluster.
void followChain(DWORD volume, const FatFileInfo& info, std::vector<std::uint8_t>& sector) {
  DWORD length = 0;
  if (FAT_GetClusterChainSize(volume, info.startCluster, &length) != LAYER_SUCCESS) return;
  fuzz::require(length <= MAX_CLUSTER_CHAIN_SIZE + 1, "a chain count is bounded");
  std::vector<std::uint64_t> chain(length);
  FAT_GetClusterChain(volume, info.startCluster, chain.data(), length);
  std::uint64_t first = 0;
  if (FAT_GetFirstSectorOfCluster(volume, info.startCluster, &first) == LAYER_SUCCESS)
    FAT_ReadSectors(volume, first, 1, sector.data());
}

void walkFolder(DWORD volume, DWORD folder, DWORD depth, std::vector<std::uint8_t>& sector) {
  FatFileInfo info{};
  for (int i = 0; i < kMaxEntriesPerFolder; ++i) {
    if (FAT_GetNextFile(folder, &info) != LAYER_SUCCESS) return;
    const WCHAR* name = info.name;
    const WCHAR* nameEnd = name + FAT_NAME_CHARS;
    fuzz::require(std::find(name, nameEnd, u'\0') != nameEnd, "a walked name is terminated");
    const FatFileRecord* record = FAT_GetFileRecord(info.handle);
    fuzz::require(record != nullptr, "a handed-out handle has its record");
    followChain(volume, info, sector);
    const std::u16string_view text(name);
    if (info.folder && text != u"." && text != u".." && depth < kMaxDepth)
      walkFolder(volume, info.handle, depth + 1, sector);
    FAT_CloseHandle(info.handle);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::registerFileSystemProvidersOnce();
  fuzz::MemoryImage image(ByteSpan(data, size));
  if (!image.attach()) return 0;
  DWORD volume = FAT_OpenDevice(u"C:");
  if (volume == INVALID_LAYER_HANDLE) return 0;
  DWORD sectorSize = 0;
  FAT_GetSectorSize(volume, &sectorSize);
  std::vector<std::uint8_t> sector(std::max<DWORD>(sectorSize, 512));
  DWORD root = 0;
  if (FAT_OpenRootDirectory(volume, &root) == LAYER_SUCCESS) {
    walkFolder(volume, root, 0, sector);
    FAT_CloseHandle(root);
  }
  FAT_CloseDevice(volume);
  return 0;
}
