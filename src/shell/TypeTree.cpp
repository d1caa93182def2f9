#include "shell/TypeTree.h"

#include <algorithm>

namespace tarvosk {

TriState TypeTreeCategory::check() const {
  const auto checkedItems = std::count_if(items.begin(), items.end(), [](const TypeTreeItem& i) { return i.checked; });
  if (checkedItems == 0) return TriState::Unchecked;
  if (static_cast<std::size_t>(checkedItems) == items.size()) return TriState::Checked;
  return TriState::Mixed;
}

TypeTree::TypeTree(const FilterRegistry& registry) {
  for (std::size_t index = 0; index < registry.count(); ++index) {
    const CTypeFilter& type = *registry.item(index);
    auto category = std::find_if(categories_.begin(), categories_.end(),
                                 [&](const TypeTreeCategory& c) { return c.text == type.GetCategory(); });
    if (category == categories_.end()) {
      categories_.push_back({std::u16string(type.GetCategory()), {}});
      category = categories_.end() - 1;
    }
    std::u16string text(type.GetName());
    text += u" (";
    text += type.GetExtension();
    text += u")";
    category->items.push_back({std::move(text), index, true});
  }
}

std::size_t TypeTree::itemCount() const {
  std::size_t n = 0;
  for (const TypeTreeCategory& c : categories_) n += c.items.size();
  return n;
}

TypeTreeItem* TypeTree::itemFor(std::size_t registryIndex) {
  for (TypeTreeCategory& c : categories_)
    for (TypeTreeItem& item : c.items)
      if (item.registryIndex == registryIndex) return &item;
  return nullptr;
}

void TypeTree::setCategoryChecked(std::size_t category, bool checked) {
  for (TypeTreeItem& item : categories_.at(category).items) item.checked = checked;
}

TriState TypeTree::state(const TypeTreeNode& node) const {
  const TypeTreeCategory& category = categories_.at(node.category);
  if (!node.item) return category.check();
  return category.items.at(*node.item).checked ? TriState::Checked : TriState::Unchecked;
}

void TypeTree::setState(const TypeTreeNode& node, TriStateAction action) {
  const TriState now = state(node);
  if ((action == TriStateAction::Check && now == TriState::Checked) ||
      (action == TriStateAction::Uncheck && now == TriState::Unchecked))
    return;
  const bool check = action == TriStateAction::Check || (action == TriStateAction::Toggle && now != TriState::Checked);
  if (node.item) categories_.at(node.category).items.at(*node.item).checked = check;
  else setCategoryChecked(node.category, check);
}

bool TypeTree::anyChecked() const {
  return std::any_of(categories_.begin(), categories_.end(),
                     [](const TypeTreeCategory& c) { return c.check() != TriState::Unchecked; });
}

void TypeTree::applyTo(FilterRegistry& registry) const {
  for (const TypeTreeCategory& c : categories_)
    for (const TypeTreeItem& item : c.items)
      if (CTypeFilter* type = registry.item(item.registryIndex)) type->enabled = item.checked;
}

}  // namespace tarvosk
