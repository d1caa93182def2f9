#include "scan/ExfatFileData.h"

#include <algorithm>

#include "exfat/ExfatClusterRuns.h"
#include "exfat/ExfatDirectoryWalker.h"
#include "log/Log.h"

namespace tarvosk {

bool findExfatFileData(const FileEntry& entry, ExfatFileData& out) {
  out = ExfatFileData{};
  ExfatVolumeEntry* volume = EXFAT_GetVolumeEntry(entry.handle);
  ExfatEntrySet set;
  if (!volume || EXFAT_ReadEntrySet(entry.handle, entry.id, &set) != LAYER_SUCCESS) return false;
  out.clusterSize = volume->boot.clusterSize;
  out.dataLength = set.dataLength;
  out.validDataLength = std::min(set.validDataLength, set.dataLength);
  if (set.validDataLength > set.dataLength)
    LOG_Write(g_logAPP, WARNING, u"findExfatFileData(%I64d): valid data length %I64d exceeds the data length %I64d",
              entry.id, set.validDataLength, set.dataLength);
  // Data whose first cluster lies outside the heap cannot be found at all.
  return exfat::fileRuns(*volume, set.firstCluster, set.dataLength, set.noFatChain(), entry.deleted, out.runs) ==
             LAYER_SUCCESS &&
         (set.dataLength == 0 || !out.runs.empty());
}

}  // namespace tarvosk
