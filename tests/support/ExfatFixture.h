// The exFAT fixture images of build-exfat-fixtures.sh: what exfatprogs said about them, the
// originals kept beside them, and scratch copies to patch where no tool writes the fault.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace tarvosk::test {

// A line dump.exfat printed for the fixture, after its label ("Free Clusters", "Volume label").
std::string exfatDumpField(const std::string& fixture, const std::string& label);
std::uint64_t exfatDumpCount(const std::string& fixture, const std::string& label);

// The bytes of an original that the fixture script put on the volumes.
std::vector<std::uint8_t> exfatOriginal(const std::string& name);

class ExfatImageCopy {
 public:
  explicit ExfatImageCopy(const std::string& fixture);
  const std::string& path() const { return path_; }
  // The byte offset of the file entry of the set whose name begins with name (its first name
  // entry, live or deleted); fails the test when there is none.
  std::size_t setOffset(const std::u16string& name) const;
  // Changes the set's stream extension (32 bytes) and writes the set's checksum again.
  void patchStream(const std::u16string& name, const std::function<void(std::uint8_t* stream)>& patch);
  std::uint32_t fatEntry(std::uint64_t cluster) const;
  void setFatEntry(std::uint64_t cluster, std::uint32_t value);
  std::vector<std::uint8_t>& bytes() { return image_; }
  // Writes the patched bytes to the copy.
  void save() const;

 private:
  std::size_t fatOffset() const;
  ScratchDir dir_;
  std::string path_;
  std::vector<std::uint8_t> image_;
};

}  // namespace tarvosk::test
