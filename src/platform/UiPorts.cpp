#include "platform/UiPorts.h"

#include <atomic>

namespace tarvosk {
namespace {

// The user interface before a front end installs its own: nobody is there to answer, so every
// question gets the answer that changes nothing.
class QuietUserInterface final : public UserInterface {
 public:
  int messageBox(const std::u16string&, const std::u16string&, UINT type) override {
    switch (type & MB_TYPEMASK) {
      case MB_OK:
      case MB_OKCANCEL:
        return IDOK;
      case MB_YESNO:
      case MB_YESNOCANCEL:
        return IDNO;
      default:
        return IDCANCEL;
    }
  }
  OverwriteAnswer askOverwrite(const std::u16string&) override { return OverwriteAnswer::No; }
  bool browseForFolder(const std::u16string&, const std::u16string&, std::u16string&) override {
    return false;
  }
};

QuietUserInterface& quietUserInterface() {
  static QuietUserInterface instance;
  return instance;
}

// The installed front end; null while the quiet default is in place.
std::atomic<UserInterface*> installed{nullptr};

}  // namespace

UserInterface& userInterface() {
  UserInterface* ui = installed.load();
  return ui ? *ui : quietUserInterface();
}

UserInterface* setUserInterface(UserInterface* ui) {
  if (ui == &quietUserInterface()) ui = nullptr;
  return installed.exchange(ui);
}

}  // namespace tarvosk
