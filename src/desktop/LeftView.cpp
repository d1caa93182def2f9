#include "desktop/LeftView.h"

#include <QContextMenuEvent>
#include <QHeaderView>

#include "desktop/Icons.h"
#include "desktop/MainFrame.h"
#include "desktop/QtText.h"
#include "platform/UiPorts.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "scan/FileList.h"
#include "settings/Settings.h"
#include "shell/DriveRows.h"
#include "shell/VisibleRows.h"

namespace tarvosk {

namespace {

enum Role : int {
  kHasRecord = Qt::UserRole,
  kDriveCharacter,
  kChildrenFilled,
  kEntryId,
  kParentId,
};

const QString kLogicalDrives = QStringLiteral("逻辑驱动器");
const QString kPhysicalDrives = QStringLiteral("物理驱动器");
const QString kSearchPrefix = QStringLiteral("Search(");

}  // namespace

CLeftView::CLeftView(CMainFrame& frame, QWidget* parent) : QTreeWidget(parent), frame_(frame) {
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(true);
  setUniformRowHeights(true);
  setExpandsOnDoubleClick(true);
  setIconSize(QSize(16, 16));
  connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) { fillChildren(node); });
  connect(this, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
            if (current && current != previous) frame_.onTreeSelectionChanged(current);
          });
}

NodeRecord CLeftView::recordOf(const QTreeWidgetItem* node) {
  NodeRecord r;
  if (!node || !node->data(0, kHasRecord).toBool()) return r;
  r.present = true;
  r.driveCharacter = static_cast<char16_t>(node->data(0, kDriveCharacter).toUInt());
  r.childrenFilled = node->data(0, kChildrenFilled).toBool();
  r.entryId = node->data(0, kEntryId).toULongLong();
  r.parentId = node->data(0, kParentId).toULongLong();
  return r;
}

void CLeftView::setRecord(QTreeWidgetItem* node, const NodeRecord& r) {
  node->setData(0, kHasRecord, true);
  node->setData(0, kDriveCharacter, static_cast<unsigned>(r.driveCharacter));
  node->setData(0, kChildrenFilled, r.childrenFilled);
  node->setData(0, kEntryId, QVariant::fromValue<qulonglong>(r.entryId));
  node->setData(0, kParentId, QVariant::fromValue<qulonglong>(r.parentId));
}

bool CLeftView::isSearchNode(const QTreeWidgetItem* node) {
  return node && !node->parent() && node->text(0).startsWith(kSearchPrefix, Qt::CaseInsensitive) && recordOf(node).present;
}

bool CLeftView::isDriveNode(const QTreeWidgetItem* node) {
  return node && node->parent() && !node->parent()->parent() && recordOf(node).entryId == ROOT_ENTRY_ID;
}

QTreeWidgetItem* CLeftView::logicalDrivesNode() const {
  for (int i = 0; i < topLevelItemCount(); ++i)
    if (!recordOf(topLevelItem(i)).present && topLevelItem(i)->text(0) == kLogicalDrives) return topLevelItem(i);
  return nullptr;
}

QTreeWidgetItem* CLeftView::physicalDrivesNode() const {
  for (int i = 0; i < topLevelItemCount(); ++i)
    if (!recordOf(topLevelItem(i)).present && topLevelItem(i)->text(0) == kPhysicalDrives) return topLevelItem(i);
  return nullptr;
}

QTreeWidgetItem* CLeftView::driveNodeOf(QTreeWidgetItem* node) const {
  while (node && node->parent() && node->parent()->parent()) node = node->parent();
  return node && node->parent() ? node : nullptr;
}

QTreeWidgetItem* CLeftView::nodeByDriveCharacter(char16_t c) const {
  for (int i = 0; i < topLevelItemCount(); ++i) {
    QTreeWidgetItem* top = topLevelItem(i);
    for (int j = 0; j < top->childCount(); ++j)
      if (recordOf(top->child(j)).present && recordOf(top->child(j)).driveCharacter == c) return top->child(j);
  }
  return nullptr;
}

QList<QTreeWidgetItem*> CLeftView::searchNodesOf(char16_t c) const {
  QList<QTreeWidgetItem*> nodes;
  for (int i = 0; i < topLevelItemCount(); ++i)
    if (isSearchNode(topLevelItem(i)) && recordOf(topLevelItem(i)).driveCharacter == c) nodes.push_back(topLevelItem(i));
  return nodes;
}

QTreeWidgetItem* CLeftView::addDriveNode(QTreeWidgetItem* parent, QTreeWidgetItem* after, const QString& text,
                                         char16_t character, const QIcon& icon) {
  auto* node = after ? new QTreeWidgetItem(parent, after) : new QTreeWidgetItem(parent);
  node->setText(0, text);
  node->setIcon(0, icon);
  node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  setRecord(node, {true, character, false, ROOT_ENTRY_ID, 0});
  return node;
}

void CLeftView::fillDrives() {
  QTreeWidgetItem* logical = logicalDrivesNode();
  if (!logical) {
    logical = new QTreeWidgetItem(QStringList(kLogicalDrives));
    insertTopLevelItem(0, logical);
    logical->setIcon(0, icons::drive());
    logical->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  }
  QTreeWidgetItem* previous = nullptr;
  for (const LogicalDriveRow& row : logicalDriveRows()) {
    QTreeWidgetItem* existing = nullptr;
    for (int i = 0; i < logical->childCount(); ++i)
      if (recordOf(logical->child(i)).driveCharacter == row.letter) existing = logical->child(i);
    previous = existing ? existing
                        : addDriveNode(logical, previous ? previous : (logical->childCount() ? logical->child(logical->childCount() - 1) : nullptr),
                                       qstr(row.name), row.letter, icons::drive());
  }
  logical->setExpanded(true);
  setCurrentItem(logical);

  QTreeWidgetItem* physical = physicalDrivesNode();
  if (!physical) {
    physical = new QTreeWidgetItem(QStringList(kPhysicalDrives));
    const int after = indexOfTopLevelItem(logical) + 1;
    insertTopLevelItem(after, physical);
    physical->setIcon(0, icons::hardDisk());
    physical->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  }
  for (const PhysicalDriveRow& row : physicalDriveRows(false)) {
    QTreeWidgetItem* node = nodeByDriveCharacter(row.driveCharacter);
    if (node) node->setText(0, qstr(row.name));
    else addDriveNode(physical, nullptr, qstr(row.name), row.driveCharacter, icons::hardDisk());
  }
  physical->setExpanded(true);
}

void CLeftView::fillChildren(QTreeWidgetItem* node) {
  NodeRecord record = recordOf(node);
  if (!record.present || record.childrenFilled || isSearchNode(node)) return;
  const std::u16string drivePath{record.driveCharacter, u':'};
  CFileList& lists = frame_.fileList();
  if (!lists.GetDriveList(drivePath)) {
    if (isPhysicalDriveCharacter(record.driveCharacter) &&
        userInterface().messageBox(std::u16string(loadString(res::IDS_CONFIRM_LONG_DISK_SCAN)), kProgramTitle,
                                   MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
      return;
    if (!frame_.runScan(drivePath, false, 0, 0)) return;
  }
  DriveFileList* list = lists.GetDriveList(drivePath);
  if (!list) return;
  record.childrenFilled = true;
  setRecord(node, record);
  const FileEntry* entry = list->Find(record.entryId);
  if (entry) {
    const bool showEmpty = settings().ShowEmptyFolders;
    for (std::uint64_t id : entry->children) {
      const FileEntry* child = list->Find(id);
      if (!child || !child->isFolder || !isVisibleChild(*child, showEmpty)) continue;
      auto* item = new QTreeWidgetItem(node, QStringList(qstr(child->name)));
      item->setIcon(0, child->deleted ? icons::deletedFolder() : icons::folder());
      item->setChildIndicatorPolicy(child->hasSubfolders ? QTreeWidgetItem::ShowIndicator
                                                         : QTreeWidgetItem::DontShowIndicator);
      setRecord(item, {true, record.driveCharacter, false, id, record.entryId});
    }
  }
  node->setChildIndicatorPolicy(node->childCount() ? QTreeWidgetItem::ShowIndicator : QTreeWidgetItem::DontShowIndicator);
}

void CLeftView::clearChildren(QTreeWidgetItem* node) {
  NodeRecord record = recordOf(node);
  if (record.present) {
    record.childrenFilled = false;
    setRecord(node, record);
  }
  node->setExpanded(false);
  qDeleteAll(node->takeChildren());
  if (record.present) node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
}

void CLeftView::refillChildren(QTreeWidgetItem* node) {
  clearChildren(node);
  fillChildren(node);
}

void CLeftView::selectNode(QTreeWidgetItem* node) {
  if (!node) return;
  setCurrentItem(node);
  scrollToItem(node);
}

void CLeftView::openDrive(char16_t driveCharacter) {
  QTreeWidgetItem* top = currentItem();
  while (top && top->parent()) top = top->parent();
  if (!top) return;
  for (int i = 0; i < top->childCount(); ++i)
    if (recordOf(top->child(i)).driveCharacter == driveCharacter) return selectNode(top->child(i));
}

void CLeftView::openFolder(std::uint64_t entryId) {
  QTreeWidgetItem* node = currentItem();
  if (!node) return;
  fillChildren(node);
  for (int i = 0; i < node->childCount(); ++i) {
    if (recordOf(node->child(i)).entryId == entryId) {
      selectNode(node->child(i));
      frame_.focusFileView();
      return;
    }
  }
}

QTreeWidgetItem* CLeftView::addSearchNode(const QString& name, char16_t driveCharacter) {
  auto* node = new QTreeWidgetItem(QStringList(name));
  addTopLevelItem(node);
  node->setIcon(0, icons::search());
  setRecord(node, {true, driveCharacter, true, ROOT_ENTRY_ID, 0});
  node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
  selectNode(node);
  return node;
}

void CLeftView::closeSearch(QTreeWidgetItem* node) {
  if (!isSearchNode(node)) return;
  setUpdatesEnabled(false);
  frame_.forgetList(u16(node->text(0)));
  selectNode(topLevelItem(0));
  delete node;
  setUpdatesEnabled(true);
}

void CLeftView::contextMenuEvent(QContextMenuEvent* event) {
  QTreeWidgetItem* node = itemAt(viewport()->mapFromGlobal(event->globalPos()));
  if (event->reason() == QContextMenuEvent::Keyboard) node = currentItem();
  if (!node) return;
  selectNode(node);
  const NodeRecord record = recordOf(node);
  if (!record.present) return;
  int popup;
  if (isSearchNode(node)) popup = 10;
  else if (record.entryId != ROOT_ENTRY_ID) popup = 8;
  else popup = isPhysicalDriveCharacter(record.driveCharacter) ? 9 : 7;
  frame_.showPopup(popup, event->globalPos());
}

}  // namespace tarvosk
