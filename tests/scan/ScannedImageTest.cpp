#include "ScannedImageTest.h"

#include <stdexcept>

#include "support/TestSupport.h"
#include "volfs/FileSystems.h"

namespace tarvosk::test {

void ScannedImageTest::SetUp() {
  AttachedImagesTest::SetUp();
  registerFileSystemProviders();
  savedSettings_ = settings();
}

void ScannedImageTest::TearDown() {
  settings() = savedSettings_;
  lists_.RemoveDriveList(u"C:");
  AttachedImagesTest::TearDown();
}

void ScannedImageTest::readOracle(const std::string& fixture) {
  image_ = fixturePath(fixture);
  fls_ = readFls(image_);
}

void ScannedImageTest::scanFixture(const std::string& fixture, const AttachOptions& options) {
  readOracle(fixture);
  attachFixture(fixture, options);
  scanDriveC();
}

void ScannedImageTest::scanImage(const std::string& path) {
  AttachResult attached;
  ASSERT_TRUE(attachImage(path, {}, &attached)) << path;
  scanDriveC();
}

void ScannedImageTest::scanDriveC() {
  ASSERT_TRUE(lists_.BuildFileList(u"C:", progress_, false, 0, 0)) << ui_.calls().size() << " message boxes";
  list_ = lists_.GetDriveList(u"C:");
  ASSERT_NE(list_, nullptr);
  entries_ = entriesByPath(*list_);
}

const FlsEntry& ScannedImageTest::flsEntry(const std::string& path) const {
  for (const FlsEntry& e : fls_)
    if (e.path == path) return e;
  throw std::runtime_error(path + " is not in fls's listing");
}

}  // namespace tarvosk::test
