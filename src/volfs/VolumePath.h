// Paths inside a mounted volume as the providers walk them.
#pragma once

#include <string>
#include <vector>

namespace tarvosk {

// The folder and file names of a path inside a volume ("a\b\c.txt": a, b, c.txt); empty for
// the root. "\" and "/" both separate; empty components are dropped.
std::vector<std::u16string> pathComponents(const std::u16string& path);

}  // namespace tarvosk
