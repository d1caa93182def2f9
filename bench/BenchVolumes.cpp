#include "BenchVolumes.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unordered_set>
#include <vector>

#include "platform/DriveNamespace.h"
#include "platform/VolumeServices.h"
#include "support/FakeUi.h"
#include "volfs/FileSystems.h"

namespace tarvosk::bench {

namespace {

// Walks the files at and below entry (folders met twice count once).
template <typename Visit>
void forEachDeletedFile(DriveFileList& list, const FileEntry& entry, Visit visit) {
  std::vector<const FileEntry*> stack{&entry};
  std::unordered_set<std::uint64_t> seen;
  while (!stack.empty()) {
    const FileEntry* e = stack.back();
    stack.pop_back();
    if (!e->isFolder) {
      if (e->deleted) visit(*e);
      continue;
    }
    if (!seen.insert(e->id).second) continue;
    for (std::uint64_t id : e->children)
      if (id != ROOT_ENTRY_ID) stack.push_back(&list.Lookup(id));
  }
}

}  // namespace

void makeIfMissing(const std::string& path, const std::string& script, const std::string& arguments) {
  if (std::filesystem::exists(path)) return;
  std::filesystem::create_directories(kBenchDir);
  std::string command = (std::filesystem::path(__FILE__).parent_path() / script).string() + " " + arguments;
  if (std::system(command.c_str()) != 0) throw std::runtime_error("cannot make " + path + " (" + command + ")");
}

ScannedVolume::ScannedVolume(const std::string& image) {
  detachAll();
  unregisterVolumeProviders();
  registerFileSystemProviders();
  AttachResult attached;
  if (!attachImage(image, {}, &attached) || attached.letters.empty()) throw std::runtime_error("cannot attach " + image);
  test::FakeProgress quiet;
  if (!lists.BuildFileList(u"C:", quiet, false, 0, 0)) throw std::runtime_error("cannot scan " + image);
}

ScannedVolume::~ScannedVolume() {
  lists.RemoveDriveList(u"C:");
  unregisterVolumeProviders();
  detachAll();
}

std::uint64_t deletedBytes(DriveFileList& list, const FileEntry& entry) {
  std::uint64_t total = 0;
  forEachDeletedFile(list, entry, [&](const FileEntry& e) { total += e.size; });
  return total;
}

std::uint64_t deletedFiles(DriveFileList& list, const FileEntry& entry) {
  std::uint64_t count = 0;
  forEachDeletedFile(list, entry, [&](const FileEntry&) { ++count; });
  return count;
}

}  // namespace tarvosk::bench
