// The benchmark volumes in /tmp/tarvosk-bench, made by the bench/make-*-bench-volume(s).sh
// scripts when missing, attached and given a basic scan for the recovery and search benchmarks,
// or scanned anew in every iteration for the scan benchmarks.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <memory>
#include <string>

#include "platform/UiPorts.h"
#include "scan/FileList.h"

namespace tarvosk::bench {

inline const std::string kBenchDir = "/tmp/tarvosk-bench";

// Runs bench/script with its arguments unless path exists; throws when that fails.
void makeIfMissing(const std::string& path, const std::string& script, const std::string& arguments);

// The benchmark volume of that name in kBenchDir, made by bench/script (given the volume's path,
// then arguments) when missing.
std::string benchVolume(const std::string& name, const std::string& script, const std::string& arguments = "");

// A progress window that shows nothing, records nothing and is never cancelled, so that a
// benchmark measures only the engine.
class SilentProgress : public ProgressWindow {
 public:
  void setTitle(const std::u16string&) override {}
  void setText(const std::u16string&) override {}
  void setRange(int, int) override {}
  void setPosition(int) override {}
  void pumpOneMessage() override {}
  void pumpAllMessages() override {}
  bool cancelled() const override { return false; }
  void close() override {}
};

// What a scan benchmark measures beside the time, called outside the timed part.
class ScanObserver {
 public:
  virtual ~ScanObserver() = default;
  virtual void beforeScan() {}
  virtual void afterScan(const DriveFileList&) {}
};

// One BuildFileList of image per iteration, each on a fresh drive namespace as in a new process:
// the volume services registered and the image attached anew, so that nothing a first scan builds
// (a volume's name index) is reused. Attaching is the front end's part and is not timed. Sets the
// "entries" counter to the entries of the last list.
void timeScans(benchmark::State& state, const std::string& image, bool physical, ScanObserver* observer = nullptr);

// A basic scan of one image, attached on its own as C:.
struct ScannedVolume {
  explicit ScannedVolume(const std::string& image);
  ~ScannedVolume();
  ScannedVolume(const ScannedVolume&) = delete;
  ScannedVolume& operator=(const ScannedVolume&) = delete;
  DriveFileList& list() { return *lists.GetDriveList(u"C:"); }
  CFileList lists;
};

// The sum of the sizes of the deleted files at and below entry.
std::uint64_t deletedBytes(DriveFileList& list, const FileEntry& entry);
// The number of deleted files at and below entry.
std::uint64_t deletedFiles(DriveFileList& list, const FileEntry& entry);

}  // namespace tarvosk::bench
