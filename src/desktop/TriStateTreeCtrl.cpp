#include "desktop/TriStateTreeCtrl.h"

#include <QHeaderView>

#include "desktop/QtText.h"

namespace tarvosk {

namespace {

constexpr int kCategoryRole = Qt::UserRole;
constexpr int kItemRole = Qt::UserRole + 1;  // absent on a category node

Qt::CheckState checkStateOf(TriState state) {
  switch (state) {
    case TriState::Checked: return Qt::Checked;
    case TriState::Mixed: return Qt::PartiallyChecked;
    default: return Qt::Unchecked;
  }
}

}  // namespace

// A node whose check box the user changes: the change goes to the control instead of the box,
// so the tree model decides the states of the node, its items and its category.
class TriStateItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  void setData(int column, int role, const QVariant& value) override {
    auto* control = static_cast<CTriStateTreeCtrl*>(treeWidget());
    if (role == Qt::CheckStateRole && control && !control->showing_) {
      control->toggledByUser(this);
      return;
    }
    QTreeWidgetItem::setData(column, role, value);
  }
};

CTriStateTreeCtrl::CTriStateTreeCtrl(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void CTriStateTreeCtrl::setTypeTree(TypeTree* tree) {
  tree_ = tree;
  showing_ = true;
  clear();
  const std::vector<TypeTreeCategory>& categories = tree_->categories();
  for (std::size_t c = 0; c < categories.size(); ++c) {
    auto* category = new TriStateItem(this, QStringList(qstr(categories[c].text)));
    category->setData(0, kCategoryRole, QVariant::fromValue(c));
    category->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    for (std::size_t i = 0; i < categories[c].items.size(); ++i) {
      auto* item = new TriStateItem(category, QStringList(qstr(categories[c].items[i].text)));
      item->setData(0, kCategoryRole, QVariant::fromValue(c));
      item->setData(0, kItemRole, QVariant::fromValue(i));
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    }
  }
  showing_ = false;
  showStates();
  expandAll();
  if (topLevelItemCount() > 0) scrollToItem(topLevelItem(0));
}

TypeTreeNode CTriStateTreeCtrl::nodeOf(const QTreeWidgetItem* item) {
  TypeTreeNode node;
  node.category = item->data(0, kCategoryRole).value<std::size_t>();
  const QVariant index = item->data(0, kItemRole);
  if (index.isValid()) node.item = index.value<std::size_t>();
  return node;
}

void CTriStateTreeCtrl::setState(QTreeWidgetItem* item, TriStateAction action) {
  tree_->setState(nodeOf(item), action);
  showStates();
}

bool CTriStateTreeCtrl::isChecked(const QTreeWidgetItem* item) const { return tree_->isChecked(nodeOf(item)); }

void CTriStateTreeCtrl::toggledByUser(QTreeWidgetItem* item) {
  setState(item, TriStateAction::Toggle);
  emit checksChanged();
}

void CTriStateTreeCtrl::showStates() {
  showing_ = true;
  for (int c = 0; c < topLevelItemCount(); ++c) {
    QTreeWidgetItem* category = topLevelItem(c);
    category->setCheckState(0, checkStateOf(tree_->state(nodeOf(category))));
    for (int i = 0; i < category->childCount(); ++i)
      category->child(i)->setCheckState(0, checkStateOf(tree_->state(nodeOf(category->child(i)))));
  }
  showing_ = false;
}

}  // namespace tarvosk
