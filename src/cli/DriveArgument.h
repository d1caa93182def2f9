// A drive named on the command line: a letter ("C:", "c") or a physical drive ("PhysicalDrive0").
#pragma once

#include <optional>
#include <string>

namespace tarvosk::cli {

// The drive path the engine keys its lists by, or nothing for a name that is neither.
std::optional<std::u16string> parseDriveArgument(const std::string& text);

}  // namespace tarvosk::cli
