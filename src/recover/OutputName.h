// The name a recovered file or folder gets in the target folder. Names come from the disk and
// may be hostile: the result never holds a path separator or a control character, is never
// "." or ".." or empty, and so never leaves the target folder.
#pragma once

#include <string>

namespace tarvosk {

struct OutputName {
  std::u16string name;
  bool changed = false;  // more than the listed name's lost first character was replaced
};

// A listed first character "?" (a deleted FAT entry's lost first letter) becomes "_", as does
// every character that a file name cannot hold.
OutputName safeOutputName(const std::u16string& listedName);

// The target folder joined with name, with one "\" between them.
std::u16string joinOutputPath(const std::u16string& folder, const std::u16string& name);

}  // namespace tarvosk
