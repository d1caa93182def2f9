// The user's own folders of the host, where the program keeps its settings and its log.
#pragma once

#include <optional>
#include <string>

namespace tarvosk {

// The folder an XDG variable names ("XDG_CONFIG_HOME"), or the home folder followed by
// fallbackUnderHome ("/.config") when the variable is unset or relative, as the XDG rules say.
// Nothing when the home folder is unknown. No trailing slash.
std::optional<std::string> xdgFolder(const char* variable, const char* fallbackUnderHome);

// Where the diagnostic log goes by default: $XDG_STATE_HOME/tarvosk/tarvosk.log (or
// ~/.local/state/tarvosk/tarvosk.log). The folder is created when missing; on failure /tmp is
// used.
std::string defaultLogFilePath();

}  // namespace tarvosk
