// The main window's navigation history: the tree nodes the user selected, and the current one.
#pragma once

#include <cstddef>
#include <vector>

namespace tarvosk {

template <class Node>
class NavigationHistory {
 public:
  // Selecting a node: unless the current element holds it already, everything after the
  // current element goes and the node becomes the new current element.
  void add(Node node) {
    if (!nodes_.empty() && nodes_[current_] == node) return;
    if (!nodes_.empty()) nodes_.resize(current_ + 1);
    nodes_.push_back(node);
    current_ = nodes_.size() - 1;
  }
  bool canGoBack() const { return !nodes_.empty() && current_ > 0; }
  bool canGoForward() const { return !nodes_.empty() && current_ + 1 < nodes_.size(); }
  // The node to select; call only when the move is possible.
  Node back() { return nodes_[--current_]; }
  Node forward() { return nodes_[++current_]; }
  // A node that no longer exists leaves the history (the current element moves back with it).
  void remove(Node node) {
    for (std::size_t i = nodes_.size(); i-- > 0;) {
      if (nodes_[i] != node) continue;
      nodes_.erase(nodes_.begin() + static_cast<std::ptrdiff_t>(i));
      if (current_ >= i && current_ > 0) --current_;
    }
  }
  void clear() {
    nodes_.clear();
    current_ = 0;
  }
  const std::vector<Node>& nodes() const { return nodes_; }
  // The current element's node; call only when the history is not empty.
  Node current() const { return nodes_[current_]; }
  bool empty() const { return nodes_.empty(); }

 private:
  std::vector<Node> nodes_;
  std::size_t current_ = 0;
};

}  // namespace tarvosk
