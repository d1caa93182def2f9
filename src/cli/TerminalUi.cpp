#include "cli/TerminalUi.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>

#include "platform/CodePage.h"

namespace tarvosk::cli {

namespace {

volatile std::sig_atomic_t g_interrupts = 0;

void onInterrupt(int) {
  if (g_interrupts != 0) _exit(130);
  g_interrupts = 1;
}

std::string utf8(const std::u16string& text) { return utf16ToUtf8(text); }

bool interactive() { return isatty(STDIN_FILENO) && isatty(STDERR_FILENO); }

// Reads a y/n answer from the terminal; anything else, or no terminal, is no.
char ask(const std::string& question, const std::string& choices) {
  std::cerr << question << " [" << choices << "] " << std::flush;
  std::string line;
  if (!std::getline(std::cin, line) || line.empty()) return 'n';
  return static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
}

}  // namespace

void installInterruptHandler() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

bool interruptRequested() { return g_interrupts > 0; }

TerminalUi::TerminalUi(OverwritePolicy policy) : policy_(policy) {}

// Messages go to stderr; a question that no one can answer at a terminal gets yes, since the
// user asked for the job on the command line.
int TerminalUi::messageBox(const std::u16string& text, const std::u16string&, UINT type) {
  std::cerr << utf8(text) << '\n';
  UINT buttons = type & MB_TYPEMASK;
  if (buttons != MB_YESNO && buttons != MB_YESNOCANCEL) return IDOK;
  if (!interactive()) return IDYES;
  return ask("", "y/n") == 'y' ? IDYES : IDNO;
}

OverwriteAnswer TerminalUi::askOverwrite(const std::u16string& prompt) {
  if (policy_ == OverwritePolicy::All || yesToAll_) return OverwriteAnswer::YesToAll;
  if (policy_ == OverwritePolicy::None || !interactive()) return OverwriteAnswer::No;
  char c = ask(utf8(prompt), "y=是/a=全部是/n=否");
  if (c == 'a') {
    yesToAll_ = true;
    return OverwriteAnswer::YesToAll;
  }
  return c == 'y' ? OverwriteAnswer::Yes : OverwriteAnswer::No;
}

bool TerminalUi::browseForFolder(const std::u16string&, const std::u16string&, std::u16string&) { return false; }

TerminalProgress::TerminalProgress()
    : visible_(isatty(STDERR_FILENO) != 0), started_(std::chrono::steady_clock::now()), lastDraw_(started_) {}

TerminalProgress::~TerminalProgress() { close(); }

void TerminalProgress::setTitle(const std::u16string&) {}

void TerminalProgress::setText(const std::u16string& text) {
  text_ = utf8(text);
  draw(true);
}

void TerminalProgress::setRange(int low, int high) {
  low_ = low;
  high_ = high > low ? high : low + 1;
}

void TerminalProgress::setPosition(int position) {
  position_ = position;
  draw(false);
}

void TerminalProgress::pumpOneMessage() {}
void TerminalProgress::pumpAllMessages() {}
bool TerminalProgress::cancelled() const { return interruptRequested(); }

void TerminalProgress::close() {
  if (visible_ && drawn_) std::fputs("\r\033[K", stderr);
  drawn_ = false;
}

// Redrawn at most ten times a second: percent, elapsed time and the engine's line of text.
void TerminalProgress::draw(bool force) {
  if (!visible_) return;
  auto now = std::chrono::steady_clock::now();
  if (!force && now - lastDraw_ < std::chrono::milliseconds(100)) return;
  lastDraw_ = now;
  double fraction = static_cast<double>(position_ - low_) / static_cast<double>(high_ - low_);
  if (fraction < 0) fraction = 0;
  if (fraction > 1) fraction = 1;
  constexpr int kWidth = 30;
  int filled = static_cast<int>(fraction * kWidth);
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.resize(kWidth, '.');
  double seconds = std::chrono::duration<double>(now - started_).count();
  std::fprintf(stderr, "\r\033[K[%s] %3d%%  %.0f 秒  %s", bar.c_str(), static_cast<int>(fraction * 100), seconds,
               text_.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

}  // namespace tarvosk::cli
