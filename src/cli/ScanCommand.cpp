#include "cli/Commands.h"
#include "cli/Listing.h"
#include "cli/ScanRequest.h"

namespace tarvosk::cli {

int scanCommand(CFileList& lists, std::vector<std::string> arguments, std::ostream& out, std::string& error) {
  ScanRequest request;
  std::string formatText = "text";
  takeOption(arguments, "--format", formatText);
  ListingFormat format{};
  if (!parseListingFormat(formatText, format)) {
    error = "未知格式: " + formatText + "（可用 text、tsv、json）";
    return kExitUsage;
  }
  if (!takeScanOptions(arguments, request, error)) return kExitUsage;
  if (!arguments.empty()) {
    error = "多余的参数: " + arguments.front();
    return kExitUsage;
  }
  DriveFileList* list = runScan(lists, request);
  if (!list) return kExitFailure;
  printDrive(*list, format, out);
  return kExitSuccess;
}

}  // namespace tarvosk::cli
