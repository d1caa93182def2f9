#include "desktop/LookInBrowseDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "desktop/DialogButtons.h"
#include "desktop/Icons.h"
#include "desktop/QtText.h"
#include "platform/CaseFolding.h"
#include "platform/UiPorts.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "scan/FileList.h"
#include "search/LookInPath.h"
#include "settings/Settings.h"
#include "shell/VisibleRows.h"

namespace tarvosk {

namespace {

enum Role : int { kEntryId = Qt::UserRole, kFilled };

}  // namespace

CLookInBrowseDlg::CLookInBrowseDlg(DriveFileList* drive, const std::u16string& drivePath, const std::u16string& lookIn,
                                   QWidget* parent)
    : QDialog(parent), drive_(drive), drivePath_(drivePath) {
  setWindowTitle(QStringLiteral("浏览文件夹"));
  folders_ = new QTreeWidget;
  folders_->setHeaderHidden(true);
  folders_->setUniformRowHeights(true);
  folders_->setMinimumSize(320, 280);
  path_ = new QLineEdit;
  auto* root = new QTreeWidgetItem(folders_, QStringList(qstr(lookInPath(drivePath, {}))));
  root->setIcon(0, icons::drive());
  root->setData(0, kEntryId, QVariant::fromValue<qulonglong>(ROOT_ENTRY_ID));
  connect(folders_, &QTreeWidget::itemExpanded, this, &CLookInBrowseDlg::fill);
  connect(folders_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item) path_->setText(qstr(pathOf(item)));
  });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("选择要搜索的文件夹:")));
  layout->addWidget(folders_);
  layout->addWidget(new QLabel(QStringLiteral("文件夹:")));
  layout->addWidget(path_);
  layout->addWidget(okCancelButtons(this));
  fill(root);
  root->setExpanded(true);
  folders_->setCurrentItem(root);
  select(lookIn);
}

void CLookInBrowseDlg::fill(QTreeWidgetItem* item) {
  if (item->data(0, kFilled).toBool()) return;
  item->setData(0, kFilled, true);
  const FileEntry* folder = drive_ ? drive_->Find(item->data(0, kEntryId).toULongLong()) : nullptr;
  if (!folder) return;
  const bool showEmpty = settings().ShowEmptyFolders;
  for (std::uint64_t id : folder->children) {
    const FileEntry* child = drive_->Find(id);
    if (!child || !child->isFolder || id == ROOT_ENTRY_ID || !isVisibleChild(*child, showEmpty)) continue;
    auto* node = new QTreeWidgetItem(item, QStringList(qstr(child->name)));
    node->setIcon(0, child->deleted ? icons::deletedFolder() : icons::folder());
    node->setData(0, kEntryId, QVariant::fromValue<qulonglong>(id));
    node->setChildIndicatorPolicy(child->hasSubfolders ? QTreeWidgetItem::ShowIndicator
                                                       : QTreeWidgetItem::DontShowIndicator);
  }
}

std::u16string CLookInBrowseDlg::pathOf(const QTreeWidgetItem* item) const {
  std::vector<std::u16string> names;
  for (; item && item->parent(); item = item->parent()) names.insert(names.begin(), u16(item->text(0)));
  return lookInPath(drivePath_, names);
}

// Opens the folders a look-in path names, as far as they are found, and selects the last.
void CLookInBrowseDlg::select(const std::u16string& lookIn) {
  const QString text = qstr(lookIn);
  QStringList parts = text.mid(text.indexOf(u':') + 1).split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
  QTreeWidgetItem* item = folders_->topLevelItem(0);
  for (const QString& part : parts) {
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < item->childCount() && !next; ++i)
      if (equalsIgnoreCase(u16(item->child(i)->text(0)), u16(part))) next = item->child(i);
    if (!next) break;
    item->setExpanded(true);
    fill(next);
    item = next;
  }
  folders_->setCurrentItem(item);
  folders_->scrollToItem(item);
}

void CLookInBrowseDlg::accept() {
  std::u16string path = u16(path_->text().trimmed());
  if (path.empty() || path.back() != u'\\') path += u'\\';
  std::uint64_t folder = ROOT_ENTRY_ID;
  if (drive_ && !CFileList::FindEntryByPath(path, *drive_, folder)) {
    userInterface().messageBox(std::u16string(loadString(res::IDS_INVALID_PATH)), kProgramTitle,
                               MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  chosen_ = path;
  QDialog::accept();
}

}  // namespace tarvosk
