#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/CodePage.h"
#include "platform/DeviceObject.h"
#include "platform/DriveTable.h"
#include "platform/HostFiles.h"
#include "platform/KernelObject.h"
#include "platform/PathNames.h"
#include "platform/VolumeProbe.h"
#include "platform/VolumeServices.h"
#include "platform/Win9x.h"

namespace tarvosk {

namespace {

BOOL timesOf(const VolumeFileInfo& info, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
  if (creation) *creation = info.creationTime;
  if (lastAccess) *lastAccess = info.lastAccessTime;
  if (lastWrite) *lastWrite = info.lastWriteTime;
  return TRUE;
}

// A file inside a volume, open for reading.
class VolumeFileObject : public PositionedObject {
 public:
  VolumeFileObject(std::unique_ptr<VolumeFileReader> reader, VolumeFileInfo info)
      : reader_(std::move(reader)), info_(std::move(info)) {}
  BOOL read(void* buffer, DWORD length, DWORD* bytesRead) override {
    if (bytesRead) *bytesRead = 0;
    DWORD got = 0;
    if (position_ < reader_->size()) {
      if (DWORD error = reader_->read(position_, buffer, length, got); error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
      }
    }
    position_ += got;
    if (bytesRead) *bytesRead = got;
    return TRUE;
  }
  BOOL size(std::uint64_t& out) override {
    out = reader_->size();
    return TRUE;
  }
  BOOL times(FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) override {
    return timesOf(info_, creation, lastAccess, lastWrite);
  }

 private:
  std::unique_ptr<VolumeFileReader> reader_;
  VolumeFileInfo info_;
};

// A folder opened with backup semantics: it has times and nothing to read.
class FolderObject : public KernelObject {
 public:
  explicit FolderObject(VolumeFileInfo info) : info_(std::move(info)) {}
  BOOL times(FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) override {
    return timesOf(info_, creation, lastAccess, lastWrite);
  }

 private:
  VolumeFileInfo info_;
};

class FindObject : public KernelObject {
 public:
  explicit FindObject(std::vector<VolumeFileInfo> matches) : matches_(std::move(matches)) {}
  // The first match was handed out by FindFirstFileW.
  BOOL findNext(WIN32_FIND_DATAW* data) override;

 private:
  std::vector<VolumeFileInfo> matches_;
  std::size_t next_ = 1;
};

class Vwin32Object : public KernelObject {
 public:
  BOOL control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) override {
    if (returned) *returned = 0;
    const Vwin32Handler& handler = vwin32Handler();
    if (!handler || !in || inSize < sizeof(DIOC_REGISTERS) || !out || outSize < sizeof(DIOC_REGISTERS)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    DIOC_REGISTERS regs{};
    std::memcpy(&regs, in, sizeof regs);
    BOOL ok = handler(code, regs);
    std::memcpy(out, &regs, sizeof regs);
    if (returned) *returned = sizeof regs;
    return ok;
  }
};

void fillFindData(const VolumeFileInfo& info, WIN32_FIND_DATAW* data) {
  std::memset(data, 0, sizeof *data);
  data->dwFileAttributes = info.attributes;
  data->ftCreationTime = info.creationTime;
  data->ftLastAccessTime = info.lastAccessTime;
  data->ftLastWriteTime = info.lastWriteTime;
  data->nFileSizeHigh = static_cast<DWORD>(info.size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(info.size);
  std::size_t n = std::min<std::size_t>(info.name.size(), MAX_PATH - 1);
  std::copy_n(info.name.begin(), n, data->cFileName);
  std::size_t s = std::min<std::size_t>(info.shortName.size(), 13);
  std::copy_n(info.shortName.begin(), s, data->cAlternateFileName);
}

BOOL FindObject::findNext(WIN32_FIND_DATAW* data) {
  if (next_ >= matches_.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  fillFindData(matches_[next_++], data);
  return TRUE;
}

HANDLE fail(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

BOOL failBool(DWORD error) {
  SetLastError(error);
  return FALSE;
}

HANDLE openVolume(WCHAR letter) {
  LogicalDriveRecord drive;
  if (!lookupLogicalDrive(letter, drive)) return fail(ERROR_FILE_NOT_FOUND);
  if (drive.info.length == 0) return fail(ERROR_NOT_READY);
  PhysicalDriveRecord disk;
  lookupPhysicalDrive(drive.info.physicalDrive, disk);
  DeviceWindow window;
  window.offset = drive.info.offset;
  window.length = drive.info.length;
  window.partitionNumber = drive.info.partitionNumber;
  window.partitionType = drive.info.partitionType;
  window.recognized = drive.info.fileSystem != FileSystemKind::None;
  window.removable = drive.info.removable;
  window.model = disk.info.model;
  SetLastError(ERROR_SUCCESS);
  return registerObject(std::make_shared<DeviceObject>(drive.source, window));
}

HANDLE openPhysicalDrive(int number) {
  PhysicalDriveRecord disk;
  if (!lookupPhysicalDrive(number, disk)) return fail(ERROR_FILE_NOT_FOUND);
  DeviceWindow window;
  window.length = disk.info.sizeBytes;
  window.partitionType = disk.bareVolumeType;
  window.recognized = disk.bareVolume != FileSystemKind::None;
  window.removable = disk.info.removable;
  window.model = disk.info.model;
  SetLastError(ERROR_SUCCESS);
  return registerObject(std::make_shared<DeviceObject>(disk.source, window));
}

// Files inside volumes are read-only: the program never changes a disk it reads.
HANDLE openDrivePath(const ParsedPath& p, DWORD access, DWORD disposition, DWORD flags) {
  if ((access & GENERIC_WRITE) || disposition != OPEN_EXISTING) return fail(ERROR_ACCESS_DENIED);
  DWORD error = ERROR_SUCCESS;
  MountedVolume* volume = mountedVolume(p.letter, error);
  if (!volume) return fail(error);
  VolumeFileInfo info;
  if (p.inner.empty()) {
    info.attributes = FILE_ATTRIBUTE_DIRECTORY;
  } else if ((error = volume->stat(p.inner, info)) != ERROR_SUCCESS) {
    return fail(error);
  }
  if (info.attributes & FILE_ATTRIBUTE_DIRECTORY) {
    if (!(flags & FILE_FLAG_BACKUP_SEMANTICS)) return fail(ERROR_ACCESS_DENIED);
    return registerObject(std::make_shared<FolderObject>(info));
  }
  std::unique_ptr<VolumeFileReader> reader;
  if ((error = volume->open(p.inner, reader)) != ERROR_SUCCESS) return fail(error);
  SetLastError(ERROR_SUCCESS);
  return registerObject(std::make_shared<VolumeFileObject>(std::move(reader), info));
}

std::string lastComponent(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isBlockDevicePath(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISBLK(st.st_mode);
}

// Nothing opened for writing may reach an attached source, nor any block device at all.
bool touchesSource(const std::string& hostPath) { return isAttachedSource(hostPath) || isBlockDevicePath(hostPath); }

HANDLE openHostFile(const std::string& path, DWORD access, DWORD disposition, DWORD flags) {
  bool wantRead = (access & GENERIC_READ) != 0 || (access & GENERIC_WRITE) == 0;
  bool wantWrite = (access & GENERIC_WRITE) != 0;
  bool creates = disposition == CREATE_NEW || disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
  bool truncates = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return fail(ERROR_INVALID_PARAMETER);
  if (disposition == TRUNCATE_EXISTING && !wantWrite) return fail(ERROR_INVALID_PARAMETER);
  if (path.empty()) return fail(ERROR_PATH_NOT_FOUND);
  if (creates && hasInvalidNameCharacters(utf8ToUtf16(lastComponent(path)))) return fail(ERROR_INVALID_NAME);
  // CREATE_NEW opens with O_EXCL, which fails on anything that exists (a symbolic link too): a
  // file it creates is neither a source nor a device, so its checks wait for that failure.
  bool createsOnly = disposition == CREATE_NEW;
  if ((wantWrite || truncates) && !createsOnly && touchesSource(path)) return fail(ERROR_ACCESS_DENIED);

  struct stat before {};
  bool existed = !createsOnly && stat(path.c_str(), &before) == 0;
  if (existed && S_ISDIR(before.st_mode)) {
    if (disposition == CREATE_NEW) return fail(ERROR_FILE_EXISTS);
    if (!(flags & FILE_FLAG_BACKUP_SEMANTICS) || wantWrite) return fail(ERROR_ACCESS_DENIED);
    VolumeFileInfo info;
    if (DWORD error = statHostFile(path, info); error != ERROR_SUCCESS) return fail(error);
    return registerObject(std::make_shared<FolderObject>(info));
  }

  int mode = wantWrite ? (wantRead && (access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
  int oflags = mode | O_CLOEXEC;
  switch (disposition) {
    case CREATE_NEW: oflags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: oflags |= O_CREAT | O_TRUNC; break;
    case OPEN_ALWAYS: oflags |= O_CREAT; break;
    case TRUNCATE_EXISTING: oflags |= O_TRUNC; break;
    default: break;
  }
  mode_t perms = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  int fd = ::open(path.c_str(), oflags, perms);
  if (fd < 0) {
    if (errno == EEXIST && wantWrite && touchesSource(path)) return fail(ERROR_ACCESS_DENIED);
    if (errno == EEXIST) return fail(ERROR_FILE_EXISTS);
    if (errno == ENOENT || errno == ENOTDIR) return fail(missingPathError(path));
    return fail(win32ErrorFromErrno(errno));
  }
  // As Windows: CREATE_ALWAYS and OPEN_ALWAYS succeed on an existing file and say so.
  SetLastError(existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                         : ERROR_SUCCESS);
  DWORD keep = GetLastError();
  HANDLE h = registerObject(std::make_shared<HostFileObject>(fd, wantRead && (mode != O_WRONLY), wantWrite));
  SetLastError(keep);
  return h;
}

std::shared_ptr<KernelObject> objectOf(HANDLE h) {
  if (h == INVALID_HANDLE_VALUE || h == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return lookupObject(h);
}

// Splits a search path into its folder and the name pattern after the last separator.
void splitSearch(std::u16string_view path, std::u16string& folder, std::u16string& pattern) {
  auto cut = path.find_last_of(u"\\/");
  if (cut == std::u16string_view::npos) {
    folder.clear();
    pattern = path;
  } else {
    folder = path.substr(0, cut + 1);
    pattern = path.substr(cut + 1);
  }
}

bool hasWildcards(std::u16string_view s) { return s.find_first_of(u"*?") != std::u16string_view::npos; }

// The entries of a folder named by a drive path or a host path.
DWORD listFolder(std::u16string_view folder, std::vector<VolumeFileInfo>& out) {
  std::u16string f(folder);
  if (f.empty()) f = u".";
  ParsedPath p = parsePath(f);
  if (p.kind == PathKind::DrivePath) {
    DWORD error = ERROR_SUCCESS;
    MountedVolume* volume = mountedVolume(p.letter, error);
    if (!volume) return error;
    return volume->list(p.inner, out);
  }
  if (p.kind == PathKind::Host) return listHostFolder(p.host, out);
  return ERROR_PATH_NOT_FOUND;
}

}  // namespace

}  // namespace tarvosk

using namespace tarvosk;

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD, SECURITY_ATTRIBUTES*, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE) {
  if (!fileName) return fail(ERROR_INVALID_PARAMETER);
  ParsedPath p = parsePath(fileName);
  switch (p.kind) {
    case PathKind::Volume: return openVolume(p.letter);
    case PathKind::PhysicalDrive: return openPhysicalDrive(p.driveNumber);
    case PathKind::Vwin32:
      if (!vwin32Handler()) return fail(ERROR_FILE_NOT_FOUND);
      SetLastError(ERROR_SUCCESS);
      return registerObject(std::make_shared<Vwin32Object>());
    case PathKind::DrivePath: return openDrivePath(p, desiredAccess, creationDisposition, flagsAndAttributes);
    case PathKind::Host: return openHostFile(p.host, desiredAccess, creationDisposition, flagsAndAttributes);
    case PathKind::Invalid: break;
  }
  return fail(ERROR_INVALID_NAME);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, void*) {
  auto object = objectOf(file);
  if (!object) {
    if (bytesRead) *bytesRead = 0;
    return FALSE;
  }
  if (!buffer && bytesToRead) return failBool(ERROR_INVALID_PARAMETER);
  return object->read(buffer, bytesToRead, bytesRead);
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, void*) {
  auto object = objectOf(file);
  if (!object) {
    if (bytesWritten) *bytesWritten = 0;
    return FALSE;
  }
  if (!buffer && bytesToWrite) return failBool(ERROR_INVALID_PARAMETER);
  return object->write(buffer, bytesToWrite, bytesWritten);
}

DWORD SetFilePointer(HANDLE file, LONG distanceLow, PLONG distanceHigh, DWORD moveMethod) {
  auto object = objectOf(file);
  if (!object) return INVALID_SET_FILE_POINTER;
  std::int64_t distance = distanceHigh
      ? static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(*distanceHigh)) << 32) |
                                  static_cast<std::uint32_t>(distanceLow))
      : static_cast<std::int64_t>(distanceLow);
  std::uint64_t position = 0;
  if (!object->seek(distance, moveMethod, &position)) return INVALID_SET_FILE_POINTER;
  if (distanceHigh) *distanceHigh = static_cast<LONG>(position >> 32);
  SetLastError(ERROR_SUCCESS);  // a low part of 0xFFFFFFFF is then not a failure
  return static_cast<DWORD>(position);
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition, DWORD moveMethod) {
  auto object = objectOf(file);
  if (!object) return FALSE;
  std::uint64_t position = 0;
  if (!object->seek(distance.QuadPart, moveMethod, &position)) return FALSE;
  if (newPosition) newPosition->QuadPart = static_cast<LONGLONG>(position);
  return TRUE;
}

BOOL SetEndOfFile(HANDLE file) {
  auto object = objectOf(file);
  return object ? object->setEndOfFile() : FALSE;
}

BOOL FlushFileBuffers(HANDLE file) {
  auto object = objectOf(file);
  return object ? object->flush() : FALSE;
}

BOOL CloseHandle(HANDLE object) {
  if (object == INVALID_HANDLE_VALUE || object == nullptr) return failBool(ERROR_INVALID_HANDLE);
  return closeObject(object) ? TRUE : FALSE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  auto object = objectOf(file);
  std::uint64_t size = 0;
  if (!object || !object->size(size)) return 0xFFFFFFFF;
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size) {
  auto object = objectOf(file);
  std::uint64_t value = 0;
  if (!object || !object->size(value)) return FALSE;
  if (size) size->QuadPart = static_cast<LONGLONG>(value);
  return TRUE;
}

BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
  auto object = objectOf(file);
  return object ? object->times(creation, lastAccess, lastWrite) : FALSE;
}

BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite) {
  auto object = objectOf(file);
  return object ? object->setTimes(creation, lastAccess, lastWrite) : FALSE;
}

BOOL DeviceIoControl(HANDLE device, DWORD controlCode, LPVOID inBuffer, DWORD inSize, LPVOID outBuffer, DWORD outSize,
                     LPDWORD bytesReturned, void*) {
  auto object = objectOf(device);
  if (!object) return FALSE;
  return object->control(controlCode, inBuffer, inSize, outBuffer, outSize, bytesReturned);
}

BOOL DeleteFileW(LPCWSTR fileName) {
  if (!fileName) return failBool(ERROR_INVALID_PARAMETER);
  ParsedPath p = parsePath(fileName);
  if (p.kind != PathKind::Host) return failBool(ERROR_ACCESS_DENIED);
  if (touchesSource(p.host)) return failBool(ERROR_ACCESS_DENIED);
  struct stat st {};
  if (lstat(p.host.c_str(), &st) != 0) return failBool(missingPathError(p.host));
  if (S_ISDIR(st.st_mode)) return failBool(ERROR_ACCESS_DENIED);
  if (unlink(p.host.c_str()) != 0) return failBool(win32ErrorFromErrno(errno));
  return TRUE;
}

BOOL CreateDirectoryW(LPCWSTR pathName, SECURITY_ATTRIBUTES*) {
  if (!pathName) return failBool(ERROR_INVALID_PARAMETER);
  ParsedPath p = parsePath(pathName);
  if (p.kind == PathKind::DrivePath) return failBool(ERROR_ACCESS_DENIED);
  if (p.kind != PathKind::Host) return failBool(ERROR_INVALID_NAME);
  std::string path = p.host;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (hasInvalidNameCharacters(utf8ToUtf16(lastComponent(path)))) return failBool(ERROR_INVALID_NAME);
  if (mkdir(path.c_str(), 0777) != 0) {
    if (errno == EEXIST) return failBool(ERROR_ALREADY_EXISTS);
    if (errno == ENOENT || errno == ENOTDIR) return failBool(ERROR_PATH_NOT_FOUND);
    return failBool(win32ErrorFromErrno(errno));
  }
  return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR pathName) {
  if (!pathName) return failBool(ERROR_INVALID_PARAMETER);
  ParsedPath p = parsePath(pathName);
  if (p.kind != PathKind::Host) return failBool(ERROR_ACCESS_DENIED);
  if (rmdir(p.host.c_str()) != 0) {
    if (errno == ENOENT) return failBool(missingPathError(p.host));
    if (errno == ENOTDIR) return failBool(ERROR_DIRECTORY);
    return failBool(win32ErrorFromErrno(errno));
  }
  return TRUE;
}

// Copies the data and the last write time. A copy that fails part-way leaves no target behind.
BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists) {
  if (!existingFileName || !newFileName) return failBool(ERROR_INVALID_PARAMETER);
  ParsedPath from = parsePath(existingFileName);
  ParsedPath to = parsePath(newFileName);
  if (to.kind == PathKind::Host && from.kind == PathKind::Host) {
    struct stat a {}, b {};
    if (stat(from.host.c_str(), &a) == 0 && stat(to.host.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
        a.st_ino == b.st_ino)
      return failBool(ERROR_SHARING_VIOLATION);
  }
  HANDLE in = CreateFileW(existingFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return FALSE;
  HANDLE out = CreateFileW(newFileName, GENERIC_WRITE, 0, nullptr, failIfExists ? CREATE_NEW : CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    CloseHandle(in);
    return failBool(error);
  }
  std::vector<std::uint8_t> buffer(1 << 20);
  DWORD error = ERROR_SUCCESS;
  for (;;) {
    DWORD got = 0, put = 0;
    if (!ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
      error = GetLastError();
      break;
    }
    if (got == 0) break;
    if (!WriteFile(out, buffer.data(), got, &put, nullptr)) {
      error = GetLastError();
      break;
    }
  }
  FILETIME written{};
  if (error == ERROR_SUCCESS && GetFileTime(in, nullptr, nullptr, &written)) SetFileTime(out, nullptr, nullptr, &written);
  CloseHandle(in);
  CloseHandle(out);
  if (error != ERROR_SUCCESS) {
    DeleteFileW(newFileName);
    return failBool(error);
  }
  return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR fileName) {
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_ATTRIBUTES;
  }
  ParsedPath p = parsePath(fileName);
  VolumeFileInfo info;
  DWORD error = ERROR_INVALID_NAME;
  if (p.kind == PathKind::Host) {
    error = statHostFile(p.host, info);
  } else if (p.kind == PathKind::DrivePath) {
    MountedVolume* volume = mountedVolume(p.letter, error);
    if (volume && p.inner.empty()) return FILE_ATTRIBUTE_DIRECTORY;
    if (volume) error = volume->stat(p.inner, info);
  }
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return INVALID_FILE_ATTRIBUTES;
  }
  return info.attributes;
}

HANDLE FindFirstFileW(LPCWSTR fileName, WIN32_FIND_DATAW* findData) {
  if (!fileName || !findData) return fail(ERROR_INVALID_PARAMETER);
  std::u16string folder, pattern;
  splitSearch(fileName, folder, pattern);
  if (pattern.empty()) return fail(ERROR_FILE_NOT_FOUND);
  std::vector<VolumeFileInfo> entries;
  if (DWORD error = listFolder(folder, entries); error != ERROR_SUCCESS) return fail(error);
  std::vector<VolumeFileInfo> matches;
  for (VolumeFileInfo& e : entries) {
    bool match = hasWildcards(pattern)
        ? matchesWildcard(pattern, e.name) || (!e.shortName.empty() && matchesWildcard(pattern, e.shortName))
        : equalsIgnoreCase(pattern, e.name) || equalsIgnoreCase(pattern, e.shortName);
    if (match) matches.push_back(std::move(e));
  }
  if (matches.empty()) return fail(ERROR_FILE_NOT_FOUND);
  fillFindData(matches.front(), findData);
  SetLastError(ERROR_SUCCESS);
  return registerObject(std::make_shared<FindObject>(std::move(matches)));
}

BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData) {
  auto object = objectOf(find);
  if (!object) return FALSE;
  if (!findData) return failBool(ERROR_INVALID_PARAMETER);
  return object->findNext(findData);
}

BOOL FindClose(HANDLE find) { return CloseHandle(find); }
