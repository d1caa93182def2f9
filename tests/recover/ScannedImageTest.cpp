#include "recover/ScannedImageTest.h"

#include "fat/FatVolume.h"
#include "platform/CaseFolding.h"
#include "platform/CodePage.h"
#include "viewers/UnitList.h"
#include "volfs/FileSystems.h"

namespace tarvosk::test {

namespace {

bool sameName(const std::u16string& listed, const std::u16string& original) {
  if (equalsIgnoreCase(listed, original)) return true;
  return !listed.empty() && listed[0] == u'?' && listed.size() == original.size() &&
         equalsIgnoreCase(listed.substr(1), original.substr(1));
}

}  // namespace

void ScannedImageTest::SetUp() {
  AttachedImagesTest::SetUp();
  registerFileSystemProviders();
}

DriveFileList& ScannedImageTest::scan(const std::string& fixture, const AttachOptions& options) {
  AttachResult attached = attachFixture(fixture, options);
  EXPECT_FALSE(attached.letters.empty()) << fixture;
  std::u16string drive = drivePathOfLetter(attached.letters.empty() ? u'C' : attached.letters[0]);
  EXPECT_TRUE(lists.BuildFileList(drive, progress, false, 0, 0)) << fixture;
  return *lists.GetDriveList(drive);
}

FileEntry* ScannedImageTest::entryAt(DriveFileList& list, const std::string& path) {
  std::uint64_t current = ROOT_ENTRY_ID;
  std::u16string rest = utf8ToUtf16(path);
  while (!rest.empty()) {
    std::size_t slash = rest.find(u'/');
    std::u16string name = rest.substr(0, slash);
    rest = slash == std::u16string::npos ? u"" : rest.substr(slash + 1);
    FileEntry* found = nullptr;
    for (std::uint64_t id : list.Lookup(current).children)
      if (id != ROOT_ENTRY_ID && sameName(list.Lookup(id).name.str(), name)) found = &list.Lookup(id);
    if (!found) return nullptr;
    current = found->id;
  }
  return &list.Lookup(current);
}

FileEntry& ScannedImageTest::mustFind(DriveFileList& list, const std::string& path) {
  FileEntry* entry = entryAt(list, path);
  if (!entry) {
    ADD_FAILURE() << "the scan lists no " << path;
    throw std::runtime_error("no entry " + path);
  }
  return *entry;
}

std::uint64_t ScannedImageTest::firstSectorOf(const std::string& fixture, const std::string& path) {
  detachAll();
  EXPECT_TRUE(attachImage(fixturePath(fixture)));
  CFileList scans;
  FakeProgress quiet;
  EXPECT_TRUE(scans.BuildFileList(u"C:", quiet, false, 0, 0));
  FileEntry& entry = mustFind(*scans.GetDriveList(u"C:"), path);
  FileUnits units = listFileUnits(entry);
  EXPECT_FALSE(units.units.empty()) << path;
  std::uint64_t sector = 0;
  if (!units.units.empty()) {
    if (entry.kind == ENTRY_KIND_FAT) FAT_GetFirstSectorOfCluster(entry.handle, units.units[0].number, &sector);
    else sector = units.units[0].number * (units.unitSize / 512);
  }
  scans.RemoveDriveList(u"C:");
  detachAll();
  return sector;
}

std::vector<std::uint8_t> ScannedImageTest::original(const std::string& name) {
  return readWholeFile(fixturePath("recover-files/" + name));
}

}  // namespace tarvosk::test
