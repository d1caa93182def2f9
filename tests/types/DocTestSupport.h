// Helpers of the document recognisers' tests: hand-built compound files, the naming of fixture
// cases and a scoped change of MinTextFileSize (with the synthetic disk and the guarded unit).
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/ByteOrder.h"
#include "settings/Settings.h"
#include "types/GuardedUnit.h"
#include "types/SyntheticDisk.h"

namespace tarvosk::test {

inline Bytes asciiBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

// A compound file with 512-byte sectors and one FAT sector (sector 0): the FAT maps the FAT
// sector itself and the data sectors as one chain; the rest of its entries are free. texts are
// written into the data sectors, one per sector from sector 1 (the last sector holding them is
// the file's last).
inline Bytes makeCompoundFile(std::uint32_t dataSectors, const std::vector<std::string>& texts = {}) {
  constexpr std::uint32_t kSector = 512;
  if (dataSectors + 1 > kSector / 4 || texts.size() > dataSectors) throw std::invalid_argument("too many sectors");
  Bytes file(kSector * (2 + dataSectors), 0);
  const std::uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::memcpy(file.data(), signature, sizeof signature);
  putLe16(&file[0x18], 0x3E);  // minor version
  putLe16(&file[0x1A], 3);     // major version
  putLe16(&file[0x1C], 0xFFFE);
  putLe16(&file[0x1E], 9);  // sector shift
  putLe16(&file[0x20], 6);  // mini sector shift
  putLe32(&file[0x2C], 1);  // FAT sectors
  putLe32(&file[0x30], 1);  // first directory sector
  putLe32(&file[0x3C], 0xFFFFFFFE);
  putLe32(&file[0x44], 0xFFFFFFFE);
  for (std::size_t i = 0; i < 109; ++i) putLe32(&file[0x4C + 4 * i], 0xFFFFFFFF);
  putLe32(&file[0x4C], 0);  // the FAT sector is sector 0
  std::uint8_t* fat = &file[kSector];
  for (std::uint32_t e = 0; e < kSector / 4; ++e) putLe32(fat + 4 * e, 0xFFFFFFFF);
  putLe32(fat, 0xFFFFFFFD);
  for (std::uint32_t s = 1; s <= dataSectors; ++s) putLe32(fat + 4 * s, s == dataSectors ? 0xFFFFFFFE : s + 1);
  for (std::size_t i = 0; i < texts.size(); ++i)
    std::memcpy(&file[kSector * (2 + i) + 16], texts[i].data(), std::min<std::size_t>(texts[i].size(), kSector - 16));
  return file;
}

// Names the cases of a (fixture name, unit size) parameterised test: "letter_doc_512".
struct FixtureCaseName {
  template <class Info>
  std::string operator()(const Info& testInfo) const {
    std::string name = std::get<0>(testInfo.param);
    for (char& c : name)
      if (c == '.') c = '_';
    return name + "_" + std::to_string(std::get<1>(testInfo.param));
  }
};

// Sets MinTextFileSize for the scope of a test.
class ScopedMinTextFileSize {
 public:
  explicit ScopedMinTextFileSize(std::int32_t value) : saved_(settings().MinTextFileSize) {
    settings().MinTextFileSize = value;
  }
  ~ScopedMinTextFileSize() { settings().MinTextFileSize = saved_; }

 private:
  std::int32_t saved_;
};

}  // namespace tarvosk::test
