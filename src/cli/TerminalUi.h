// The engine's user ports on a terminal: messages on stderr, questions answered by policy or at
// the prompt, and a progress bar that Ctrl-C cancels.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/UiPorts.h"

namespace tarvosk::cli {

enum class OverwritePolicy { Ask, All, None };

class TerminalUi : public UserInterface {
 public:
  explicit TerminalUi(OverwritePolicy policy);
  int messageBox(const std::u16string& text, const std::u16string& caption, UINT type) override;
  OverwriteAnswer askOverwrite(const std::u16string& prompt) override;
  bool browseForFolder(const std::u16string& title, const std::u16string& initialFolder, std::u16string& chosen) override;

 private:
  OverwritePolicy policy_;
  bool yesToAll_ = false;
};

// A progress bar on stderr, drawn only when stderr is a terminal. The first Ctrl-C sets the
// cancel flag; a second one ends the program.
class TerminalProgress : public ProgressWindow {
 public:
  TerminalProgress();
  ~TerminalProgress() override;
  void setTitle(const std::u16string& title) override;
  void setText(const std::u16string& text) override;
  void setRange(int low, int high) override;
  void setPosition(int position) override;
  void pumpOneMessage() override;
  void pumpAllMessages() override;
  bool cancelled() const override;
  void close() override;

 private:
  void draw(bool force);

  std::string text_;
  int low_ = 0, high_ = 100, position_ = 0;
  bool visible_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point started_, lastDraw_;
};

// Installs the Ctrl-C handler (once).
void installInterruptHandler();
bool interruptRequested();

}  // namespace tarvosk::cli
