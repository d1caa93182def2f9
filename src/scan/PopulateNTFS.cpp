#include "scan/PopulateNTFS.h"

#include <vector>

#include "ntfs/Attribute.h"
#include "ntfs/ExtendedMftRecords.h"
#include "ntfs/MftRecord.h"
#include "ntfs/NtfsLayout.h"
#include "ntfs/NtfsVolume.h"
#include "scan/RecoveryChance.h"
#include "settings/Settings.h"

namespace tarvosk {

namespace {

constexpr std::uint64_t kRecordsPerProgressPoint = 256;

// The record number of the 64-bit file reference at off (its sequence number dropped).
std::uint64_t referencedRecord(ByteSpan b, std::size_t off) { return ntfs::recordNumberOf(le64(b, off)); }

// The size of a file's unnamed data: from the record's $DATA, or the sum over the extension
// records that hold it. A deleted file whose $DATA lies in the record is rated with it when rate
// is set, while the record is at hand; one of many clusters is left for its first showing.
void readFileSize(DWORD volume, std::vector<BYTE>& record, bool rate, FileEntry& entry) {
  ByteSpan data;
  if (FindAttribute(record, ntfs::_AH_TYPE_DA, &data) == LAYER_SUCCESS) {
    entry.size = ntfs::attributeDataSize(data);
    if (rate) entry.recoveryChance = RateNtfsFileData(volume, data, kClustersRatedByScan);
    return;
  }
  std::uint64_t numbers[kMaxMftExtensionRecords] = {};
  DWORD count = kMaxMftExtensionRecords;
  std::vector<BYTE> base = record;
  if (GetExtendedMFTRecordNum(volume, base, ntfs::_AH_TYPE_DA, numbers, &count) != LAYER_SUCCESS) return;
  for (DWORD i = 0; i < count; ++i) {
    if (GetMFTRecord(volume, numbers[i], record) != LAYER_SUCCESS) continue;
    if (FindAttribute(record, ntfs::_AH_TYPE_DA, &data) == LAYER_SUCCESS) entry.size += ntfs::attributeDataSize(data);
  }
}

}  // namespace

void EnumerateMFT(ProgressWindow& window, DriveFileList& list, DWORD volume, char16_t driveLetter,
                  std::uint64_t recordCount, DWORD recordSize) {
  std::vector<BYTE> record(recordSize);
  // The rating follows the setting that shows chances, as when a view asks for them.
  const bool rateDeleted = settings().ShowRecoveryChanses;
  for (std::uint64_t i = 0; i < recordCount; ++i) {
    if (i % kRecordsPerProgressPoint == 0) {
      window.setPosition(static_cast<int>(i * 100 / recordCount));
      window.pumpOneMessage();
      if (window.cancelled()) break;
    }
    DWORD read = GetMFTRecord(volume, i, record);
    // Past the end of the $MFT's runs no later record can be read either, whatever the $MFT's
    // data size claims (a damaged size field can claim trillions of records).
    if (read == LAYER_NO_MORE) break;
    if (read != LAYER_SUCCESS) continue;
    std::uint64_t id = referencedRecord(record, ntfs::kRecordBaseReference);
    if (id == 0) id = i;
    ByteSpan fileName;
    if (GetFileName(record, &fileName) != LAYER_SUCCESS) continue;
    bool deleted = (le16(record, ntfs::kRecordFlags) & ntfs::kRecordInUse) == 0;
    bool folder = (le32(fileName, ntfs::kFnFileAttributes) & ntfs::kFnAttributeFolder) != 0;
    if (!deleted && !folder) continue;

    FileEntry& entry = list.Lookup(id);
    entry.deleted = deleted;
    entry.driveLetter = driveLetter;
    entry.kind = ENTRY_KIND_NTFS;
    entry.handle = volume;
    entry.isFolder = folder;
    entry.id = id;
    entry.parentId = id == ROOT_ENTRY_ID ? 0 : referencedRecord(fileName, ntfs::kFnParentReference);
    entry.name = ntfs::fileNameText(fileName);
    // The time and the chance come from the file's own record, not from an extension record of it.
    const bool ownRecord = id == i;
    if (ownRecord) ntfs::firstFileNameTime(record, entry.fileNameTime);
    if (!folder) readFileSize(volume, record, ownRecord && deleted && rateDeleted, entry);
  }
}

void AttachOrphans(DriveFileList& list, DWORD volume, char16_t driveLetter) {
  // The entries as they stand before the orphan folder is made: the walk ends where the list
  // ended (entries never move, so the references stay valid as the folder is added).
  const std::size_t count = list.size();
  std::size_t walked = 0;
  for (auto it = list.begin(); walked < count; ++it, ++walked) {
    FileEntry& entry = *it;
    if (entry.parentId == 0) continue;
    const std::uint64_t id = entry.id;
    bool isFolder = entry.isFolder;
    // A record that names itself as its parent would hold itself: it goes to the orphans.
    FileEntry* parent = entry.parentId == id ? nullptr : list.Find(entry.parentId);
    if (parent) {
      if (!parent->isFolder) continue;  // the record now holds a file: attached nowhere
      if (isFolder) parent->hasSubfolders = true;
      parent->children.push_back(id);
      continue;
    }
    FileEntry* orphans = list.Find(ORPHAN_FOLDER_ENTRY_ID);
    if (!orphans) {
      FileEntry& created = list.Lookup(ORPHAN_FOLDER_ENTRY_ID);
      created.id = ORPHAN_FOLDER_ENTRY_ID;
      created.handle = volume;
      created.parentId = ROOT_ENTRY_ID;
      created.deleted = true;
      created.isFolder = true;
      created.driveLetter = driveLetter;
      created.name = u"ORPHAN";
      FileEntry& root = list.Lookup(ROOT_ENTRY_ID);
      root.children.push_back(ORPHAN_FOLDER_ENTRY_ID);
      root.hasSubfolders = true;
      orphans = &created;
    }
    if (isFolder) orphans->hasSubfolders = true;
    entry.parentId = ORPHAN_FOLDER_ENTRY_ID;
    orphans->children.push_back(id);
  }
}

}  // namespace tarvosk
