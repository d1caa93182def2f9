#include "platform/UserFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tarvosk {

std::optional<std::string> xdgFolder(const char* variable, const char* fallbackUnderHome) {
  std::string base;
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') {
    base = value;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
      const passwd* user = ::getpwuid(::getuid());
      home = user ? user->pw_dir : nullptr;
    }
    if (!home || !*home) return std::nullopt;
    base = std::string(home) + fallbackUnderHome;
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base;
}

namespace {

// Creates folder and its parents; true when it exists afterwards.
bool makeFolders(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}

}  // namespace

std::string defaultLogFilePath() {
  const auto state = xdgFolder("XDG_STATE_HOME", "/.local/state");
  if (state && makeFolders(*state + "/tarvosk")) return *state + "/tarvosk/tarvosk.log";
  return "/tmp/tarvosk.log";
}

}  // namespace tarvosk
