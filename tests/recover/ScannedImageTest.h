// A test fixture for the recovery and search engines: fixture images made by real tools are
// attached to an empty drive namespace (with the file-system providers registered) and given a
// basic scan; its entries are then found by path. At the end no image may have changed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/DriveNamespace.h"
#include "scan/FileList.h"
#include "support/AttachedImages.h"
#include "support/FakeUi.h"
#include "support/TestSupport.h"

namespace tarvosk::test {

class ScannedImageTest : public AttachedImagesTest {
 protected:
  void SetUp() override;

  // Attaches the fixture image and runs the basic scan of its first volume.
  DriveFileList& scan(const std::string& fixture, const AttachOptions& options = {});

  // The entry at path ("comp/text.txt") below the root of list, or null. A name that lost its
  // first character when it was deleted (the "?" of a FAT 8.3 entry) matches the original's
  // name; names compare without regard to case.
  static FileEntry* entryAt(DriveFileList& list, const std::string& path);
  // The same, failing the test when there is no such entry.
  static FileEntry& mustFind(DriveFileList& list, const std::string& path);

  // The first sector (of the image) of the file at path, from a scan of the image on its own;
  // for attaching the image again with that sector unreadable.
  std::uint64_t firstSectorOf(const std::string& fixture, const std::string& path);

  // The bytes of an original that build-recover-fixtures.sh kept beside its images.
  static std::vector<std::uint8_t> original(const std::string& name);

  CFileList lists;
  FakeUi ui;
  FakeProgress progress;
};

}  // namespace tarvosk::test
