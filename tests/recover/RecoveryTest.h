// A test fixture for recovering entries of scanned fixture images into a fresh target folder.
#pragma once

#include <string>

#include "platform/CodePage.h"
#include "recover/OutputName.h"
#include "recover/RecoverEntry.h"
#include "recover/ScannedImageTest.h"

namespace tarvosk::test {

class RecoveryTest : public ScannedImageTest {
 protected:
  void SetUp() override {
    ScannedImageTest::SetUp();
    job.window = &progress;
  }
  std::u16string target() const { return utf8ToUtf16(out.path().string()); }
  // Where recovering entry straight into the target folder puts it.
  std::string outputOf(const FileEntry& entry) const { return out.file(utf16ToUtf8(safeOutputName(entry.name.str()).name)); }

  RecoveryJob job;
  ScratchDir out;
};

}  // namespace tarvosk::test
