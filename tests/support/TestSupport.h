// Helpers shared by the tests: scratch folders, fixture images, checksums.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tarvosk::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end
// of the scope.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// The path of a fixture image made by a tests/images/build-*-fixtures.sh script. Fails the test (and throws)
// when TARVOSK_FIXTURES is unset or the image is missing: fixtures never skip silently.
std::string fixturePath(const std::string& name);

// 64-bit FNV-1a over the whole file, for "unchanged" checks.
std::uint64_t fileChecksum(const std::string& path);

// What tells that a file changed: its checksum, or for files over 1 GiB (sparse disk images,
// whose reading would take hours) its size, allocated blocks and modification time.
std::uint64_t fileFingerprint(const std::string& path);

std::vector<std::uint8_t> readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Runs a shell command and returns its exit status.
int runCommand(const std::string& command);

}  // namespace tarvosk::test
