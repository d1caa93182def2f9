// The scan wizard's tree of file types, read from the recogniser registry: one category item per
// category in the order of first appearance, and under it one checked item per recogniser
// ("Jpeg 图像 (.jpg)") that carries the recogniser's registry index. The wizard's tree control
// shows it with three-state check boxes; finishing the wizard writes the checks back into the
// recognisers' enabled flags.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "types/FilterRegistry.h"

namespace tarvosk {

struct TypeTreeItem {
  std::u16string text;
  std::size_t registryIndex = 0;
  bool checked = true;
};

// A check box's state, numbered as the tree control's state images. A category shows the
// combined state of its items: it is always computed from them, so it never needs recomputing.
enum class TriState { Unchecked = 1, Checked = 2, Mixed = 3 };

// What a click or the wizard does to a node's check box.
enum class TriStateAction { Check = 0, Uncheck = 1, Toggle = 2 };

struct TypeTreeCategory {
  std::u16string text;
  std::vector<TypeTreeItem> items;
  TriState check() const;
};

// A node of the tree: a category, or one item of it.
struct TypeTreeNode {
  std::size_t category = 0;
  std::optional<std::size_t> item;
};

class TypeTree {
 public:
  // Every type starts checked, whatever the recognisers' flags were.
  explicit TypeTree(const FilterRegistry& registry);

  const std::vector<TypeTreeCategory>& categories() const { return categories_; }
  std::size_t itemCount() const;
  // The item of the recogniser at that registry index, or null.
  TypeTreeItem* itemFor(std::size_t registryIndex);
  // Checks or clears every item of the category.
  void setCategoryChecked(std::size_t category, bool checked);
  TriState state(const TypeTreeNode& node) const;
  bool isChecked(const TypeTreeNode& node) const { return state(node) == TriState::Checked; }
  // Check and uncheck do nothing to a node already in that state; toggle clears a checked node
  // and checks an unchecked or mixed one. A category passes its new check to all its items.
  void setState(const TypeTreeNode& node, TriStateAction action);
  // The wizard's Finish button is enabled only while some type is checked.
  bool anyChecked() const;
  // Finish: every recogniser's enabled flag becomes its item's check.
  void applyTo(FilterRegistry& registry) const;

 private:
  std::vector<TypeTreeCategory> categories_;
};

}  // namespace tarvosk
