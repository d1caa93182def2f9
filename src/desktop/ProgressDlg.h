// CProgressDlg: the modeless progress window of scans, searches and recovery jobs (dialog 9).
// The engine stays on the UI thread; at its progress points it lets this window take pending
// events, so the window repaints and its Cancel button works.
#pragma once

#include <QDialog>
#include <chrono>
#include <functional>

#include "platform/UiPorts.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace tarvosk {

class CProgressDlg : public QDialog, public ProgressWindow {
  Q_OBJECT

 public:
  explicit CProgressDlg(QWidget* parent);

  void setTitle(const std::u16string& title) override;
  void setText(const std::u16string& text) override;
  void setRange(int low, int high) override;
  void setPosition(int position) override;
  void pumpOneMessage() override;
  void pumpAllMessages() override;
  bool cancelled() const override { return cancelled_; }
  void close() override;

  // Sets the cancel flag, as the Cancel button, Esc and the close box do.
  void cancel();
  // Called at every pump that reaches the event loop (tests and the screenshot tool act there).
  void setPumpHook(std::function<void(CProgressDlg&)> hook) { pumpHook_ = std::move(hook); }

 protected:
  void reject() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* text_;
  QProgressBar* bar_;
  QPushButton* cancelButton_;
  bool cancelled_ = false;
  std::chrono::steady_clock::time_point lastPump_{};
  std::function<void(CProgressDlg&)> pumpHook_;
};

}  // namespace tarvosk
