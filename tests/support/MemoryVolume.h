// An in-memory volume behind the platform's volume services, for tests of code that reads
// "C:\..." files without needing a file system reader.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/VolumeServices.h"

namespace tarvosk::test {

class MemoryVolume : public MountedVolume {
 public:
  void addFolder(const std::u16string& path);
  void addFile(const std::u16string& path, const std::string& bytes, const std::u16string& shortName = u"",
               FILETIME lastWrite = FILETIME{0x12345678, 0x01D00000});

  DWORD space(VolumeSpace& out) override;
  DWORD information(VolumeInformation& out) override;
  DWORD stat(const std::u16string& path, VolumeFileInfo& out) override;
  DWORD list(const std::u16string& folder, std::vector<VolumeFileInfo>& out) override;
  DWORD open(const std::u16string& path, std::unique_ptr<VolumeFileReader>& out) override;

 private:
  struct Item {
    bool folder = false;
    std::string bytes;
    std::u16string shortName;
    FILETIME lastWrite{};
  };
  std::map<std::u16string, Item> items_;  // by path, components joined by "\"
};

// Mounts a fresh volume from make() on every volume whose boot sector carries the OEM name.
class MemoryVolumeProvider : public VolumeProvider {
 public:
  MemoryVolumeProvider(std::string oemName, std::function<std::unique_ptr<MemoryVolume>()> make)
      : oem_(std::move(oemName)), make_(std::move(make)) {}
  std::unique_ptr<MountedVolume> mount(WCHAR letter, const std::uint8_t* bootSector) override;
  int mounts = 0;

 private:
  std::string oem_;
  std::function<std::unique_ptr<MemoryVolume>()> make_;
};

}  // namespace tarvosk::test
