#include "ScanListing.h"

namespace tarvosk::test {

namespace {

constexpr int kMaxFolderDepth = 64;

void walk(DriveFileList& list, const FileEntry& folder, const std::u16string& path,
          std::map<std::u16string, const FileEntry*>& out, int depth) {
  if (depth > kMaxFolderDepth) return;
  for (std::uint64_t id : folder.children) {
    if (id == ROOT_ENTRY_ID) continue;
    const FileEntry& e = list.Lookup(id);
    std::u16string p = path + u"\\" + e.name.str();
    out[p] = &e;
    if (e.isFolder) walk(list, e, p, out, depth + 1);
  }
}

}  // namespace

std::map<std::u16string, const FileEntry*> entriesByPath(DriveFileList& list) {
  std::map<std::u16string, const FileEntry*> out;
  walk(list, list.Lookup(ROOT_ENTRY_ID), u"", out, 0);
  return out;
}

}  // namespace tarvosk::test
