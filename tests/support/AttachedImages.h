// A test fixture that attaches fixture images to an empty drive namespace, checks at the end
// that none of them changed, and detaches everything.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "platform/DriveNamespace.h"

namespace tarvosk::test {

class AttachedImagesTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Attaches the fixture image of that name and remembers its checksum.
  AttachResult attachFixture(const std::string& name, const AttachOptions& options = {});

 private:
  std::map<std::string, std::uint64_t> checksums_;
  std::size_t handlesBefore_ = 0;
};

}  // namespace tarvosk::test
