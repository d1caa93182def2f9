// The recycle bin listing with a hostile INFO2 in both recycle folders ("Recycled" and a user
// folder of "Recycler"), served by an in-memory volume that also holds some kept items, over a
// file list with a root and one folder for the records to land in.
#include <memory>
#include <string>

#include "FuzzTarget.h"
#include "RecycleBinVolume.h"
#include "scan/RecycleBin.h"

using namespace tarvosk;

namespace {

constexpr char kOemName[] = "TVKINFO2";  // the volume the memory provider serves

std::string g_info2;

// Both recycle folders hold the INFO2 and the kept items of records 1 (a file) and 2 (a folder).
std::unique_ptr<test::MemoryVolume> recycleVolume() {
  auto volume = std::make_unique<test::MemoryVolume>();
  volume->addFolder(u"Docs");
  volume->addFolder(u"Recycler");
  for (const std::u16string folder : {u"Recycled", u"Recycler\\S-1-5-21"}) {
    volume->addFolder(folder);
    volume->addFile(folder + u"\\INFO2", g_info2);
    volume->addFile(folder + u"\\Dc1.txt", "kept");
    volume->addFolder(folder + u"\\Dc2");
    volume->addFile(folder + u"\\Dc2\\inner.txt", "inner");
  }
  return volume;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::attachRecycleBinVolume(kOemName, recycleVolume);
  g_info2.assign(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<DriveFileList> list = fuzz::listWithDocsFolder();
  fuzz::require(ListRecycleBin(u"C:", *list), "the recycle bin can always be listed");
  fuzz::requireEveryChildListed(*list);
  return 0;
}
