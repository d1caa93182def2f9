#include "scan/DriveFileList.h"

#include <unordered_set>
#include <utility>
#include <vector>

namespace tarvosk {

FileEntry& DriveFileList::Lookup(std::uint64_t id) { return entries_[id]; }

FileEntry* DriveFileList::Find(std::uint64_t id) {
  auto it = entries_.find(id);
  return it == entries_.end() ? nullptr : &it->second;
}

const FileEntry* DriveFileList::Find(std::uint64_t id) const {
  auto it = entries_.find(id);
  return it == entries_.end() ? nullptr : &it->second;
}

// Depth-first and without recursion, so that deep or looping folder data from a damaged disk
// can neither exhaust the stack nor run forever. Every child is visited (no early stop), as the
// flags of the whole tree are wanted.
bool ComputeDeletedFlags(DriveFileList& list, FileEntry& top) {
  struct Frame {
    std::uint64_t id;
    std::size_t nextChild;
    bool holdsDeleted;
  };
  auto isDeletedFile = [](const FileEntry& e) { return e.deleted && !e.isFolder; };
  if (isDeletedFile(top)) {
    top.noDeletedFiles = false;
    return true;
  }
  std::unordered_set<std::uint64_t> visited{top.id};
  std::vector<Frame> stack{{top.id, 0, false}};
  top.noDeletedFiles = true;
  bool result = false;
  while (!stack.empty()) {
    Frame& frame = stack.back();
    FileEntry& entry = frame.id == top.id ? top : list.Lookup(frame.id);
    if (frame.nextChild < entry.children.size()) {
      std::uint64_t childId = entry.children[frame.nextChild++];
      if (childId == ROOT_ENTRY_ID) continue;
      FileEntry& child = list.Lookup(childId);
      if (isDeletedFile(child)) {
        child.noDeletedFiles = false;
        frame.holdsDeleted = true;
      } else if (visited.insert(childId).second) {  // only what is walked can loop
        child.noDeletedFiles = true;
        stack.push_back({childId, 0, false});
      }
      continue;
    }
    entry.noDeletedFiles = !frame.holdsDeleted;
    bool holds = frame.holdsDeleted;
    stack.pop_back();
    if (stack.empty()) result = holds;
    else if (holds) stack.back().holdsDeleted = true;
  }
  return result;
}

}  // namespace tarvosk
