// The whole recovery of an in-memory image: after each scan the image's options ask for, the
// list's root (everything found) is recovered into a fresh folder. Output files are capped in
// size, so a hostile length cannot fill the disk; a write past the cap fails like a full disk.
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "FuzzTarget.h"
#include "ImageScan.h"
#include "MemoryImage.h"
#include "platform/CodePage.h"
#include "recover/RecoverEntry.h"
#include "support/FakeUi.h"

using namespace tarvosk;

namespace {

constexpr rlim_t kMaxOutputFileBytes = 8 << 20;

// Caps the size of every file written while it lives (the soft limit only, so it can be lifted
// again); the in-memory image is made before, outside the cap. A write past the cap then fails
// with EFBIG instead of raising SIGXFSZ, which is ignored meanwhile: libFuzzer's own handler of
// it, set up after the program starts, would end the run as if the target had crashed.
class OutputCap {
 public:
  OutputCap() {
    fuzz::require(getrlimit(RLIMIT_FSIZE, &saved_) == 0, "the file size limit can be read");
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    fuzz::require(savedHandler_ != SIG_ERR, "an oversized write fails instead of killing");
    rlimit capped = saved_;
    capped.rlim_cur = std::min(kMaxOutputFileBytes, saved_.rlim_max);
    fuzz::require(setrlimit(RLIMIT_FSIZE, &capped) == 0, "output files can be capped");
  }
  ~OutputCap() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
  }
  OutputCap(const OutputCap&) = delete;
  OutputCap& operator=(const OutputCap&) = delete;

 private:
  rlimit saved_{};
  void (*savedHandler_)(int) = SIG_DFL;
};

// A fresh, empty target folder, removed with what was recovered into it.
class TargetFolder {
 public:
  TargetFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvosk-fuzz-XXXXXX").string();
    fuzz::require(mkdtemp(pattern.data()) != nullptr, "a target folder can be made");
    path_ = pattern;
  }
  ~TargetFolder() { std::filesystem::remove_all(path_); }
  std::u16string path() const { return utf8ToUtf16(path_.string()); }

 private:
  std::filesystem::path path_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::registerFileSystemProvidersOnce();
  fuzz::MemoryImage image(ByteSpan(data, size));
  if (!image.attach()) return 0;
  CFileList lists;
  fuzz::scanImage(lists, image.options(), [](DriveFileList& list) {
    FileEntry* root = list.Find(ROOT_ENTRY_ID);
    if (!root) return;
    TargetFolder target;
    OutputCap cap;
    test::FakeProgress progress;
    RecoveryJob job;
    job.window = &progress;
    RecoverEntry(list, *root, nullptr, target.path(), job);
  });
  return 0;
}
