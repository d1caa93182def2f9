#include "platform/HostFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/CodePage.h"
#include "platform/Time.h"

namespace tarvosk {

namespace {

FILETIME toFileTime(const timespec& ts) { return fileTimeFromUnix(ts.tv_sec, static_cast<std::uint32_t>(ts.tv_nsec)); }

timespec toTimespec(const FILETIME& ft) {
  std::uint64_t ticks = fileTimeValue(ft);
  timespec ts{};
  ts.tv_sec = unixSecondsFromFileTime(ft);
  ts.tv_nsec = static_cast<long>((ticks % 10000000ull) * 100);
  return ts;
}

void fillInfo(const std::string& name, const struct stat& st, VolumeFileInfo& out) {
  out.name = utf8ToUtf16(name);
  out.shortName.clear();
  out.attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if ((st.st_mode & 0222) == 0) out.attributes |= FILE_ATTRIBUTE_READONLY;
  out.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
  out.creationTime = toFileTime(st.st_ctim);
  out.lastAccessTime = toFileTime(st.st_atim);
  out.lastWriteTime = toFileTime(st.st_mtim);
}

std::string baseName(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  auto slash = p.find_last_of('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

class HostFileReader : public VolumeFileReader {
 public:
  HostFileReader(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  ~HostFileReader() override { ::close(fd_); }
  std::uint64_t size() const override { return size_; }
  DWORD read(std::uint64_t offset, void* buffer, DWORD length, DWORD& bytesRead) override {
    bytesRead = 0;
    while (bytesRead < length) {
      ssize_t got = pread(fd_, static_cast<char*>(buffer) + bytesRead, length - bytesRead,
                          static_cast<off_t>(offset + bytesRead));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return win32ErrorFromErrno(errno);
      if (got == 0) break;
      bytesRead += static_cast<DWORD>(got);
    }
    return ERROR_SUCCESS;
  }

 private:
  int fd_;
  std::uint64_t size_;
};

}  // namespace

HostFileObject::~HostFileObject() { ::close(fd_); }

BOOL HostFileObject::read(void* buffer, DWORD length, DWORD* bytesRead) {
  if (bytesRead) *bytesRead = 0;
  if (!canRead_) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DWORD done = 0;
  while (done < length) {
    ssize_t got = pread(fd_, static_cast<char*>(buffer) + done, length - done, static_cast<off_t>(position_ + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      setLastErrorFromErrno();
      return FALSE;
    }
    if (got == 0) break;  // end of file: a short read, as Windows gives it
    done += static_cast<DWORD>(got);
  }
  position_ += done;
  if (bytesRead) *bytesRead = done;
  return TRUE;
}

BOOL HostFileObject::write(const void* buffer, DWORD length, DWORD* bytesWritten) {
  if (bytesWritten) *bytesWritten = 0;
  if (!canWrite_) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DWORD done = 0;
  while (done < length) {
    ssize_t put = pwrite(fd_, static_cast<const char*>(buffer) + done, length - done, static_cast<off_t>(position_ + done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      position_ += done;
      if (bytesWritten) *bytesWritten = done;
      if (put == 0) SetLastError(ERROR_DISK_FULL);
      else setLastErrorFromErrno();
      return FALSE;
    }
    done += static_cast<DWORD>(put);
  }
  position_ += done;
  if (bytesWritten) *bytesWritten = done;
  return TRUE;
}

BOOL HostFileObject::setEndOfFile() {
  if (!canWrite_) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (ftruncate(fd_, static_cast<off_t>(position_)) != 0) {
    setLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}

BOOL HostFileObject::flush() {
  if (canWrite_ && fsync(fd_) != 0) {
    setLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}

BOOL HostFileObject::size(std::uint64_t& out) {
  struct stat st {};
  if (fstat(fd_, &st) != 0) {
    setLastErrorFromErrno();
    return FALSE;
  }
  out = static_cast<std::uint64_t>(st.st_size);
  return TRUE;
}

BOOL HostFileObject::times(FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
  struct stat st {};
  if (fstat(fd_, &st) != 0) {
    setLastErrorFromErrno();
    return FALSE;
  }
  if (creation) *creation = toFileTime(st.st_ctim);
  if (lastAccess) *lastAccess = toFileTime(st.st_atim);
  if (lastWrite) *lastWrite = toFileTime(st.st_mtim);
  return TRUE;
}

BOOL HostFileObject::setTimes(const FILETIME*, const FILETIME* lastAccess, const FILETIME* lastWrite) {
  if (!canWrite_) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  timespec ts[2];
  ts[0].tv_nsec = UTIME_OMIT;
  ts[1].tv_nsec = UTIME_OMIT;
  if (lastAccess) ts[0] = toTimespec(*lastAccess);
  if (lastWrite) ts[1] = toTimespec(*lastWrite);
  if (futimens(fd_, ts) != 0) {
    setLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}

DWORD missingPathError(const std::string& hostPath) {
  std::string p = hostPath;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  auto slash = p.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : p.substr(0, slash));
  struct stat st {};
  return (stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

DWORD statHostFile(const std::string& hostPath, VolumeFileInfo& out) {
  struct stat st {};
  if (stat(hostPath.c_str(), &st) != 0) {
    return (errno == ENOENT || errno == ENOTDIR) ? missingPathError(hostPath) : win32ErrorFromErrno(errno);
  }
  fillInfo(baseName(hostPath), st, out);
  return ERROR_SUCCESS;
}

DWORD listHostFolder(const std::string& hostPath, std::vector<VolumeFileInfo>& out) {
  out.clear();
  std::string folder = hostPath.empty() ? "." : hostPath;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : win32ErrorFromErrno(errno);
  while (dirent* e = readdir(dir)) {
    struct stat st {};
    if (fstatat(dirfd(dir), e->d_name, &st, 0) != 0) continue;  // a dangling link
    VolumeFileInfo info;
    fillInfo(e->d_name, st, info);
    out.push_back(std::move(info));
  }
  closedir(dir);
  return ERROR_SUCCESS;
}

DWORD openHostFileReader(const std::string& hostPath, std::unique_ptr<VolumeFileReader>& out) {
  int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? missingPathError(hostPath) : win32ErrorFromErrno(errno);
  struct stat st {};
  fstat(fd, &st);
  out = std::make_unique<HostFileReader>(fd, static_cast<std::uint64_t>(st.st_size));
  return ERROR_SUCCESS;
}

}  // namespace tarvosk
