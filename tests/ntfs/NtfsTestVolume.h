// Test fixture for NTFS volumes: attaches hand-built volume bytes (written to a scratch file) or
// fixture images, registers the NTFS volume provider, and at the end closes every handle the
// test opened with OpenMFT, unmounts, and checks that no image changed.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ntfs/NtfsVolume.h"
#include "support/AttachedImages.h"
#include "support/TestSupport.h"

namespace tarvosk::test {

class NtfsVolumeTest : public AttachedImagesTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Attaches the bytes as a bare volume image; returns its letter.
  WCHAR attachBytes(const std::vector<std::uint8_t>& bytes);
  // Attaches a fixture image; returns its letter.
  WCHAR attachFixtureVolume(const std::string& name);
  // OpenMFT on the letter's drive name, remembered for closing at the end.
  DWORD open(WCHAR letter);
  std::u16string drive(WCHAR letter) const { return std::u16string{letter, u':'}; }

  ScratchDir scratch_;

 private:
  std::vector<DWORD> handles_;
  std::map<std::string, std::uint64_t> sums_;
  int images_ = 0;
};

// Runs a command and returns what it wrote on standard output; fails the test when it exits
// with an error.
std::string commandOutput(const std::string& command);

}  // namespace tarvosk::test
