#include "scan/DeepScan.h"

#include <cstring>
#include <vector>

#include "log/Log.h"
#include "platform/Format.h"
#include "fat/FatVolume.h"
#include "platform/Time.h"
#include "scan/DriveUnits.h"
#include "types/TypeTable.h"

namespace tarvosk {

namespace {

constexpr int kStepsPerProgressPoint = 100;
constexpr std::size_t kMaxNameUnits = 510;
constexpr std::u16string_view kUnrecognisedDocument = u"无法识别的文档";

struct ScanTime {
  std::uint16_t dosDate = 0;
  std::uint16_t dosTime = 0;
};

ScanTime takeScanTime() {
  SYSTEMTIME now{};
  FILETIME stamp{};
  ScanTime t;
  GetSystemTime(&now);
  SystemTimeToFileTime(&now, &stamp);
  FileTimeToDosDateTime(&stamp, &t.dosDate, &t.dosTime);
  return t;
}

FileEntry& newEntry(DriveFileList& list, std::uint64_t& idCounter, const FileEntry& root, const ScanTime& time) {
  std::uint64_t id = ++idCounter;
  FileEntry& e = list.Lookup(id);
  e.id = id;
  e.handle = root.handle;
  e.driveLetter = root.driveLetter;
  e.kind = root.kind;
  e.deleted = true;
  e.dosDate = time.dosDate;
  e.dosTime = time.dosTime;
  return e;
}

void collectResults(FilterRegistry& registry, DriveFileList& list, FileEntry& root, const ScanTime& time) {
  std::uint64_t idCounter = FIRST_SCAN_ENTRY_ID - 1;
  std::uint64_t rootId = root.id;
  for (std::size_t k = 0; k < registry.count(); ++k) {
    CTypeFilter& recogniser = *registry.item(k);
    if (recogniser.GetName() == kUnrecognisedDocument) continue;
    const std::vector<FoundFile>& found = recogniser.GetResults();
    if (found.empty()) continue;
    FileEntry& folder = newEntry(list, idCounter, root, time);
    folder.isFolder = true;
    folder.noDeletedFiles = false;
    folder.parentId = rootId;
    folder.name = recogniser.GetName();
    std::uint64_t folderId = folder.id;
    FileEntry& rootEntry = list.Lookup(rootId);
    rootEntry.children.push_back(folderId);
    rootEntry.hasSubfolders = true;
    std::u16string extension(recogniser.GetExtension());
    for (const FoundFile& f : found) {
      FileEntry& file = newEntry(list, idCounter, root, time);
      file.parentId = folderId;
      file.startPosition = f.startUnit;
      file.name = format(u"file%I64d%s", static_cast<std::int64_t>(f.startUnit), extension).substr(0, kMaxNameUnits);
      file.size = f.length;
      file.recoveryChance = f.chance;
      list.Lookup(folderId).children.push_back(file.id);
    }
  }
}

// Units through the drive's layer: a volume is read one cluster at a time after its allocation
// is tested, a physical drive 16 sectors at a time.
class DriveChunkReader : public ChunkReader {
 public:
  DriveChunkReader(DriveUnits& units, const FileEntry& root) : units_(units), kind_(root.kind), handle_(root.handle) {}
  std::uint32_t unitSize() const override { return units_.unitSize(); }
  std::uint32_t unitsPerChunk() const override { return kind_ == ENTRY_KIND_RAW_DEVICE ? 16 : 1; }
  bool readChunk(std::uint64_t unit, std::uint32_t count, std::uint8_t* out) override {
    if (!units_.isFree(unit)) return false;
    if (units_.read(unit, count, out)) return true;
    if (kind_ == ENTRY_KIND_FAT) {
      std::uint64_t sector = 0;
      FAT_GetFirstSectorOfCluster(handle_, unit, &sector);
      LOG_Write(g_logAPP, INFO, u"DeepScan(handle=%d): 读取扇区 %I64d 失败", handle_, static_cast<std::int64_t>(sector));
    } else {
      LOG_Write(g_logAPP, INFO, u"DeepScan(handle=%d): 读取簇 %I64d 失败", handle_, static_cast<std::int64_t>(unit));
    }
    return false;
  }

 private:
  DriveUnits& units_;
  std::uint8_t kind_;
  DWORD handle_;
};

}  // namespace

bool DeepScan(ProgressWindow& window, DriveFileList& list, FileEntry& root, std::uint64_t first, std::uint64_t last) {
  std::unique_ptr<DriveUnits> units = driveUnitsOf(root.kind, root.handle);
  if (!units) return true;  // a handle the layer does not know: nothing to read
  DriveChunkReader reader(*units, root);
  return runDeepScan(reader, filterRegistry(), window, list, root, first, last);
}

// The buffer holds three chunks: A the one before the previous, B the previous one (being fed),
// C the one just read. A unit fed from B is followed by the rest of B and all of C, so every
// recogniser can read at least one chunk past the unit it is given.
bool runDeepScan(ChunkReader& reader, FilterRegistry& registry, ProgressWindow& window, DriveFileList& list,
                 FileEntry& root, std::uint64_t first, std::uint64_t last) {
  LOG_Write(g_logAPP, INFO, u"DeepScan(handle=%d): 扫描单元 %I64d 至 %I64d", root.handle, first, last);
  const ScanTime time = takeScanTime();
  const std::uint64_t unitSize = reader.unitSize();
  const std::uint64_t perChunk = reader.unitsPerChunk();
  const std::size_t chunkBytes = static_cast<std::size_t>(unitSize * perChunk);
  std::vector<std::uint8_t> buffer(3 * chunkBytes, 0);
  std::uint8_t* partB = buffer.data() + chunkBytes;
  std::uint8_t* partC = buffer.data() + 2 * chunkBytes;
  registry.ResetAll();

  const std::uint64_t length = last > first ? last - first : 0;
  std::uint64_t p = 0;
  std::uint64_t steps = 0;
  bool havePrevious = false, previousValid = false;
  std::uint64_t previousP = 0, previousM = 0;
  while (p <= length) {
    std::memmove(buffer.data(), partB, 2 * chunkBytes);
    ++steps;
    std::uint64_t m = std::min(perChunk, length - p);
    bool valid = false;
    if (p < length) valid = reader.readChunk(first + p, static_cast<std::uint32_t>(m), partC);
    if (havePrevious) {
      for (std::uint64_t j = 0; j < previousM; ++j)
        registry.Feed(first + previousP + j, previousValid ? partB + j * unitSize : nullptr,
                      static_cast<std::uint32_t>(unitSize));
    }
    havePrevious = true;
    previousValid = valid;
    previousP = p;
    previousM = m;
    p += p < length ? m : 1;
    if (steps % kStepsPerProgressPoint == 0) {
      window.setPosition(static_cast<int>(length ? std::min(p, length) * 100 / length : 100));
      window.pumpAllMessages();
      if (window.cancelled()) break;
    }
  }
  collectResults(registry, list, root, time);
  registry.ResetAll();
  return true;
}

}  // namespace tarvosk
