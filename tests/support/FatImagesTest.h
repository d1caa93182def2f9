// A test fixture for the FAT reader: fixture images and hand-built images attached to an empty
// drive namespace with the FAT volume provider registered (FAT_OpenDevice asks the volume's
// free space through it). At the end every FAT volume the test opened is closed, the provider
// is unregistered, and no image may have changed and no handle may have leaked.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/AttachedImages.h"
#include "support/FatImageBuilder.h"
#include "support/TestSupport.h"

namespace tarvosk::test {

class FatImagesTest : public AttachedImagesTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Attaches a fixture image and returns its drive name ("C:").
  std::u16string attachFatFixture(const std::string& name);
  // Writes a hand-built image into the scratch folder, attaches it and returns its drive name.
  std::u16string attachBuilt(const FatImageBuilder& builder, const std::string& name = "built.img");
  // FAT_OpenDevice, remembered so that the volume is closed at the end.
  DWORD openVolume(const std::u16string& drive);

  ScratchDir scratch_;

 private:
  std::vector<DWORD> volumes_;
  std::map<std::string, std::uint64_t> builtSums_;
};

}  // namespace tarvosk::test
