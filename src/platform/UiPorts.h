// The engine's ports to the user: message boxes, questions, the folder browser and the progress
// window. The desktop shell, the command-line front end and the tests each implement them; the
// engine reaches the current ones through userInterface().
#pragma once

#include <string>

#include "platform/WinTypes.h"

// Message box types and results, as MessageBoxW has them.
constexpr UINT MB_OK = 0x00;
constexpr UINT MB_OKCANCEL = 0x01;
constexpr UINT MB_YESNOCANCEL = 0x03;
constexpr UINT MB_YESNO = 0x04;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_TYPEMASK = 0x0F;
constexpr UINT MB_ICONMASK = 0xF0;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

namespace tarvosk {

enum class OverwriteAnswer { No, Yes, YesToAll };

// A modeless progress window: a title, one line of text, a bar and a Cancel button. The engine
// is single-threaded; at its progress points it sets the bar, lets the front end handle one
// pending event (or all of them) and reads the cancel flag.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  virtual void setTitle(const std::u16string& title) = 0;
  virtual void setText(const std::u16string& text) = 0;
  virtual void setRange(int low, int high) = 0;
  virtual void setPosition(int position) = 0;
  // Takes one pending message of the window, if any, and dispatches it.
  virtual void pumpOneMessage() = 0;
  // Dispatches every pending message.
  virtual void pumpAllMessages() = 0;
  virtual bool cancelled() const = 0;
  virtual void close() = 0;
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // Returns IDOK, IDCANCEL, IDYES or IDNO. type holds one MB_ button set and one MB_ICON.
  virtual int messageBox(const std::u16string& text, const std::u16string& caption, UINT type) = 0;
  // The overwrite prompt: yes, yes to all, or no (Esc answers no).
  virtual OverwriteAnswer askOverwrite(const std::u16string& prompt) = 0;
  // The folder browser: true with the chosen host folder, false when the user cancels.
  virtual bool browseForFolder(const std::u16string& title, const std::u16string& initialFolder,
                               std::u16string& chosen) = 0;
  // Whether a folder browser can be opened at all (a front end without one says no).
  virtual bool canBrowseForFolder() const { return true; }
};

// The front end's user interface; a quiet default (OK, no, cancel) until one is installed.
UserInterface& userInterface();
// Installs ui (not owned) and returns the one it replaces; null restores the default.
UserInterface* setUserInterface(UserInterface* ui);

// The program's title, the caption of its message boxes.
inline constexpr char16_t kProgramTitle[] = u"Tarvosk";

}  // namespace tarvosk
