#include "support/FatImagesTest.h"

#include "fat/FatVolume.h"
#include "platform/VolumeServices.h"
#include "volfs/FileSystems.h"

namespace tarvosk::test {

namespace {
std::u16string driveOf(const AttachResult& r) {
  if (r.letters.empty()) return u"";
  return std::u16string{r.letters.front(), u':'};
}
}  // namespace

void FatImagesTest::SetUp() {
  AttachedImagesTest::SetUp();
  registerVolumeProvider(makeFatVolumeProvider());
}

void FatImagesTest::TearDown() {
  for (DWORD v : volumes_) FAT_CloseDevice(v);
  unregisterVolumeProviders();
  AttachedImagesTest::TearDown();
  for (const auto& [path, sum] : builtSums_) EXPECT_EQ(fileFingerprint(path), sum) << path << " changed";
}

std::u16string FatImagesTest::attachFatFixture(const std::string& name) {
  std::u16string drive = driveOf(attachFixture(name));
  EXPECT_FALSE(drive.empty()) << name << " got no drive letter";
  return drive;
}

std::u16string FatImagesTest::attachBuilt(const FatImageBuilder& builder, const std::string& name) {
  std::string path = scratch_.file(name);
  builder.write(path);
  builtSums_[path] = fileFingerprint(path);
  AttachResult result;
  EXPECT_TRUE(attachImage(path, {}, &result)) << name;
  std::u16string drive = driveOf(result);
  EXPECT_FALSE(drive.empty()) << name << " got no drive letter";
  return drive;
}

DWORD FatImagesTest::openVolume(const std::u16string& drive) {
  DWORD h = FAT_OpenDevice(drive.c_str());
  if (h != INVALID_LAYER_HANDLE) volumes_.push_back(h);
  return h;
}

}  // namespace tarvosk::test
