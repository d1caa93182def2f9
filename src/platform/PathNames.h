// How a path names a device, a file inside a volume, or a host file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/CaseFolding.h"
#include "platform/WinTypes.h"

namespace tarvosk {

enum class PathKind {
  Invalid,
  Volume,         // "\\.\C:"
  PhysicalDrive,  // "\\.\PhysicalDrive0"
  Vwin32,         // "\\.\VWIN32"
  DrivePath,      // "C:\folder\file" (also "C:" and "C:\", the root)
  Host,           // anything else
};

struct ParsedPath {
  PathKind kind = PathKind::Invalid;
  WCHAR letter = 0;        // Volume, DrivePath: upper case
  int driveNumber = -1;    // PhysicalDrive
  // DrivePath: the path inside the volume, components joined by "\" with "." and ".." resolved
  // (never above the root), no leading or trailing "\"; "" is the root.
  std::u16string inner;
  std::string host;        // Host: UTF-8, "/" separated
};

ParsedPath parsePath(std::u16string_view path);

// The names a path is made of, in order: the pieces between separators ("\" and "/" unless
// told otherwise), empty ones (doubled or outer separators) left out. "." and ".." stay as they are.
std::vector<std::u16string> pathComponents(std::u16string_view path, std::u16string_view separators = u"\\/");

// A path cut as the system's path splitter cuts it: "C:\a\b.txt" gives drive "C:", folder
// "\a\" (up to and including the last separator), name "b" and extension ".txt".
struct PathParts {
  std::u16string drive;
  std::u16string folder;
  std::u16string name;
  std::u16string extension;
};
PathParts splitPath(std::u16string_view path);

// True if a name holds a character that Windows refuses in file names (< > : " | ? * and
// control characters).
bool hasInvalidNameCharacters(std::u16string_view component);

// Windows wildcard matching: "*" and "?", without regard to case; "*.*" matches every name.
bool matchesWildcard(std::u16string_view pattern, std::u16string_view name);


}  // namespace tarvosk
