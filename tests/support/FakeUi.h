// Test doubles of the UI ports. Each records every call as a readable line (UTF-8) and answers
// from a script that the test sets up beforehand.
//
// Lines look like the calls: messageBox("无法打开驱动器 C:", "Tarvosk", 0x30), askOverwrite("..."),
// browseForFolder("title", "initial"), setText("..."), setRange(0, 100), setPosition(40),
// pumpOneMessage, pumpAllMessages, cancelled, close. In quoted text '"' is written \", and
// line breaks and tabs \n, \r and \t; backslashes are left as they are, so paths read as paths.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/UiPorts.h"

namespace tarvosk::test {

// A scripted user. Installs itself as the user interface for its lifetime and puts back the one
// it replaced when it goes.
class FakeUi : public UserInterface {
 public:
  FakeUi();
  ~FakeUi() override;
  FakeUi(const FakeUi&) = delete;
  FakeUi& operator=(const FakeUi&) = delete;

  int messageBox(const std::u16string& text, const std::u16string& caption, UINT type) override;
  OverwriteAnswer askOverwrite(const std::u16string& prompt) override;
  bool browseForFolder(const std::u16string& title, const std::u16string& initialFolder,
                       std::u16string& chosen) override;
  bool canBrowseForFolder() const override { return folderBrowserAvailable_; }

  // Answers given in order, one per question. When a queue runs dry the default answers.
  void queueMessageBoxResult(int result) { messageBoxResults_.push_back(result); }
  void queueOverwriteAnswer(OverwriteAnswer answer) { overwriteAnswers_.push_back(answer); }
  // A folder to choose, or nullopt for the user pressing Cancel.
  void queueFolderChoice(std::optional<std::u16string> folder) {
    folderChoices_.push_back(std::move(folder));
  }

  // Defaults: a message box answers as the quiet user interface does (IDOK for MB_OK and
  // MB_OKCANCEL, IDNO for MB_YESNO and MB_YESNOCANCEL) unless a default result is set; the
  // overwrite prompt answers No; the folder browser is cancelled.
  void setDefaultMessageBoxResult(int result) { defaultMessageBoxResult_ = result; }
  void setDefaultOverwriteAnswer(OverwriteAnswer answer) { defaultOverwriteAnswer_ = answer; }
  void setDefaultFolderChoice(std::optional<std::u16string> folder) {
    defaultFolderChoice_ = std::move(folder);
  }
  // A front end without a folder browser.
  void setFolderBrowserAvailable(bool available) { folderBrowserAvailable_ = available; }

  const std::vector<std::string>& calls() const { return calls_; }
  void clearCalls() { calls_.clear(); }
  // How many recorded calls start with prefix ("messageBox(" counts the message boxes).
  std::size_t countCalls(std::string_view prefix) const;

 private:
  UserInterface* previous_;
  std::vector<std::string> calls_;
  std::deque<int> messageBoxResults_;
  std::deque<OverwriteAnswer> overwriteAnswers_;
  std::deque<std::optional<std::u16string>> folderChoices_;
  std::optional<int> defaultMessageBoxResult_;
  OverwriteAnswer defaultOverwriteAnswer_ = OverwriteAnswer::No;
  std::optional<std::u16string> defaultFolderChoice_;
  bool folderBrowserAvailable_ = true;
};

// A scripted progress window. It keeps what the engine last set, counts pumps (pumpOneMessage
// and pumpAllMessages alike) and can play the user pressing Cancel during a pump.
class FakeProgress : public ProgressWindow {
 public:
  void setTitle(const std::u16string& title) override;
  void setText(const std::u16string& text) override;
  void setRange(int low, int high) override;
  void setPosition(int position) override;
  void pumpOneMessage() override;
  void pumpAllMessages() override;
  bool cancelled() const override;
  void close() override;

  // The cancel flag goes up during pump number pumps (counted from now); 0 raises it at once.
  void cancelAfterPumps(int pumps);
  void setCancelled(bool cancelled) { cancelled_ = cancelled; }

  int pumps() const { return pumps_; }
  const std::u16string& title() const { return title_; }
  const std::u16string& text() const { return text_; }
  int low() const { return low_; }
  int high() const { return high_; }
  int position() const { return position_; }
  bool closed() const { return closed_; }

  const std::vector<std::string>& calls() const { return calls_; }
  void clearCalls() { calls_.clear(); }
  std::size_t countCalls(std::string_view prefix) const;

 private:
  void pumped();

  mutable std::vector<std::string> calls_;  // cancelled() is const and is recorded too
  std::u16string title_;
  std::u16string text_;
  int low_ = 0;
  int high_ = 100;
  int position_ = 0;
  int pumps_ = 0;
  std::optional<int> cancelAtPump_;
  bool cancelled_ = false;
  bool closed_ = false;
};

// The quoted, escaped UTF-8 form of text that the call lines use.
std::string quotedForCalls(const std::u16string& text);

}  // namespace tarvosk::test
