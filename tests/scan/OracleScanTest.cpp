#include "OracleScanTest.h"

#include <stdexcept>

#include "support/TestSupport.h"
#include "volfs/FileSystems.h"

namespace tarvosk::test {

void OracleScanTest::SetUp() {
  AttachedImagesTest::SetUp();
  registerFileSystemProviders();
  savedSettings_ = settings();
}

void OracleScanTest::TearDown() {
  settings() = savedSettings_;
  lists_.RemoveDriveList(u"C:");
  AttachedImagesTest::TearDown();
}

void OracleScanTest::readOracle(const std::string& fixture) {
  image_ = fixturePath(fixture);
  fls_ = readFls(image_);
}

void OracleScanTest::scanFixture(const std::string& fixture, const AttachOptions& options) {
  readOracle(fixture);
  attachFixture(fixture, options);
  scanDriveC();
}

void OracleScanTest::scanImage(const std::string& path) {
  AttachResult attached;
  ASSERT_TRUE(attachImage(path, {}, &attached)) << path;
  scanDriveC();
}

void OracleScanTest::scanDriveC() {
  ASSERT_TRUE(lists_.BuildFileList(u"C:", progress_, false, 0, 0)) << ui_.calls().size() << " message boxes";
  list_ = lists_.GetDriveList(u"C:");
  ASSERT_NE(list_, nullptr);
  entries_ = entriesByPath(*list_);
}

const FlsEntry& OracleScanTest::flsEntry(const std::string& path) const {
  for (const FlsEntry& e : fls_)
    if (e.path == path) return e;
  throw std::runtime_error(path + " is not in fls's listing");
}

}  // namespace tarvosk::test
