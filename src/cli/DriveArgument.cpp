#include "cli/DriveArgument.h"

#include <cctype>

#include "platform/DriveNamespace.h"
#include "scan/FileList.h"

namespace tarvosk::cli {

std::optional<std::u16string> parseDriveArgument(const std::string& text) {
  if ((text.size() == 1 || (text.size() == 2 && text[1] == ':')) && std::isalpha(static_cast<unsigned char>(text[0])))
    return drivePathOfLetter(static_cast<char16_t>(std::toupper(static_cast<unsigned char>(text[0]))));
  const std::string prefix = "physicaldrive";
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.rfind(prefix, 0) != 0 || lower.size() == prefix.size() || lower.size() > prefix.size() + 2)
    return std::nullopt;
  int number = 0;
  for (char c : lower.substr(prefix.size())) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    number = number * 10 + (c - '0');
  }
  if (number >= kMaxPhysicalDrives) return std::nullopt;
  return drivePathOfPhysicalDrive(number);
}

}  // namespace tarvosk::cli
