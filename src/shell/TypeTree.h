// The scan wizard's tree of file types, read from the recogniser registry: one category item per
// category in the order of first appearance, and under it one checked item per recogniser
// ("Jpeg 图像 (.jpg)") that carries the recogniser's registry index. The wizard's tree control
// shows it; finishing the wizard writes the checks back into the recognisers' enabled flags.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "types/FilterRegistry.h"

namespace tarvosk {

struct TypeTreeItem {
  std::u16string text;
  std::size_t registryIndex = 0;
  bool checked = true;
};

// The check box of a category shows the combined state of its items.
enum class CategoryCheck { Unchecked = 1, Checked = 2, Mixed = 3 };

struct TypeTreeCategory {
  std::u16string text;
  std::vector<TypeTreeItem> items;
  CategoryCheck check() const;
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
  // The wizard's Finish button is enabled only while some type is checked.
  bool anyChecked() const;
  // Finish: every recogniser's enabled flag becomes its item's check.
  void applyTo(FilterRegistry& registry) const;

 private:
  std::vector<TypeTreeCategory> categories_;
};

}  // namespace tarvosk
