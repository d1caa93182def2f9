#include "desktop/OptionsDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/DialogButtons.h"
#include "desktop/ObjectIds.h"
#include "res/CommandIds.h"
#include "settings/Settings.h"

namespace tarvosk {

namespace {

// A check box with its explanatory line beneath, indented under the box's text.
QCheckBox* addOption(QVBoxLayout* group, unsigned id, const char* caption, const char* explanation, bool checked) {
  auto* box = new QCheckBox(QString::fromUtf8(caption));
  setObjectId(box, id);
  box->setChecked(checked);
  auto* line = new QLabel(QString::fromUtf8(explanation));
  line->setWordWrap(true);
  line->setContentsMargins(22, 0, 0, 6);
  line->setForegroundRole(QPalette::PlaceholderText);
  group->addWidget(box);
  group->addWidget(line);
  return box;
}

}  // namespace

COptionsDlg::COptionsDlg(QWidget* parent) : QDialog(parent) {
  setObjectId(this, res::IDD_OPTIONS);
  setWindowTitle(QStringLiteral("选项"));
  const Settings& s = settings();
  auto* performance = new QGroupBox(QStringLiteral("性能"));
  auto* performanceLayout = new QVBoxLayout(performance);
  noAutoSort_ = addOption(performanceLayout, res::IDC_NO_AUTO_SORT, "不自动排序文件", "Tarvosk 在浏览时将不排序文件",
                          !s.UseAutoSort);
  noCondition_ = addOption(performanceLayout, res::IDC_NO_CONDITION, "不计算文件状况",
                           "Tarvosk 在扫描时将不计算已删除文件状况", !s.ShowRecoveryChanses);
  noRecycleBin_ = addOption(performanceLayout, res::IDC_NO_RECYCLE_BIN, "不扫描“回收站”中已删除的文件",
                            "Tarvosk 将不列出来自“回收站”文件夹中的已删除文件", !s.ScanRecycleBin);
  exactLengths_ = addOption(performanceLayout, res::IDC_EXACT_LENGTHS, "精确文件长度",
                            "物理扫描将按文件格式的结构找到每个文件的真实结尾，而不按默认规则估计其长度",
                            s.ExactLengths);
  auto* appearance = new QGroupBox(QStringLiteral("外观"));
  auto* appearanceLayout = new QVBoxLayout(appearance);
  hideEmptyFolders_ = addOption(appearanceLayout, res::IDC_HIDE_EMPTY_FOLDERS, "隐藏空文件夹",
                                "Tarvosk 将不显示不包含任何删除文件的文件夹。", !s.ShowEmptyFolders);
  sameDriveWarning_ = addOption(appearanceLayout, res::IDC_SAME_DRIVE_WARNING, "尝试将文件恢复到相同的驱动器时警告",
                                "将被删除文件恢复到相同的卷中之前，Tarvosk 将显示一个警告，以便避免数据丢失。",
                                s.SameDriveWarn);
  QDialogButtonBox* buttons = okCancelButtons(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(performance);
  layout->addWidget(appearance);
  layout->addWidget(buttons);
  // The explanations wrap at the dialog's width and the dialog takes the height they need.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  for (QLabel* line : findChildren<QLabel*>()) line->setFixedWidth(440);
}

void COptionsDlg::accept() {
  Settings& s = settings();
  s.UseAutoSort = !noAutoSort_->isChecked();
  s.ShowRecoveryChanses = !noCondition_->isChecked();
  s.ScanRecycleBin = !noRecycleBin_->isChecked();
  s.ExactLengths = exactLengths_->isChecked();
  s.ShowEmptyFolders = !hideEmptyFolders_->isChecked();
  s.SameDriveWarn = sameDriveWarning_->isChecked();
  SaveSettings();
  QDialog::accept();
}

}  // namespace tarvosk
