#include "support/CapturedLog.h"

#include "log/Log.h"
#include "platform/CodePage.h"

namespace tarvosk::test {

CapturedLog::CapturedLog() { LOG_SetFile(utf8ToUtf16(dir_.file("tarvosk.log")).c_str()); }

CapturedLog::~CapturedLog() { LOG_SetFile(nullptr); }

std::string CapturedLog::text() const {
  auto bytes = readWholeFile(dir_.file("tarvosk.log"));
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace tarvosk::test
