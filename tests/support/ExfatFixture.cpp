#include "support/ExfatFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "exfat/ExfatEntrySet.h"
#include "platform/ByteOrder.h"
#include "support/SleuthkitOutput.h"

namespace tarvosk::test {

std::string exfatDumpField(const std::string& fixture, const std::string& label) {
  for (const std::string& line : oracleLines(fixturePath(fixture) + ".dump")) {
    if (line.rfind(label + ":", 0) != 0) continue;
    std::string value = line.substr(label.size() + 1);
    value.erase(0, value.find_first_not_of(" \t"));
    return value;
  }
  ADD_FAILURE() << "dump.exfat printed no " << label << " for " << fixture;
  return {};
}

std::uint64_t exfatDumpCount(const std::string& fixture, const std::string& label) {
  return std::stoull(exfatDumpField(fixture, label));
}

std::vector<std::uint8_t> exfatOriginal(const std::string& name) {
  return readWholeFile(fixturePath("exfat-files/" + name));
}

ExfatImageCopy::ExfatImageCopy(const std::string& fixture)
    : path_(dir_.file(fixture)), image_(readWholeFile(fixturePath(fixture))) {}

std::size_t ExfatImageCopy::setOffset(const std::u16string& name) const {
  std::vector<std::uint8_t> pattern;
  for (std::size_t i = 0; i < std::min<std::size_t>(name.size(), exfatdir::kCharsPerNameEntry); ++i) {
    pattern.push_back(static_cast<std::uint8_t>(name[i]));
    pattern.push_back(static_cast<std::uint8_t>(name[i] >> 8));
  }
  for (std::size_t at = 64; at + 32 <= image_.size(); at += 32) {
    const bool nameEntry = (image_[at] | 0x80) == exfatdir::kFileName && (image_[at - 32] | 0x80) == exfatdir::kStreamExtension;
    if (nameEntry && std::equal(pattern.begin(), pattern.end(), image_.begin() + static_cast<std::ptrdiff_t>(at + 2)))
      return at - 64;
  }
  ADD_FAILURE() << "no set named " << std::string(name.begin(), name.end());
  throw std::runtime_error("no such set");
}

void ExfatImageCopy::patchStream(const std::u16string& name, const std::function<void(std::uint8_t*)>& patch) {
  const std::size_t set = setOffset(name);
  patch(&image_[set + 32]);
  const ByteSpan entries(&image_[set], (image_[set + 1] + 1) * exfatdir::kEntrySize);
  putLe16(&image_[set + 2], entrySetChecksum(entries, image_[set + 1] + 1u));
}

std::size_t ExfatImageCopy::fatOffset() const { return std::size_t{le32(image_, 80)} << le8(image_, 108); }

std::uint32_t ExfatImageCopy::fatEntry(std::uint64_t cluster) const { return le32(image_, fatOffset() + cluster * 4); }

void ExfatImageCopy::setFatEntry(std::uint64_t cluster, std::uint32_t value) {
  putLe32(&image_[fatOffset() + cluster * 4], value);
}

void ExfatImageCopy::save() const { writeWholeFile(path_, image_); }

}  // namespace tarvosk::test
