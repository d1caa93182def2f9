// The command line of tarvosk-cli: global options, then a command and its arguments.
#pragma once

#include <string>
#include <vector>

#include "shell/ProgramArguments.h"

namespace tarvosk::cli {

using ImageOption = ImageArgument;

struct Options {
  std::vector<ImageOption> images;
  bool devices = true;
  std::string logFile;
  std::string command;
  std::vector<std::string> arguments;
};

// Parses argv; on a bad option returns false with a message for the user.
bool parseOptions(int argc, char** argv, Options& out, std::string& error);

// The value of "--name VALUE" among a command's arguments, or fallback.
std::string argumentValue(const std::vector<std::string>& arguments, const std::string& name, const std::string& fallback);

}  // namespace tarvosk::cli
