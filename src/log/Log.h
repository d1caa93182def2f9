// The diagnostic log: leveled, per-module trace lines of the low-level layers into one text file.
// While no file is open every call returns at once, before any formatting.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/Format.h"
#include "platform/WinTypes.h"

constexpr int LOG_MAX_LEVELS = 32;
constexpr std::size_t LOG_LINE_UNITS = 2048;

struct LogModule {
  explicit LogModule(std::u16string moduleName) : name(std::move(moduleName)) {}
  std::u16string name;
  std::array<std::uint8_t, LOG_MAX_LEVELS> enabled{};
  // 0x80 with 0x200 puts the module name on each line, 0x100 the level name.
  std::uint32_t formatFlags = 0x3F0;
};

// The level numbers, fixed at start-up: INFO 0, WARNING 1, ERROR 2.
extern int INFO;
extern int WARNING;
extern int ERROR;

// The modules every layer writes into.
extern LogModule* g_logNTFS;
extern LogModule* g_logFAT;
extern LogModule* g_logRAW;
extern LogModule* g_logAPP;
// The exFAT reader's module, registered after the four above.
extern LogModule* g_logEXFAT;

// The registered module of that name, created (with all three levels enabled) if there is none.
LogModule* LOG_GetModule(const std::u16string& name);

// Enables a level by name; returns "启用日志级别 %s 对于模块 %s" filled in, or
// "级别 %s 不存在" for an unknown level. The text lives in one shared buffer that the next
// call overwrites.
const WCHAR* LOG_EnableLevel(LogModule* module, const std::u16string& levelName);

// Closes the current log, then, if path is given, creates it anew (truncating an older one).
// A failed creation leaves logging off, silently. Always true.
bool LOG_SetFile(const WCHAR* path);

// The path last chosen and whether one was (for the logging dialog).
const WCHAR* LOG_GetPath();
bool LOG_PathChosen();
bool LOG_IsOpen();

namespace tarvosk {
void logWriteArgs(LogModule* module, int level, std::u16string_view format, const FormatArg* args, std::size_t count);
}

// Writes one line: " MODULE LEVEL  message\r\n" in the ANSI code page, in one write.
template <class... A>
void LOG_Write(LogModule* module, int level, std::u16string_view format, const A&... args) {
  if (!LOG_IsOpen()) return;  // logging off: nothing formatted, nothing touched
  const tarvosk::FormatArg list[] = {tarvosk::FormatArg(args)..., tarvosk::FormatArg(0)};
  tarvosk::logWriteArgs(module, level, format, list, sizeof...(A));
}

// A format given as a character array (a literal) is measured only when the log is open: the
// low-level layers trace every record and cluster they read.
template <std::size_t N, class... A>
void LOG_Write(LogModule* module, int level, const char16_t (&format)[N], const A&... args) {
  if (!LOG_IsOpen()) return;
  LOG_Write(module, level, std::u16string_view(format), args...);
}
