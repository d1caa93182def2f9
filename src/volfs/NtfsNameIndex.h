// The names of an NTFS volume's live files and folders, built once per volume from the
// $FILE_NAME attributes of every record in use: which names each folder holds. The index keeps
// 16 bytes per name (folder, a hash of the name, the record that holds it); the names
// themselves are read from their records when asked for, so that a volume of millions of files
// costs little memory.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
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
  // Reads every MFT record once. Records that cannot be read are left out. The volume must
  // outlive the index: names are read through it later.
  void build(NtfsVolumeEntry& volume);
  // The names in a folder, in the order of their records.
  std::vector<NtfsNameEntry> children(std::uint64_t folder) const;
  // The entry of that name in a folder, compared without regard to case.
  std::optional<NtfsNameEntry> find(std::uint64_t folder, const std::u16string& name) const;
  bool isFolder(std::uint64_t record) const;

 private:
  // One long name: the folder that holds it with 16 bits of the folded name's hash, and the
  // record it lies in (a base or an extension record) with its place among that record's
  // $FILE_NAME attributes.
  struct Link {
    std::uint64_t folderAndHash;
    std::uint64_t holderAndPlace;
  };
  std::optional<NtfsNameEntry> nameOf(const Link& link) const;
  // The links of a folder, whose hash is between the two given, inclusive.
  std::pair<std::deque<Link>::const_iterator, std::deque<Link>::const_iterator> linksOf(std::uint64_t folder,
                                                                                      std::uint16_t lowHash,
                                                                                      std::uint16_t highHash) const;

  NtfsVolumeEntry* volume_ = nullptr;
  std::deque<Link> links_;     // sorted; a deque grows without copying what it holds
  std::vector<bool> folders_;  // by record number: a base record in use that is a folder
};

}  // namespace tarvosk
