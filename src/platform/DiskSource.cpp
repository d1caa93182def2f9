#include "platform/DiskSource.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/WinError.h"

namespace tarvosk {

namespace {

// The window of a run of sequential reads, and the largest read that takes part in one.
constexpr std::uint64_t kReadAheadBytes = 256 * 1024;
constexpr std::size_t kLargestReadAheadRequest = 64 * 1024;

std::string readSysfsLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\n')) line.pop_back();
  return line;
}

std::string baseName(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::shared_ptr<DiskSource> DiskSource::open(const std::string& path, DWORD& error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = win32ErrorFromErrno(errno);
    return nullptr;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    error = win32ErrorFromErrno(errno);
    ::close(fd);
    return nullptr;
  }
  std::shared_ptr<DiskSource> source(new DiskSource);
  source->fd_ = fd;
  source->path_ = path;
  source->device_ = st.st_dev;
  source->inode_ = st.st_ino;
  if (S_ISBLK(st.st_mode)) {
    source->blockDevice_ = true;
    source->device_ = st.st_rdev;
    source->inode_ = 0;
    std::uint64_t bytes = 0;
    int logical = 512;
    if (ioctl(fd, BLKGETSIZE64, &bytes) == 0) source->size_ = bytes;
    if (ioctl(fd, BLKSSZGET, &logical) == 0 && logical > 0) source->sectorSize_ = static_cast<std::uint32_t>(logical);
    std::string sys = "/sys/dev/block/" + std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev));
    source->removable_ = readSysfsLine(sys + "/removable") == "1";
    source->model_ = readSysfsLine(sys + "/device/model");
    if (source->model_.empty()) source->model_ = baseName(path);
  } else if (S_ISREG(st.st_mode)) {
    source->size_ = static_cast<std::uint64_t>(st.st_size);
    source->model_ = baseName(path);
  } else {
    ::close(fd);
    source->fd_ = -1;
    error = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  error = ERROR_SUCCESS;
  return source;
}

DiskSource::~DiskSource() {
  if (fd_ >= 0) ::close(fd_);
}

bool DiskSource::touchesBadSector(std::uint64_t offset, std::size_t length) const {
  if (length == 0) return false;
  std::uint64_t first = offset / 512;
  std::uint64_t last = (offset + length - 1) / 512;
  for (const BadSectorRange& r : badSectors_) {
    if (r.sectorCount == 0) continue;
    std::uint64_t rangeLast = r.firstSector + r.sectorCount - 1;
    if (first <= rangeLast && r.firstSector <= last) return true;
  }
  return false;
}

DWORD DiskSource::read(std::uint64_t offset, void* buffer, std::size_t length) const {
  if (offset > size_ || length > size_ - offset) return ERROR_SECTOR_NOT_FOUND;
  if (touchesBadSector(offset, length)) return ERROR_CRC;
  const bool continues = offset == nextSequential_ || (!readAhead_.empty() && offset == readAheadOffset_ + readAhead_.size());
  nextSequential_ = offset + length;
  if (!readAheadHolds(offset, length) && continues && length <= kLargestReadAheadRequest) {
    readAhead_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kReadAheadBytes, size_ - offset)));
    readAheadOffset_ = offset;
    // An I/O error somewhere in the window need not lie in the range asked for: read that alone.
    if (readFile(offset, readAhead_.data(), readAhead_.size()) != ERROR_SUCCESS) readAhead_.clear();
  }
  if (readAheadHolds(offset, length)) {
    std::memcpy(buffer, readAhead_.data() + (offset - readAheadOffset_), length);
    return ERROR_SUCCESS;
  }
  return readFile(offset, buffer, length);
}

bool DiskSource::readAheadHolds(std::uint64_t offset, std::size_t length) const {
  return !readAhead_.empty() && offset >= readAheadOffset_ && offset - readAheadOffset_ <= readAhead_.size() &&
         length <= readAhead_.size() - (offset - readAheadOffset_);
}

DWORD DiskSource::readFile(std::uint64_t offset, void* buffer, std::size_t length) const {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < length) {
    ssize_t got = pread(fd_, out + done, length - done, static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno == EIO ? ERROR_CRC : win32ErrorFromErrno(errno);
    }
    if (got == 0) return ERROR_SECTOR_NOT_FOUND;  // the file shrank under us
    done += static_cast<std::size_t>(got);
  }
  return ERROR_SUCCESS;
}

bool DiskSource::isSameFile(const std::string& otherPath) const {
  struct stat st {};
  if (stat(otherPath.c_str(), &st) != 0) return false;
  if (blockDevice_) return S_ISBLK(st.st_mode) && st.st_rdev == device_;
  return S_ISREG(st.st_mode) && st.st_dev == device_ && st.st_ino == inode_;
}

}  // namespace tarvosk
