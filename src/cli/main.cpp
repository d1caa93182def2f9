// tarvosk-cli: the recovery engine for terminals, servers and scripts.
#include <iostream>

#include "cli/Commands.h"
#include "cli/DrivesCommand.h"
#include "cli/Options.h"
#include "cli/TerminalUi.h"
#include "device/DeviceMode.h"
#include "log/Log.h"
#include "platform/CodePage.h"
#include "platform/WinError.h"
#include "settings/Settings.h"
#include "volfs/FileSystems.h"

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
         "  drives [--format text|tsv|json]\n"
         "      列出逻辑驱动器和物理驱动器\n"
         "  scan 驱动器 [--physical | --thorough] [--exact] [--range 起-止] [--types 扩展名,...]\n"
         "       [--format text|tsv|json]\n"
         "      扫描驱动器（C: 或 PhysicalDrive0）并列出找到的文件\n"
         "  search 驱动器 [--in 文件夹] [--name 模式] [--min-kb N | --max-kb N]\n"
         "         [--last-two-days | --from \"YYYY-MM-DD HH:MM\" --to \"YYYY-MM-DD HH:MM\"]\n"
         "         [--text 文本 [--match-case] | --hex 十六进制] [--format ...]\n"
         "      扫描驱动器并搜索已删除的文件\n"
         "  view 驱动器 路径 [--unit N]\n"
         "      列出文件的数据单元（空闲或已占用）并显示一个单元的内容\n"
         "  recover 驱动器 [路径...] [--all] --to 文件夹 [--overwrite ask|all|none]\n"
         "          [--physical | --thorough] [--exact] [--range 起-止] [--types 扩展名,...]\n"
         "      扫描驱动器并把选中的文件恢复到文件夹\n"
         "  --exact: 按文件自身的结构确定恢复文件的长度（精确文件长度）\n";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tarvosk;
  cli::Options options;
  std::string error;
  if (argc >= 2 && std::string(argv[1]) == "--help") {
    printUsage(std::cout);
    return cli::kExitSuccess;
  }
  if (!cli::parseOptions(argc, argv, options, error)) {
    std::cerr << "tarvosk-cli: " << error << '\n';
    printUsage(std::cerr);
    return cli::kExitUsage;
  }
  if (!options.logFile.empty()) LOG_SetFile(utf8ToUtf16(options.logFile).c_str());
  LoadSettings();
  RAW_Initialize();
  registerFileSystemProviders();
  cli::installInterruptHandler();
  for (const cli::ImageOption& image : options.images) {
    if (!attachImage(image.path, image.options)) {
      std::cerr << "tarvosk-cli: 无法打开映像 " << image.path << ": " << errorLine(GetLastError());
      return cli::kExitFailure;
    }
  }
  if (options.devices) {
    std::vector<DeviceFailure> failures;
    attachBlockDevices(&failures);
    for (const DeviceFailure& f : failures) std::cerr << "tarvosk-cli: 无法打开设备 " << f.path << ": " << errorLine(f.error);
  }

  cli::TerminalUi ui(cli::OverwritePolicy::Ask);
  setUserInterface(&ui);
  CFileList lists;
  int status = cli::kExitUsage;
  if (options.command == "drives") {
    status = cli::listDrives(cli::argumentValue(options.arguments, "--format", "text"), std::cout, std::cerr);
  } else if (options.command == "scan") {
    status = cli::scanCommand(lists, options.arguments, std::cout, error);
  } else if (options.command == "search") {
    status = cli::searchCommand(lists, options.arguments, std::cout, error);
  } else if (options.command == "view") {
    status = cli::viewCommand(lists, options.arguments, std::cout, error);
  } else if (options.command == "recover") {
    status = cli::recoverCommand(lists, options.arguments, std::cout, error);
  } else {
    error = "未知命令: " + options.command;
  }
  // A command that Ctrl-C stopped printed what it had; its status says it is not the whole.
  if (status == cli::kExitSuccess && cli::interruptRequested()) status = cli::kExitInterrupted;
  if (!error.empty()) std::cerr << "tarvosk-cli: " << error << '\n';
  if (status == cli::kExitUsage) printUsage(std::cerr);
  setUserInterface(nullptr);
  return status;
}
