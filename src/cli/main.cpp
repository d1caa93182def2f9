// tarvosk-cli: the recovery engine for terminals, servers and scripts.
#include <iostream>

#include "cli/DrivesCommand.h"
#include "cli/Options.h"
#include "log/Log.h"
#include "platform/CodePage.h"
#include "platform/WinError.h"

namespace {

// The system's text for an error, as one terminal line.
std::string errorLine(DWORD code) {
  std::string text = tarvosk::utf16ToUtf8(tarvosk::systemErrorText(code));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text + "\n";
}

void printUsage(std::ostream& out) {
  out << "用法: tarvosk-cli [--image 路径[,removable]]... [--no-devices] [--log 文件] 命令 [参数]\n"
         "命令:\n"
         "  drives [--format text|tsv|json]   列出逻辑驱动器和物理驱动器\n";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tarvosk;
  cli::Options options;
  std::string error;
  if (argc >= 2 && std::string(argv[1]) == "--help") {
    printUsage(std::cout);
    return 0;
  }
  if (!cli::parseOptions(argc, argv, options, error)) {
    std::cerr << "tarvosk-cli: " << error << '\n';
    printUsage(std::cerr);
    return 2;
  }
  if (!options.logFile.empty()) LOG_SetFile(utf8ToUtf16(options.logFile).c_str());
  for (const cli::ImageOption& image : options.images) {
    if (!attachImage(image.path, image.options)) {
      std::cerr << "tarvosk-cli: 无法打开映像 " << image.path << ": " << errorLine(GetLastError());
      return 1;
    }
  }
  if (options.devices) {
    std::vector<DeviceFailure> failures;
    attachBlockDevices(&failures);
    for (const DeviceFailure& f : failures)
      std::cerr << "tarvosk-cli: 无法打开设备 " << f.path << ": " << errorLine(f.error);
  }

  if (options.command == "drives")
    return cli::listDrives(cli::argumentValue(options.arguments, "--format", "text"), std::cout, std::cerr);
  std::cerr << "tarvosk-cli: 未知命令: " << options.command << '\n';
  printUsage(std::cerr);
  return 2;
}
