// What one recovery job shares with every entry it recovers: the log, the progress window, the
// mode, the overwrite answer and the progress counter.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/UiPorts.h"
#include "platform/WinTypes.h"

namespace tarvosk {

struct RecoveryJob {
  std::u16string log;             // the recovery log; the engine only appends
  ProgressWindow* window = nullptr;
  bool batch = true;              // false only for a job of one single file
  bool yesToAll = false;
  std::uint64_t progress = 0;     // bytes done
  int progressShift = 0;          // the bar shows progress >> shift
  std::uint64_t filesStarted = 0; // file entries begun, the one a cancel cut short included
  bool interrupted = false;       // a cancel cut the last file short (its output is gone)

  // A failure: a message box (with icon) for a single file, an error line in the log otherwise.
  void reportFailure(const std::u16string& text, UINT icon = MB_ICONEXCLAMATION);
  void appendResult(bool succeeded) { log += succeeded ? u"Succeeded\r\n" : u"Failed\r\n"; }
  void addProgress(std::uint64_t bytes);
  bool cancelled() const { return window && window->cancelled(); }
  // Ends the log line of the file a cancel cut short.
  void noteInterrupted() {
    log += u"Cancelled\r\n";
    interrupted = true;
  }
};

// Creates the output file anew. An existing file is replaced only when the user says so at the
// overwrite prompt (or said "全部是(&A)" earlier in the job).
enum class OutputCreation { Created, Declined, Failed };
OutputCreation createOutputFile(RecoveryJob& job, const std::u16string& path, const std::u16string& listedName,
                                HANDLE& file);

// Closes and deletes a partial output file.
void discardOutputFile(HANDLE file, const std::u16string& path);

}  // namespace tarvosk
