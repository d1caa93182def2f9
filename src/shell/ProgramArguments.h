// The command lines of the two programs: images to attach ("PATH" or "PATH,removable"), and the
// desktop program's own options.
#pragma once

#include <string>
#include <vector>

#include "platform/DriveNamespace.h"

namespace tarvosk {

struct ImageArgument {
  std::string path;
  AttachOptions options;
};

// "PATH" or "PATH,removable". False, with a message for the user, when no path is given.
bool parseImageArgument(const std::string& value, ImageArgument& out, std::string& error);

// tarvosk [--no-devices] [--image PATH[,removable]]... [--open DRIVE[\FOLDER...]]
//         [--screenshot FILE] [IMAGE...]
struct DesktopArguments {
  std::vector<ImageArgument> images;  // --image and the bare paths, in the order given
  bool devices = true;
  std::string open;                   // the tree node to select at start-up
  std::string screenshot;             // the PNG to render the main window into, then exit
};

// Parses argv (Qt's own options already taken out). False with a message on a bad option.
bool parseDesktopArguments(const std::vector<std::string>& arguments, DesktopArguments& out, std::string& error);

}  // namespace tarvosk
