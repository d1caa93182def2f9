// What sleuthkit said about a fixture image when the fixture script made it, read from the files
// the script keeps next to the image: IMAGE.fls (fls -r -p -l), IMAGE.istat (an inode and its
// blocks a line) and IMAGE.alloc (the allocated ranges blkls lists). The one reader of them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tarvosk::test {

// Every line of the file; throws when it is missing.
std::vector<std::string> oracleLines(const std::string& path);

struct FlsEntry {
  bool folder = false;
  bool deleted = false;
  std::uint64_t inode = 0;
  std::string path;      // "Docs/Sub/a.txt", UTF-8, as fls prints it
  std::string modified;  // "2026-12-09 02:39:18", the content modification time
  std::uint64_t size = 0;
};
// The files and folders of IMAGE.fls (no virtual entries, no volume label, no named streams).
std::vector<FlsEntry> readFls(const std::string& image);

struct IstatBlocks {
  bool resident = false;              // NTFS data held in the record
  std::vector<std::uint64_t> blocks;  // FAT sectors or NTFS clusters in order; 0 is a sparse cluster
};
// IMAGE.istat: inode -> its blocks.
std::map<std::uint64_t, IstatBlocks> readIstat(const std::string& image);

// IMAGE.alloc: the blocks (FAT sectors, NTFS clusters) that blkls lists as allocated.
class AllocatedBlocks {
 public:
  explicit AllocatedBlocks(const std::string& image);
  bool allocated(std::uint64_t block) const;

 private:
  std::map<std::uint64_t, std::uint64_t> ranges_;  // first -> last
};

}  // namespace tarvosk::test
