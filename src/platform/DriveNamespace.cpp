#include "platform/DriveNamespace.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include <algorithm>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/DriveTable.h"
#include "platform/PartitionTable.h"
#include "platform/PathNames.h"
#include "platform/VolumeProbe.h"
#include "platform/WinError.h"

namespace tarvosk {

namespace {

constexpr WCHAR kFirstLetter = u'C';
constexpr WCHAR kLastLetter = u'Z';

struct NamespaceState {
  std::mutex mutex;
  std::vector<PhysicalDriveRecord> physical;
  std::vector<LogicalDriveRecord> logical;
  std::uint64_t generation = 0;
};

NamespaceState& state() {
  static NamespaceState* s = new NamespaceState;
  return *s;
}

WCHAR nextFreeLetter(const NamespaceState& s) {
  for (WCHAR c = kFirstLetter; c <= kLastLetter; ++c) {
    bool taken = std::any_of(s.logical.begin(), s.logical.end(),
                             [c](const LogicalDriveRecord& r) { return r.info.letter == c; });
    if (!taken) return c;
  }
  return 0;
}

int nextFreeNumber(const NamespaceState& s) {
  for (int n = 0; n < kMaxPhysicalDrives; ++n) {
    bool taken = std::any_of(s.physical.begin(), s.physical.end(),
                             [n](const PhysicalDriveRecord& r) { return r.info.number == n; });
    if (!taken) return n;
  }
  return -1;
}

// A volume found on a source, before it gets a letter.
struct FoundVolume {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  std::uint8_t type = 0;
  std::uint32_t number = 0;
  FileSystemKind fileSystem = FileSystemKind::None;
};

FileSystemKind probeAt(const DiskSource& source, std::uint64_t offset) {
  std::vector<std::uint8_t> sector(std::max<std::uint32_t>(512, source.sectorSize()));
  if (source.read(offset, sector.data(), sector.size()) != ERROR_SUCCESS) return FileSystemKind::None;
  return probeFileSystem(sector);
}

std::vector<FoundVolume> findVolumes(const DiskSource& source, PartitionTableKind& kind) {
  std::uint32_t sectorSize = source.sectorSize();
  std::uint64_t totalSectors = source.size() / sectorSize;
  SectorReader reader = [&source, sectorSize](std::uint64_t lba, std::uint32_t count, std::vector<std::uint8_t>& out) {
    out.assign(static_cast<std::size_t>(count) * sectorSize, 0);
    return source.read(lba * sectorSize, out.data(), out.size()) == ERROR_SUCCESS;
  };
  PartitionTable table = readPartitionTable(reader, totalSectors, sectorSize);
  kind = table.kind;
  std::vector<FoundVolume> volumes;
  if (table.kind == PartitionTableKind::None) {
    FileSystemKind fs = probeAt(source, 0);
    if (fs != FileSystemKind::None)
      volumes.push_back({0, source.size(), partitionTypeFor(fs, 0, totalSectors), 0, fs});
    return volumes;
  }
  for (const PartitionEntry& p : table.partitions) {
    FoundVolume v;
    v.offset = p.firstSector * sectorSize;
    v.length = p.sectorCount * sectorSize;
    v.number = p.number;
    v.fileSystem = probeAt(source, v.offset);
    if (table.kind == PartitionTableKind::Mbr) {
      v.type = p.mbrType;
      if (v.fileSystem == FileSystemKind::None && !isFatOrNtfsPartitionType(p.mbrType)) continue;
    } else {
      v.type = partitionTypeFor(v.fileSystem, p.firstSector, p.sectorCount);
      if (v.fileSystem == FileSystemKind::None && !p.basicData) continue;
    }
    volumes.push_back(v);
  }
  return volumes;
}

// Host mount points by block device number ("8:1"), from the kernel's mount table.
std::map<std::string, std::string> hostMountPoints() {
  std::map<std::string, std::string> mounts;
  std::ifstream in("/proc/self/mountinfo");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string id, parent, device, root, mountPoint;
    if (fields >> id >> parent >> device >> root >> mountPoint) mounts.emplace(device, mountPoint);
  }
  return mounts;
}

std::string readLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

// The host mount point of the volume at offset on a block device, if the host mounted it.
std::string mountPointOf(const std::string& devicePath, std::uint64_t offset,
                         const std::map<std::string, std::string>& mounts) {
  struct stat st {};
  if (stat(devicePath.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) return {};
  std::string sys = "/sys/dev/block/" + std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev));
  if (offset == 0) {
    auto it = mounts.find(readLine(sys + "/dev"));
    if (it != mounts.end()) return it->second;
  }
  DIR* dir = opendir(sys.c_str());
  if (!dir) return {};
  std::string found;
  while (dirent* e = readdir(dir)) {
    std::string part = sys + "/" + e->d_name;
    std::string start = readLine(part + "/start");
    if (start.empty() || readLine(part + "/partition").empty()) continue;
    if (std::stoull(start) * 512 != offset) continue;
    auto it = mounts.find(readLine(part + "/dev"));
    if (it != mounts.end()) found = it->second;
  }
  closedir(dir);
  return found;
}

bool attachSource(std::shared_ptr<DiskSource> source, bool removable, AttachResult* result) {
  NamespaceState& s = state();
  PartitionTableKind kind = PartitionTableKind::None;
  std::vector<FoundVolume> volumes = findVolumes(*source, kind);
  std::map<std::string, std::string> mounts;
  if (source->isBlockDevice()) mounts = hostMountPoints();

  std::lock_guard lock(s.mutex);
  int number = nextFreeNumber(s);
  if (number < 0) {
    SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    return false;
  }
  PhysicalDriveRecord drive;
  drive.source = source;
  drive.info.number = number;
  drive.info.sourcePath = source->path();
  drive.info.model = source->model();
  drive.info.sizeBytes = source->size();
  drive.info.sectorSize = source->sectorSize();
  drive.info.removable = removable;
  drive.info.partitioned = kind != PartitionTableKind::None;
  if (kind == PartitionTableKind::None && !volumes.empty()) {
    drive.bareVolume = volumes.front().fileSystem;
    drive.bareVolumeType = volumes.front().type;
  }
  s.physical.push_back(drive);
  if (result) {
    result->physicalDrive = number;
    result->letters.clear();
  }

  // An empty removable drive (a card reader without a card) still shows its letter.
  if (volumes.empty() && removable && source->size() == 0) volumes.push_back(FoundVolume{});
  for (const FoundVolume& v : volumes) {
    WCHAR letter = nextFreeLetter(s);
    if (letter == 0) break;
    LogicalDriveRecord record;
    record.source = source;
    record.info.letter = letter;
    record.info.physicalDrive = number;
    record.info.offset = v.offset;
    record.info.length = v.length;
    record.info.partitionType = v.type;
    record.info.partitionNumber = v.number;
    record.info.fileSystem = v.fileSystem;
    record.info.removable = removable;
    if (source->isBlockDevice()) record.info.mountPoint = mountPointOf(source->path(), v.offset, mounts);
    s.logical.push_back(record);
    if (result) result->letters.push_back(letter);
  }
  return true;
}

}  // namespace

bool attachImage(const std::string& path, const AttachOptions& options, AttachResult* result) {
  DWORD error = ERROR_SUCCESS;
  std::shared_ptr<DiskSource> source = DiskSource::open(path, error);
  if (!source) {
    SetLastError(error);
    return false;
  }
  source->setBadSectors(options.badSectors);
  bool removable = options.removable || source->reportsRemovable();
  return attachSource(std::move(source), removable, result);
}

int attachBlockDevices(std::vector<DeviceFailure>* failures) {
  std::vector<std::string> names;
  if (DIR* dir = opendir("/sys/block")) {
    while (dirent* e = readdir(dir)) {
      std::string name = e->d_name;
      if (name.empty() || name[0] == '.') continue;
      for (const char* skipped : {"loop", "ram", "zram", "sr", "fd", "nbd"})
        if (name.rfind(skipped, 0) == 0) name.clear();
      if (!name.empty()) names.push_back(name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  // A second call (a device arrived) attaches only the devices not attached yet.
  std::vector<std::string> known;
  for (const PhysicalDriveInfo& p : physicalDrives()) known.push_back(p.sourcePath);
  int attached = 0;
  for (const std::string& name : names) {
    if (std::find(known.begin(), known.end(), "/dev/" + name) != known.end()) continue;
    DWORD error = ERROR_SUCCESS;
    std::shared_ptr<DiskSource> source = DiskSource::open("/dev/" + name, error);
    if (!source) {
      if (failures) failures->push_back({"/dev/" + name, error});
      continue;
    }
    if (source->size() == 0 && !source->reportsRemovable()) continue;
    if (attachSource(source, source->reportsRemovable(), nullptr)) ++attached;
  }
  return attached;
}

void detachAll() {
  NamespaceState& s = state();
  std::lock_guard lock(s.mutex);
  s.physical.clear();
  s.logical.clear();
  ++s.generation;
}

std::vector<LogicalDriveInfo> logicalDrives() {
  NamespaceState& s = state();
  std::lock_guard lock(s.mutex);
  std::vector<LogicalDriveInfo> out;
  for (const LogicalDriveRecord& r : s.logical) out.push_back(r.info);
  std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.letter < b.letter; });
  return out;
}

std::vector<PhysicalDriveInfo> physicalDrives() {
  NamespaceState& s = state();
  std::lock_guard lock(s.mutex);
  std::vector<PhysicalDriveInfo> out;
  for (const PhysicalDriveRecord& r : s.physical) out.push_back(r.info);
  std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
  return out;
}

bool findLogicalDrive(WCHAR letter, LogicalDriveInfo& out) {
  LogicalDriveRecord record;
  if (!lookupLogicalDrive(letter, record)) return false;
  out = record.info;
  return true;
}

bool findPhysicalDrive(int number, PhysicalDriveInfo& out) {
  PhysicalDriveRecord record;
  if (!lookupPhysicalDrive(number, record)) return false;
  out = record.info;
  return true;
}

bool lookupPhysicalDrive(int number, PhysicalDriveRecord& out) {
  NamespaceState& s = state();
  std::lock_guard lock(s.mutex);
  for (const PhysicalDriveRecord& r : s.physical) {
    if (r.info.number == number) {
      out = r;
      return true;
    }
  }
  return false;
}

bool lookupLogicalDrive(WCHAR letter, LogicalDriveRecord& out) {
  if (letter >= u'a' && letter <= u'z') letter = static_cast<WCHAR>(letter - u'a' + u'A');
  NamespaceState& s = state();
  std::lock_guard lock(s.mutex);
  for (const LogicalDriveRecord& r : s.logical) {
    if (r.info.letter == letter) {
      out = r;
      return true;
    }
  }
  return false;
}

WCHAR driveLetterHoldingPath(std::u16string_view path) {
  ParsedPath parsed = parsePath(path);
  LogicalDriveInfo drive;
  if (parsed.kind == PathKind::Volume || parsed.kind == PathKind::DrivePath)
    return findLogicalDrive(parsed.letter, drive) ? parsed.letter : 0;
  if (parsed.kind != PathKind::Host || parsed.host.empty()) return 0;
  // The nearest folder of the path that exists, with its links and ".." resolved.
  std::string host = parsed.host;
  if (host[0] != '/') {
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return 0;
    host = std::string(cwd) + "/" + host;
  }
  char resolved[PATH_MAX];
  while (!realpath(host.c_str(), resolved)) {
    std::size_t slash = host.find_last_of('/');
    if (slash == std::string::npos || slash == 0) {
      host = "/";
      if (!realpath(host.c_str(), resolved)) return 0;
      break;
    }
    host.resize(slash);
  }
  // The deepest mount point that holds it decides (a drive mounted inside another's tree).
  const std::string inside = resolved;
  WCHAR letter = 0;
  std::size_t depth = 0;
  for (const LogicalDriveInfo& d : logicalDrives()) {
    const std::string& mount = d.mountPoint;
    if (mount.empty() || mount.size() < depth) continue;
    bool holds = inside == mount || (inside.compare(0, mount.size(), mount) == 0 &&
                                     (mount.back() == '/' || inside[mount.size()] == '/'));
    if (holds) {
      letter = d.letter;
      depth = mount.size();
    }
  }
  return letter;
}

bool isAttachedSource(const std::string& path) {
  NamespaceState& s = state();
  std::lock_guard lock(s.mutex);
  return std::any_of(s.physical.begin(), s.physical.end(),
                     [&path](const PhysicalDriveRecord& r) { return r.source->isSameFile(path); });
}

std::uint64_t namespaceGeneration() {
  NamespaceState& s = state();
  std::lock_guard lock(s.mutex);
  return s.generation;
}

}  // namespace tarvosk

namespace {

WCHAR driveLetterOf(LPCWSTR rootPath) {
  if (!rootPath || !rootPath[0] || rootPath[1] != u':') return 0;
  WCHAR c = rootPath[0];
  if (c >= u'a' && c <= u'z') c = static_cast<WCHAR>(c - u'a' + u'A');
  return (c >= u'A' && c <= u'Z') ? c : 0;
}

}  // namespace

DWORD GetLogicalDrives() {
  DWORD mask = 0;
  for (const tarvosk::LogicalDriveInfo& d : tarvosk::logicalDrives()) mask |= 1u << (d.letter - u'A');
  return mask;
}

DWORD GetLogicalDriveStringsW(DWORD bufferLength, LPWSTR buffer) {
  std::u16string all;
  for (const tarvosk::LogicalDriveInfo& d : tarvosk::logicalDrives()) {
    all += d.letter;
    all += u":\\";
    all += u'\0';
  }
  // The list ends with one more terminator; the count leaves it out.
  DWORD needed = static_cast<DWORD>(all.size() + 1);
  if (!buffer || bufferLength < needed) return needed;
  std::copy(all.begin(), all.end(), buffer);
  buffer[all.size()] = u'\0';
  return static_cast<DWORD>(all.size());
}

UINT GetDriveTypeW(LPCWSTR rootPath) {
  WCHAR letter = driveLetterOf(rootPath);
  tarvosk::LogicalDriveInfo info;
  if (letter == 0 || !tarvosk::findLogicalDrive(letter, info)) return DRIVE_NO_ROOT_DIR;
  return info.removable ? DRIVE_REMOVABLE : DRIVE_FIXED;
}
