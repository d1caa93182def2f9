#include "desktop/ProgressDlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/ObjectIds.h"
#include "desktop/QtText.h"
#include "res/CommandIds.h"

namespace tarvosk {

namespace {

// The engine reports progress far more often than a screen changes: events are taken at most
// this often, which keeps a scan's cost of staying responsive negligible.
constexpr auto kPumpInterval = std::chrono::milliseconds(15);

}  // namespace

CProgressDlg::CProgressDlg(QWidget* parent) : QDialog(parent) {
  setObjectId(this, res::IDD_PROGRESS);
  setWindowTitle(QStringLiteral("Tarvosk"));
  setWindowModality(Qt::NonModal);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  text_ = new QLabel(this);
  setObjectId(text_, res::IDC_PROGRESS_TEXT);
  text_->setWordWrap(true);
  text_->setMinimumWidth(360);
  bar_ = new QProgressBar(this);
  setObjectId(bar_, res::IDC_PROGRESS_BAR);
  bar_->setRange(0, 100);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  cancelButton_ = new QPushButton(QStringLiteral("取消(&C)"), this);
  setObjectId(cancelButton_, res::IDC_CANCEL_BUTTON);
  connect(cancelButton_, &QPushButton::clicked, this, &CProgressDlg::cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  layout->addWidget(bar_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancelButton_);
  layout->addLayout(buttons);
}

void CProgressDlg::setTitle(const std::u16string& title) { setWindowTitle(qstr(title)); }
void CProgressDlg::setText(const std::u16string& text) { text_->setText(qstr(text)); }
void CProgressDlg::setRange(int low, int high) { bar_->setRange(low, high); }
void CProgressDlg::setPosition(int position) { bar_->setValue(position); }

void CProgressDlg::pumpOneMessage() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastPump_ < kPumpInterval) return;
  lastPump_ = now;
  pumpAllMessages();
}

void CProgressDlg::pumpAllMessages() {
  QCoreApplication::processEvents();
  if (pumpHook_) pumpHook_(*this);
}

void CProgressDlg::close() { hide(); }

void CProgressDlg::cancel() {
  cancelled_ = true;
  cancelButton_->setEnabled(false);
}

// Esc and the close box cancel the job; the window goes when the job has stopped.
void CProgressDlg::reject() { cancel(); }

void CProgressDlg::closeEvent(QCloseEvent* event) {
  cancel();
  event->ignore();
}

}  // namespace tarvosk
