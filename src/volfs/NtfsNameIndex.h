// The names of an NTFS volume's live files and folders: which names each folder holds. A folder's
// names come from its own index ($I30) while that reads whole and stays small, and are kept;
// otherwise, and once many folders' names are kept, from an index built once from the $FILE_NAME
// attributes of every record in use. Either keeps 16 bytes per name (folder, a hash of the
// name, the record that holds it); the names themselves are read from their records when asked
// for, so that a volume of millions of files costs little memory.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <unordered_map>
#include <string>
#include <vector>

#include "ntfs/NtfsVolume.h"

namespace tarvosk {

struct NtfsNameEntry {
  std::u16string name;       // the long (Win32 or POSIX) name
  std::u16string shortName;  // the DOS name beside it, if any
  std::uint64_t record = 0;  // the file's base record
};

class NtfsNameIndex {
 public:
  // The volume must outlive the index: names are read through it.
  explicit NtfsNameIndex(NtfsVolumeEntry& volume) : volume_(&volume) {}
  // The names in a folder, in the order of their records.
  std::vector<NtfsNameEntry> children(std::uint64_t folder);
  // The entry of that name in a folder, compared without regard to case.
  std::optional<NtfsNameEntry> find(std::uint64_t folder, const std::u16string& name);
  // Whether the record is a base record in use that is a folder.
  bool isFolder(std::uint64_t record) const;

 private:
  // One long name: the folder that holds it with 16 bits of the folded name's hash, and the
  // record it lies in (a base or an extension record) with its place among that record's
  // $FILE_NAME attributes.
  struct Link {
    std::uint64_t folderAndHash;
    std::uint64_t holderAndPlace;
    bool operator<(const Link& other) const {
      return folderAndHash != other.folderAndHash ? folderAndHash < other.folderAndHash
                                                  : holderAndPlace < other.holderAndPlace;
    }
  };
  std::optional<NtfsNameEntry> nameOf(const Link& link) const;
  // The links of a folder whose hash is between the two given, inclusive, sorted.
  std::vector<Link> linksOf(std::uint64_t folder, std::uint16_t lowHash, std::uint16_t highHash);
  // All links of a folder from its own index; false when the index cannot answer.
  bool linksFromFolderIndex(std::uint64_t folder, std::vector<Link>& out) const;
  // Reads every MFT record once. Records that cannot be read are left out.
  void buildFromEveryRecord();

  NtfsVolumeEntry* volume_;
  std::unordered_map<std::uint64_t, std::vector<Link>> folderLinks_;  // sorted, by folder
  std::size_t keptFolderLinks_ = 0;
  bool builtFromEveryRecord_ = false;
  std::deque<Link> links_;  // sorted; a deque grows without copying what it holds
};

}  // namespace tarvosk
