#include "cli/Options.h"

namespace tarvosk::cli {

bool parseOptions(int argc, char** argv, Options& out, std::string& error) {
  int i = 1;
  for (; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--image" || arg == "--log") {
      if (i + 1 >= argc) {
        error = arg + " 缺少参数";
        return false;
      }
      std::string value = argv[++i];
      if (arg == "--log") {
        out.logFile = value;
      } else {
        ImageOption image;
        if (!parseImageArgument(value, image, error)) return false;
        out.images.push_back(image);
      }
    } else if (arg == "--no-devices") {
      out.devices = false;
    } else if (arg.rfind("--", 0) == 0 && arg != "--help") {
      error = "未知选项: " + arg;
      return false;
    } else {
      break;
    }
  }
  if (i >= argc) {
    error = "缺少命令";
    return false;
  }
  out.command = argv[i++];
  for (; i < argc; ++i) out.arguments.push_back(argv[i]);
  return true;
}

std::string argumentValue(const std::vector<std::string>& arguments, const std::string& name, const std::string& fallback) {
  for (std::size_t i = 0; i + 1 < arguments.size(); ++i)
    if (arguments[i] == name) return arguments[i + 1];
  return fallback;
}

}  // namespace tarvosk::cli
