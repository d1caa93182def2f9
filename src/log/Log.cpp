#include "log/Log.h"

#include <algorithm>
#include <map>
#include <memory>

#include "platform/CodePage.h"
#include "platform/Files.h"

namespace {

struct LogState {
  std::map<std::u16string, std::unique_ptr<LogModule>> modules;
  std::array<std::u16string, LOG_MAX_LEVELS> levels;
  HANDLE file = INVALID_HANDLE_VALUE;
  WCHAR path[264] = {};
  bool pathChosen = false;
  WCHAR message[128] = {};
};

// Built on first use, so that any static initialiser that logs finds it ready.
LogState& logState() {
  static LogState* s = new LogState;  // never destroyed: a static destructor may still log
  return *s;
}

int registerLevel(const char16_t* name) {
  auto& levels = logState().levels;
  for (int i = 0; i < LOG_MAX_LEVELS; ++i) {
    if (levels[static_cast<std::size_t>(i)].empty()) {
      levels[static_cast<std::size_t>(i)] = name;
      return i;
    }
  }
  return LOG_MAX_LEVELS;
}

}  // namespace

// Start-up order: the registry, the level table with its three levels, then the four modules
// (and the exFAT reader's after them).
int INFO = registerLevel(u"INFO");
int WARNING = registerLevel(u"WARNING");
int ERROR = registerLevel(u"ERROR");
LogModule* g_logNTFS = LOG_GetModule(u"NTFS");
LogModule* g_logFAT = LOG_GetModule(u"FAT");
LogModule* g_logRAW = LOG_GetModule(u"RAW");
LogModule* g_logAPP = LOG_GetModule(u"APP");
LogModule* g_logEXFAT = LOG_GetModule(u"EXFAT");

LogModule* LOG_GetModule(const std::u16string& name) {
  auto& modules = logState().modules;
  auto it = modules.find(name);
  if (it != modules.end()) return it->second.get();
  LogModule* module = modules.emplace(name, std::make_unique<LogModule>(name)).first->second.get();
  LOG_EnableLevel(module, u"INFO");
  LOG_EnableLevel(module, u"WARNING");
  LOG_EnableLevel(module, u"ERROR");
  return module;
}

const WCHAR* LOG_EnableLevel(LogModule* module, const std::u16string& levelName) {
  LogState& s = logState();
  tarvosk::formatInto(s.message, std::size(s.message), u"级别 %s 不存在", levelName);
  if (!module) return s.message;
  for (std::size_t i = 0; i < s.levels.size(); ++i) {
    if (!s.levels[i].empty() && s.levels[i] == levelName) {
      module->enabled[i] = 1;
      tarvosk::formatInto(s.message, std::size(s.message), u"启用日志级别 %s 对于模块 %s", levelName, module->name);
    }
  }
  return s.message;
}

bool LOG_SetFile(const WCHAR* path) {
  LogState& s = logState();
  if (s.file != INVALID_HANDLE_VALUE) {
    CloseHandle(s.file);
    s.file = INVALID_HANDLE_VALUE;
  }
  if (path) {
    std::u16string_view p(path);
    std::size_t n = std::min(p.size(), std::size(s.path) - 1);
    std::copy_n(p.begin(), n, s.path);
    s.path[n] = u'\0';
    s.file = CreateFileW(s.path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    s.pathChosen = true;
  }
  return true;
}

const WCHAR* LOG_GetPath() { return logState().path; }
bool LOG_PathChosen() { return logState().pathChosen; }
bool LOG_IsOpen() { return logState().file != INVALID_HANDLE_VALUE; }

namespace tarvosk {

// The line is built in a buffer of LOG_LINE_UNITS units, terminator included; a message too
// long for it is cut so that the line still ends with CR LF.
void logWriteArgs(LogModule* module, int level, std::u16string_view format, const FormatArg* args, std::size_t count) {
  LogState& s = logState();
  if (!module || s.file == INVALID_HANDLE_VALUE || level < 0 || level >= LOG_MAX_LEVELS ||
      !module->enabled[static_cast<std::size_t>(level)])
    return;
  WCHAR line[LOG_LINE_UNITS] = {};
  std::size_t length = 0;
  if ((module->formatFlags & 0x80) && (module->formatFlags & 0x200))
    length += formatInto(line + length, LOG_LINE_UNITS - length, u" %s", module->name);
  if (module->formatFlags & 0x100)
    length += formatInto(line + length, LOG_LINE_UNITS - length, u" %s", s.levels[static_cast<std::size_t>(level)]);
  length += formatInto(line + length, LOG_LINE_UNITS - length, u"  ");
  constexpr std::size_t kLineEnd = 2;
  if (length + kLineEnd < LOG_LINE_UNITS)
    length += formatIntoArgs(line + length, LOG_LINE_UNITS - length - kLineEnd, format, args, count);
  line[length++] = u'\r';
  line[length++] = u'\n';
  std::string bytes = wideToAnsi(std::u16string_view(line, length));
  DWORD written = 0;
  WriteFile(s.file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace tarvosk
