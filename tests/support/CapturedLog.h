// The diagnostic log written into a scratch file for the length of a test, and read back.
#pragma once

#include <string>

#include "support/TestSupport.h"

namespace tarvosk::test {

class CapturedLog {
 public:
  CapturedLog();
  ~CapturedLog();
  CapturedLog(const CapturedLog&) = delete;
  CapturedLog& operator=(const CapturedLog&) = delete;
  // Everything written so far (the log is ASCII for the lines the tests look for).
  std::string text() const;
  bool contains(const std::string& line) const { return text().find(line) != std::string::npos; }

 private:
  ScratchDir dir_;
};

}  // namespace tarvosk::test
