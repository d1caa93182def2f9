// CTriStateTreeCtrl: the tree of file types with three-state check boxes (unchecked, checked,
// mixed) that the scan wizard's last page shows. It draws a TypeTree: one top-level node per
// category, its types below. A click on a box (or Space) toggles that node; the tree model then
// decides what its items and category show.
#pragma once

#include <QTreeWidget>

#include "shell/TypeTree.h"

namespace tarvosk {

class CTriStateTreeCtrl : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CTriStateTreeCtrl(QWidget* parent = nullptr);

  // Shows the tree, expanded and scrolled to its first node. The tree must outlive the control.
  void setTypeTree(TypeTree* tree);
  TypeTree* typeTree() const { return tree_; }
  // The tree node that a control node shows.
  static TypeTreeNode nodeOf(const QTreeWidgetItem* item);
  void setState(QTreeWidgetItem* item, TriStateAction action);
  bool isChecked(const QTreeWidgetItem* item) const;

 signals:
  // A check box was clicked and the checks changed.
  void checksChanged();

 private:
  friend class TriStateItem;
  void toggledByUser(QTreeWidgetItem* item);
  // Shows every node's state from the tree.
  void showStates();

  TypeTree* tree_ = nullptr;
  bool showing_ = false;
};

}  // namespace tarvosk
