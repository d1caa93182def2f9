// "drives": the logical and physical drives that the namespace sees.
#pragma once

#include <ostream>
#include <string>

namespace tarvosk::cli {

// format is "text", "tsv" or "json"; returns the process exit code.
int listDrives(const std::string& format, std::ostream& out, std::ostream& err);

}  // namespace tarvosk::cli
