// The "$I" parser of the recycle bin of Windows Vista and later, on its own and through the
// listing of a "$Recycle.Bin" user folder whose two "$I" files hold the input (one beside a kept
// file, one beside a kept folder), served by an in-memory volume, over a file list with a root
// and one folder for the items to land in.
#include <memory>
#include <string>

#include "FuzzTarget.h"
#include "RecycleBinVolume.h"
#include "scan/RecycleBinPairs.h"
#include "scan/RecycleInfo.h"

using namespace tarvosk;

namespace {

constexpr char kOemName[] = "TVKRECIN";  // the volume the memory provider serves

std::string g_info;

std::unique_ptr<test::MemoryVolume> binVolume() {
  auto volume = std::make_unique<test::MemoryVolume>();
  const std::u16string user = u"$Recycle.Bin\\S-1-5-21";
  volume->addFolder(u"Docs");
  volume->addFolder(u"$Recycle.Bin");
  volume->addFolder(user);
  volume->addFile(user + u"\\$IFILE01.txt", g_info);
  volume->addFile(user + u"\\$RFILE01.txt", "kept");
  volume->addFile(user + u"\\$IDIR02", g_info);
  volume->addFolder(user + u"\\$RDIR02");
  volume->addFile(user + u"\\$RDIR02\\inner.txt", "inner");
  return volume;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RecycleInfo info;
  if (parseRecycleInfo(ByteSpan(data, size), info) == RecycleInfoFault::None)
    fuzz::require(!info.originalPath.empty() && (info.version == 1 || info.version == 2) && info.size >> 63 == 0,
                  "an accepted $I has a version, a size below 2^63 and a path");

  fuzz::attachRecycleBinVolume(kOemName, binVolume);
  g_info.assign(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<DriveFileList> list = fuzz::listWithDocsFolder();
  std::uint64_t recycleId = FIRST_RECYCLE_BIN_ENTRY_ID;
  ListRecycleBinPairs(u"C:", *list, recycleId);
  fuzz::require(recycleId - FIRST_RECYCLE_BIN_ENTRY_ID <= 3, "at most the two items and the folder's file are listed");
  fuzz::requireEveryChildListed(*list);
  return 0;
}
