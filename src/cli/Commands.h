// The commands of tarvosk-cli. Each takes its arguments (after the command word) and returns the
// process exit code: 0 success, 1 the drive could not be scanned or something failed, 2 a usage
// error (the message is in error), 130 stopped by Ctrl-C (what was done until then is printed).
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "scan/FileList.h"

namespace tarvosk::cli {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

int scanCommand(CFileList& lists, std::vector<std::string> arguments, std::ostream& out, std::string& error);
int searchCommand(CFileList& lists, std::vector<std::string> arguments, std::ostream& out, std::string& error);
int viewCommand(CFileList& lists, std::vector<std::string> arguments, std::ostream& out, std::string& error);
int recoverCommand(CFileList& lists, std::vector<std::string> arguments, std::ostream& out, std::string& error);

}  // namespace tarvosk::cli
