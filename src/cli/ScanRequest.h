// The scan that a command asks for, from its arguments: which drive, which scan, which range
// and which file types.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scan/FileList.h"

namespace tarvosk::cli {

struct ScanRequest {
  std::u16string drivePath;
  bool physical = false;   // --physical (a volume's free clusters)
  bool thorough = false;   // --thorough (every sector of a physical drive)
  std::uint64_t first = 0, last = 0;  // --range FIRST-LAST (last 0: to the end)
  std::vector<std::string> types;     // --types: extensions without the dot
  bool exact = false;  // --exact: carved files get the length their structure gives
};

// Takes the scan options out of arguments (the rest stay, in order). False with a message for
// the user on a bad option.
bool takeScanOptions(std::vector<std::string>& arguments, ScanRequest& request, std::string& error);

// Runs the scan and returns the drive's list, or null when the drive could not be scanned (the
// engine has told the user why).
DriveFileList* runScan(CFileList& lists, const ScanRequest& request);

// Takes "--name VALUE" out of arguments; false when the option is absent.
bool takeOption(std::vector<std::string>& arguments, const std::string& name, std::string& value);
bool takeFlag(std::vector<std::string>& arguments, const std::string& name);

}  // namespace tarvosk::cli
