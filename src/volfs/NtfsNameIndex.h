// The names of an NTFS volume's live files and folders, built once per volume from the
// $FILE_NAME attributes of every record in use: which names each folder holds.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ntfs/NtfsVolume.h"

namespace tarvosk {

struct NtfsNameEntry {
  std::u16string name;       // the long (Win32 or POSIX) name
  std::u16string shortName;  // the DOS name beside it, if any
  std::uint64_t record = 0;
};

class NtfsNameIndex {
 public:
  // Reads every MFT record once. Records that cannot be read are left out.
  void build(NtfsVolumeEntry& volume);
  // The names in a folder, in the order found; null if it holds none.
  const std::vector<NtfsNameEntry>* children(std::uint64_t folder) const;
  // The entry of that name in a folder, compared without regard to case; null if none.
  const NtfsNameEntry* find(std::uint64_t folder, const std::u16string& name) const;
  bool isFolder(std::uint64_t record) const;

 private:
  std::unordered_map<std::uint64_t, std::vector<NtfsNameEntry>> children_;
  // By folder: (hash of the folded name, place in children_), sorted, so that a lookup folds
  // only the names that share its hash.
  std::unordered_map<std::uint64_t, std::vector<std::pair<std::size_t, std::size_t>>> byName_;
  std::vector<bool> folders_;  // by record number: a base record in use that is a folder
};

// Folds a name for case-insensitive comparison (ASCII and Latin letters).
std::u16string foldNtfsName(const std::u16string& name);

}  // namespace tarvosk
