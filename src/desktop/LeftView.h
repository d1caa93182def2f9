// CLeftView: the drive tree. Two top-level nodes, "逻辑驱动器" and "物理驱动器", hold the drives;
// below a scanned drive lie the folders of its file list, added when a node is first expanded
// or shown; searches add top-level "Search(N)" nodes. Every node below the top level carries a
// record: the drive character, whether its children are filled, its entry id and its parent's.
#pragma once

#include <QTreeWidget>
#include <cstdint>

namespace tarvosk {

class CMainFrame;

struct NodeRecord {
  bool present = false;
  char16_t driveCharacter = 0;  // a letter, or 123 plus the device number for a physical drive
  bool childrenFilled = false;
  std::uint64_t entryId = 0;    // 5 for a drive node
  std::uint64_t parentId = 0;
};

class CLeftView : public QTreeWidget {
  Q_OBJECT

 public:
  CLeftView(CMainFrame& frame, QWidget* parent);

  static NodeRecord recordOf(const QTreeWidgetItem* node);
  static bool isSearchNode(const QTreeWidgetItem* node);
  static bool isDriveNode(const QTreeWidgetItem* node);

  QTreeWidgetItem* logicalDrivesNode() const;
  QTreeWidgetItem* physicalDrivesNode() const;
  // The drive node that holds node (the node itself for a drive node), or null.
  QTreeWidgetItem* driveNodeOf(QTreeWidgetItem* node) const;
  // The first drive node, under any top-level node, whose record carries that character.
  QTreeWidgetItem* nodeByDriveCharacter(char16_t driveCharacter) const;
  // The search results nodes of a drive.
  QList<QTreeWidgetItem*> searchNodesOf(char16_t driveCharacter) const;

  // Adds the drive nodes of drives not shown yet (nodes of drives that went stay).
  void fillDrives();
  // Adds a node's child folders from its drive's file list, scanning the drive first if it was
  // never scanned (a physical drive only after the user agreed).
  void fillChildren(QTreeWidgetItem* node);
  void clearChildren(QTreeWidgetItem* node);
  // Refills a drive node's children (the options changed what shows).
  void refillChildren(QTreeWidgetItem* node);

  // A row opened in the drive lists: selects that drive's node under the selected top-level node.
  void openDrive(char16_t driveCharacter);
  // A folder opened in the file list: selects the child node of the selected node showing it.
  void openFolder(std::uint64_t entryId);
  // Adds a top-level search results node for a search of a drive, and selects it.
  QTreeWidgetItem* addSearchNode(const QString& name, char16_t driveCharacter);
  // Removes a search node together with its result list.
  void closeSearch(QTreeWidgetItem* node);

  void selectNode(QTreeWidgetItem* node);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QTreeWidgetItem* addDriveNode(QTreeWidgetItem* parent, QTreeWidgetItem* after, const QString& text, char16_t character,
                                const QIcon& icon);
  static void setRecord(QTreeWidgetItem* node, const NodeRecord& record);

  CMainFrame& frame_;
};

}  // namespace tarvosk
