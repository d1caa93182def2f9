#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace tarvosk::test {

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tarvosk-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string fixturePath(const std::string& name) {
  const char* dir = std::getenv("TARVOSK_FIXTURES");
  if (!dir || !*dir) {
    ADD_FAILURE() << "TARVOSK_FIXTURES is not set: run the tests through ctest, which builds the fixture images";
    throw std::runtime_error("no fixtures");
  }
  std::filesystem::path p = std::filesystem::path(dir) / name;
  if (!std::filesystem::exists(p)) {
    ADD_FAILURE() << "fixture image missing: " << p << " (a fixture script in tests/images failed?)";
    throw std::runtime_error("missing fixture");
  }
  return p.string();
}

std::uint64_t fileChecksum(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::uint64_t h = 1469598103934665603ull;
  std::vector<char> buf(1 << 20);
  while (in) {
    in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
    for (std::streamsize i = 0; i < in.gcount(); ++i) {
      h ^= static_cast<std::uint8_t>(buf[static_cast<std::size_t>(i)]);
      h *= 1099511628211ull;
    }
  }
  return h;
}

std::uint64_t fileFingerprint(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) throw std::runtime_error("cannot stat " + path);
  if (st.st_size <= (1ll << 30)) return fileChecksum(path);
  std::uint64_t h = static_cast<std::uint64_t>(st.st_size);
  h = h * 1099511628211ull ^ static_cast<std::uint64_t>(st.st_blocks);
  h = h * 1099511628211ull ^ static_cast<std::uint64_t>(st.st_mtim.tv_sec);
  return h * 1099511628211ull ^ static_cast<std::uint64_t>(st.st_mtim.tv_nsec);
}

std::vector<std::uint8_t> readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

int runCommand(const std::string& command) {
  int status = std::system(command.c_str());
  if (status == -1) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace tarvosk::test
