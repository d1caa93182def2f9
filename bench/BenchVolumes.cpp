#include "BenchVolumes.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unordered_set>
#include <vector>

#include "platform/DriveNamespace.h"
#include "platform/VolumeServices.h"
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

std::string benchVolume(const std::string& name, const std::string& script, const std::string& arguments) {
  const std::string path = kBenchDir + "/" + name;
  makeIfMissing(path, script, arguments.empty() ? path : path + " " + arguments);
  return path;
}

void timeScans(benchmark::State& state, const std::string& image, bool physical, ScanObserver* observer) {
  SilentProgress progress;
  std::size_t entries = 0;
  for (auto _ : state) {
    state.PauseTiming();
    detachAll();
    unregisterVolumeProviders();
    AttachResult attached;
    if (!attachImage(image, {}, &attached) || attached.letters.empty()) throw std::runtime_error("cannot attach " + image);
    const std::u16string drive{attached.letters[0], u':'};
    CFileList lists;
    if (observer) observer->beforeScan();
    state.ResumeTiming();

    registerFileSystemProviders();
    if (!lists.BuildFileList(drive, progress, physical, 0, 0)) throw std::runtime_error("the scan of " + image + " failed");

    state.PauseTiming();
    const DriveFileList& list = *lists.GetDriveList(drive);
    entries = list.size();
    if (observer) observer->afterScan(list);
    lists.RemoveDriveList(drive);
    state.ResumeTiming();
  }
  state.counters["entries"] = static_cast<double>(entries);
}

ScannedVolume::ScannedVolume(const std::string& image) {
  detachAll();
  unregisterVolumeProviders();
  registerFileSystemProviders();
  AttachResult attached;
  if (!attachImage(image, {}, &attached) || attached.letters.empty()) throw std::runtime_error("cannot attach " + image);
  SilentProgress quiet;
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
