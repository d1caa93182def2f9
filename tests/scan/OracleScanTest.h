// A test fixture for whole basic scans: attaches an image made by a fixture script (or a
// patched copy of one) as drive C:, scans it, and reads what sleuthkit said about the image.
// Settings changed by a test are put back at the end.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ScanListing.h"
#include "scan/FileList.h"
#include "settings/Settings.h"
#include "support/AttachedImages.h"
#include "support/FakeUi.h"

namespace tarvosk::test {

class OracleScanTest : public AttachedImagesTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Reads IMAGE.fls of the fixture image of that name.
  void readOracle(const std::string& fixture);
  // readOracle, then attaches the fixture image and scans it.
  void scanFixture(const std::string& fixture, const AttachOptions& options = {});
  // Attaches the image at that path and scans it.
  void scanImage(const std::string& path);
  // The entry fls lists under that path; throws if none.
  const FlsEntry& flsEntry(const std::string& path) const;

  std::string image_;
  std::vector<FlsEntry> fls_;
  FakeUi ui_;
  FakeProgress progress_;
  CFileList lists_;
  DriveFileList* list_ = nullptr;
  std::map<std::u16string, const FileEntry*> entries_;

 private:
  void scanDriveC();
  Settings savedSettings_;
};

}  // namespace tarvosk::test
