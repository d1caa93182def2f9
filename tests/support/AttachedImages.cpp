#include "support/AttachedImages.h"

#include "platform/KernelObject.h"
#include "platform/VolumeServices.h"
#include "support/LayerHandles.h"
#include "support/TestSupport.h"

namespace tarvosk::test {

void AttachedImagesTest::SetUp() {
  detachAll();
  unregisterVolumeProviders();
  closeAllLayerHandles();
  handlesBefore_ = openHandleCount();
}

void AttachedImagesTest::TearDown() {
  unregisterVolumeProviders();
  closeAllLayerHandles();
  EXPECT_EQ(openHandleCount(), handlesBefore_) << "the test leaked handles";
  detachAll();
  for (const auto& [path, sum] : checksums_) EXPECT_EQ(fileFingerprint(path), sum) << path << " changed";
}

AttachResult AttachedImagesTest::attachFixture(const std::string& name, const AttachOptions& options) {
  std::string path = fixturePath(name);
  if (!checksums_.count(path)) checksums_[path] = fileFingerprint(path);
  AttachResult result;
  EXPECT_TRUE(attachImage(path, options, &result)) << name;
  return result;
}

}  // namespace tarvosk::test
