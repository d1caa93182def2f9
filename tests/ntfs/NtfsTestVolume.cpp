#include "ntfs/NtfsTestVolume.h"

#include <cstdio>

#include "platform/VolumeServices.h"
#include "volfs/FileSystems.h"

namespace tarvosk::test {

void NtfsVolumeTest::SetUp() {
  AttachedImagesTest::SetUp();
  registerVolumeProvider(makeNtfsVolumeProvider());
}

void NtfsVolumeTest::TearDown() {
  for (DWORD h : handles_) {
    if (h != kNtfsInvalidHandle) CloseMFT(h);
  }
  unregisterVolumeProviders();  // mounted volumes close their handles
  for (const auto& [path, sum] : sums_) EXPECT_EQ(fileChecksum(path), sum) << path << " changed";
  AttachedImagesTest::TearDown();
}

WCHAR NtfsVolumeTest::attachBytes(const std::vector<std::uint8_t>& bytes) {
  std::string path = scratch_.file("volume" + std::to_string(images_++) + ".img");
  writeWholeFile(path, bytes);
  sums_[path] = fileChecksum(path);
  AttachResult result;
  EXPECT_TRUE(attachImage(path, {}, &result));
  EXPECT_EQ(result.letters.size(), 1u);
  return result.letters.empty() ? u'?' : result.letters[0];
}

WCHAR NtfsVolumeTest::attachFixtureVolume(const std::string& name) {
  AttachResult result = attachFixture(name);
  EXPECT_EQ(result.letters.size(), 1u);
  return result.letters.empty() ? u'?' : result.letters[0];
}

DWORD NtfsVolumeTest::open(WCHAR letter) {
  DWORD h = OpenMFT(drive(letter).c_str());
  handles_.push_back(h);
  return h;
}

std::string commandOutput(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    ADD_FAILURE() << "cannot run " << command;
    return out;
  }
  char buffer[4096];
  std::size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  int status = pclose(pipe);
  EXPECT_EQ(status, 0) << command << " failed";
  return out;
}

}  // namespace tarvosk::test
