#include "desktop/LoggingDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "desktop/DialogButtons.h"
#include "desktop/ObjectIds.h"
#include "desktop/QtText.h"
#include "log/Log.h"
#include "platform/CodePage.h"
#include "platform/UserFolders.h"
#include "res/CommandIds.h"

namespace tarvosk {

namespace {

// The longest path the dialog passes on, as its edit box holds it.
constexpr int kMaxLogPath = 259;

}  // namespace

CLoggingDlg::CLoggingDlg(QWidget* parent) : QDialog(parent) {
  setObjectId(this, res::IDD_LOGGING);
  setWindowTitle(QStringLiteral("Tarvosk"));
  enable_ = new QRadioButton(QStringLiteral("启用记录(&E)"));
  disable_ = new QRadioButton(QStringLiteral("禁用记录(&D)"));
  setObjectId(enable_, res::IDC_LOG_ENABLE);
  setObjectId(disable_, res::IDC_LOG_DISABLE);
  path_ = new QLineEdit;
  setObjectId(path_, res::IDC_LOG_PATH);
  path_->setMaxLength(kMaxLogPath);
  path_->setMinimumWidth(360);
  // The log cannot go to the drives being read: by default it goes to the user's state folder.
  path_->setText(LOG_PathChosen() ? qstr(LOG_GetPath()) : QString::fromStdString(defaultLogFilePath()));
  const bool open = LOG_IsOpen();
  (open ? enable_ : disable_)->setChecked(true);
  path_->setEnabled(open);
  connect(disable_, &QRadioButton::clicked, this, [this] { path_->setEnabled(false); });
  connect(enable_, &QRadioButton::clicked, this, [this] {
    path_->setEnabled(true);
    path_->setFocus();
  });
  QDialogButtonBox* buttons = okCancelButtons(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(enable_);
  layout->addWidget(disable_);
  layout->addWidget(new QLabel(QStringLiteral("日志文件")));
  layout->addWidget(path_);
  layout->addWidget(buttons);
  if (open) path_->setFocus();
}

void CLoggingDlg::accept() {
  if (enable_->isChecked()) LOG_SetFile(u16(path_->text()).c_str());
  QDialog::accept();
}

}  // namespace tarvosk
