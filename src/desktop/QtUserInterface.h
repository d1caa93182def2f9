// The engine's user ports on the desktop: message boxes with the program's title, the yes/no
// questions, the overwrite prompt and the folder browser, all owned by the main window.
#pragma once

#include "platform/UiPorts.h"

class QWidget;

namespace tarvosk {

class QtUserInterface : public UserInterface {
 public:
  explicit QtUserInterface(QWidget* owner) : owner_(owner) {}
  int messageBox(const std::u16string& text, const std::u16string& caption, UINT type) override;
  OverwriteAnswer askOverwrite(const std::u16string& prompt) override;
  bool browseForFolder(const std::u16string& title, const std::u16string& initialFolder,
                       std::u16string& chosen) override;

 private:
  QWidget* owner_;
};

}  // namespace tarvosk
