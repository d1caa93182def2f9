#include "shell/ProgramArguments.h"

namespace tarvosk {

bool parseImageArgument(const std::string& value, ImageArgument& out, std::string& error) {
  out.path = value;
  const auto comma = value.rfind(',');
  if (comma != std::string::npos && value.substr(comma + 1) == "removable") {
    out.path = value.substr(0, comma);
    out.options.removable = true;
  }
  if (out.path.empty()) {
    error = "--image 需要一个映像文件路径";
    return false;
  }
  return true;
}

bool parseDesktopArguments(const std::vector<std::string>& arguments, DesktopArguments& out, std::string& error) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    if (arg == "--image" || arg == "--open" || arg == "--screenshot") {
      if (i + 1 >= arguments.size()) {
        error = arg + " 缺少参数";
        return false;
      }
      const std::string& value = arguments[++i];
      if (arg == "--open") {
        out.open = value;
      } else if (arg == "--screenshot") {
        out.screenshot = value;
      } else {
        ImageArgument image;
        if (!parseImageArgument(value, image, error)) return false;
        out.images.push_back(image);
      }
    } else if (arg == "--no-devices") {
      out.devices = false;
    } else if (arg.rfind("--", 0) == 0) {
      error = "未知选项: " + arg;
      return false;
    } else {
      out.images.push_back({arg, {}});  // a file manager opening an image with the program
    }
  }
  return true;
}

}  // namespace tarvosk
