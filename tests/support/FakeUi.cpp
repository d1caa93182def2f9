#include "support/FakeUi.h"

#include <cstdio>

#include "platform/CodePage.h"

namespace tarvosk::test {

namespace {

std::size_t countPrefix(const std::vector<std::string>& calls, std::string_view prefix) {
  std::size_t count = 0;
  for (const auto& call : calls)
    if (std::string_view(call).substr(0, prefix.size()) == prefix) ++count;
  return count;
}

std::string hex(UINT value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%x", value);
  return buffer;
}

}  // namespace

std::string quotedForCalls(const std::u16string& text) {
  std::string out = "\"";
  for (char c : utf16ToUtf8(text)) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

// ---- FakeUi --------------------------------------------------------------------------------

FakeUi::FakeUi() : previous_(setUserInterface(this)) {}

FakeUi::~FakeUi() { setUserInterface(previous_); }

int FakeUi::messageBox(const std::u16string& text, const std::u16string& caption, UINT type) {
  calls_.push_back("messageBox(" + quotedForCalls(text) + ", " + quotedForCalls(caption) + ", " +
                   hex(type) + ")");
  if (!messageBoxResults_.empty()) {
    const int answer = messageBoxResults_.front();
    messageBoxResults_.pop_front();
    return answer;
  }
  if (defaultMessageBoxResult_) return *defaultMessageBoxResult_;
  const UINT buttons = type & MB_TYPEMASK;
  if (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) return IDNO;
  if (buttons == MB_OK || buttons == MB_OKCANCEL) return IDOK;
  return IDCANCEL;
}

OverwriteAnswer FakeUi::askOverwrite(const std::u16string& prompt) {
  calls_.push_back("askOverwrite(" + quotedForCalls(prompt) + ")");
  if (overwriteAnswers_.empty()) return defaultOverwriteAnswer_;
  const OverwriteAnswer answer = overwriteAnswers_.front();
  overwriteAnswers_.pop_front();
  return answer;
}

bool FakeUi::browseForFolder(const std::u16string& title, const std::u16string& initialFolder,
                             std::u16string& chosen) {
  calls_.push_back("browseForFolder(" + quotedForCalls(title) + ", " +
                   quotedForCalls(initialFolder) + ")");
  std::optional<std::u16string> choice = defaultFolderChoice_;
  if (!folderChoices_.empty()) {
    choice = std::move(folderChoices_.front());
    folderChoices_.pop_front();
  }
  if (!choice) return false;
  chosen = *choice;
  return true;
}

std::size_t FakeUi::countCalls(std::string_view prefix) const {
  return countPrefix(calls_, prefix);
}

// ---- FakeProgress --------------------------------------------------------------------------

void FakeProgress::setTitle(const std::u16string& title) {
  calls_.push_back("setTitle(" + quotedForCalls(title) + ")");
  title_ = title;
}

void FakeProgress::setText(const std::u16string& text) {
  calls_.push_back("setText(" + quotedForCalls(text) + ")");
  text_ = text;
}

void FakeProgress::setRange(int low, int high) {
  calls_.push_back("setRange(" + std::to_string(low) + ", " + std::to_string(high) + ")");
  low_ = low;
  high_ = high;
}

void FakeProgress::setPosition(int position) {
  calls_.push_back("setPosition(" + std::to_string(position) + ")");
  position_ = position;
}

void FakeProgress::pumpOneMessage() {
  calls_.push_back("pumpOneMessage");
  pumped();
}

void FakeProgress::pumpAllMessages() {
  calls_.push_back("pumpAllMessages");
  pumped();
}

bool FakeProgress::cancelled() const {
  calls_.push_back("cancelled");
  return cancelled_;
}

void FakeProgress::close() {
  calls_.push_back("close");
  closed_ = true;
}

void FakeProgress::cancelAfterPumps(int pumps) {
  if (pumps <= 0) {
    cancelled_ = true;
    cancelAtPump_.reset();
  } else {
    cancelAtPump_ = pumps_ + pumps;
  }
}

void FakeProgress::pumped() {
  ++pumps_;
  if (cancelAtPump_ && pumps_ >= *cancelAtPump_) {
    cancelled_ = true;
    cancelAtPump_.reset();
  }
}

std::size_t FakeProgress::countCalls(std::string_view prefix) const {
  return countPrefix(calls_, prefix);
}

}  // namespace tarvosk::test
