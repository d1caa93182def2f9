// The calling thread's last error, the Win32 error for each errno value, and the system's
// Chinese texts for the error codes as FormatMessageW gives them.
#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/WinError.h"

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

constexpr DWORD kFormatMessageFromString = 0x0400;

struct SystemText {
  DWORD code;
  const char16_t* text;
};

// The texts as the Simplified Chinese system words them, line ends included.
constexpr SystemText kSystemTexts[] = {
    {ERROR_SUCCESS, u"操作成功完成。\r\n"},
    {ERROR_INVALID_FUNCTION, u"函数不正确。\r\n"},
    {ERROR_FILE_NOT_FOUND, u"系统找不到指定的文件。\r\n"},
    {ERROR_PATH_NOT_FOUND, u"系统找不到指定的路径。\r\n"},
    {ERROR_TOO_MANY_OPEN_FILES, u"系统无法打开文件。\r\n"},
    {ERROR_ACCESS_DENIED, u"拒绝访问。\r\n"},
    {ERROR_INVALID_HANDLE, u"句柄无效。\r\n"},
    {ERROR_NOT_ENOUGH_MEMORY, u"存储空间不足，无法处理此命令。\r\n"},
    {ERROR_INVALID_DRIVE, u"系统找不到指定的驱动器。\r\n"},
    {ERROR_NOT_SAME_DEVICE, u"系统无法将文件移到不同的驱动器。\r\n"},
    {ERROR_NO_MORE_FILES, u"没有更多文件。\r\n"},
    {ERROR_WRITE_PROTECT, u"介质受写入保护。\r\n"},
    {ERROR_NOT_READY, u"设备未就绪。\r\n"},
    {ERROR_CRC, u"数据错误(循环冗余检查)。\r\n"},
    {ERROR_SEEK, u"驱动器找不到磁盘上特定区域或磁道。\r\n"},
    {ERROR_SECTOR_NOT_FOUND, u"驱动器找不到请求的扇区。\r\n"},
    {ERROR_WRITE_FAULT, u"系统无法写入指定的设备。\r\n"},
    {ERROR_READ_FAULT, u"系统无法从指定的设备上读取。\r\n"},
    {ERROR_GEN_FAILURE, u"连到系统上的设备没有发挥作用。\r\n"},
    {ERROR_SHARING_VIOLATION, u"另一个程序正在使用此文件，进程无法访问。\r\n"},
    {ERROR_HANDLE_EOF, u"已到文件结尾。\r\n"},
    {ERROR_NOT_SUPPORTED, u"不支持该请求。\r\n"},
    {ERROR_FILE_EXISTS, u"文件存在。\r\n"},
    {ERROR_INVALID_PARAMETER, u"参数错误。\r\n"},
    {ERROR_BROKEN_PIPE, u"管道已结束。\r\n"},
    {ERROR_DISK_FULL, u"磁盘空间不足。\r\n"},
    {ERROR_CALL_NOT_IMPLEMENTED, u"这个系统不支持该功能。\r\n"},
    {ERROR_INSUFFICIENT_BUFFER, u"传递给系统调用的数据区域太小。\r\n"},
    {ERROR_INVALID_NAME, u"文件名、目录名或卷标语法不正确。\r\n"},
    {ERROR_MOD_NOT_FOUND, u"找不到指定的模块。\r\n"},
    {ERROR_PROC_NOT_FOUND, u"找不到指定的程序。\r\n"},
    {ERROR_NEGATIVE_SEEK, u"尝试将文件指针移至文件开头之前。\r\n"},
    {ERROR_DIR_NOT_EMPTY, u"目录不是空的。\r\n"},
    {ERROR_BUSY, u"请求的资源在使用中。\r\n"},
    {ERROR_ALREADY_EXISTS, u"当文件已存在时，无法创建该文件。\r\n"},
    {ERROR_FILENAME_EXCED_RANGE, u"文件名或扩展名太长。\r\n"},
    {ERROR_FILE_TOO_LARGE, u"文件大小超出允许的限制，无法保存。\r\n"},
    {ERROR_MORE_DATA, u"更多数据可用。\r\n"},
    {ERROR_NO_MORE_ITEMS, u"没有可用的数据了。\r\n"},
    {ERROR_DIRECTORY, u"目录名称无效。\r\n"},
    {ERROR_UNRECOGNIZED_VOLUME, u"此卷不包含可识别的文件系统。\r\n请确定所有请求的文件系统驱动程序已加载，且此卷未损坏。\r\n"},
    {ERROR_FILE_INVALID, u"文件所在的卷已被外部改变，因此打开的文件不再有效。\r\n"},
    {ERROR_IO_DEVICE, u"由于 I/O 设备错误，无法运行此项请求。\r\n"},
    {ERROR_NOT_FOUND, u"找不到元素。\r\n"},
    {ERROR_CANT_RESOLVE_FILENAME, u"无法解析文件名。\r\n"},
};

}  // namespace

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD code) { lastError = code; }

DWORD FormatMessageW(DWORD flags, LPCVOID /*source*/, DWORD messageId, DWORD /*languageId*/, LPWSTR buffer,
                     DWORD size, void* /*arguments*/) {
  // Every language asks for the same texts: Chinese is the program's only UI language.
  if ((flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
  }
  if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || (flags & kFormatMessageFromString) != 0 ||
      (buffer == nullptr && size != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::u16string text = tarvosk::systemErrorText(messageId);
  if (buffer == nullptr || size <= text.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  text.copy(buffer, text.size());
  buffer[text.size()] = u'\0';
  return static_cast<DWORD>(text.size());
}

namespace tarvosk {

DWORD win32ErrorFromErrno(int err) {
  switch (err) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EXDEV:
      return ERROR_NOT_SAME_DEVICE;
    case EROFS:
      return ERROR_WRITE_PROTECT;
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
      return ERROR_NOT_READY;
    case EIO:
      // A read or write the device itself failed: the system reports a failing disk so.
      return ERROR_CRC;
    case ESPIPE:
      return ERROR_SEEK;
    case ETXTBSY:
      return ERROR_SHARING_VIOLATION;
    case ENOSYS:
    case EOPNOTSUPP:
      return ERROR_NOT_SUPPORTED;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case EPIPE:
      return ERROR_BROKEN_PIPE;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case EBUSY:
      return ERROR_BUSY;
    case EFBIG:
      return ERROR_FILE_TOO_LARGE;
    case ELOOP:
      return ERROR_CANT_RESOLVE_FILENAME;
    default:
      return ERROR_GEN_FAILURE;
  }
}

DWORD setLastErrorFromErrno() {
  const DWORD code = win32ErrorFromErrno(errno);
  SetLastError(code);
  return code;
}

std::u16string systemErrorText(DWORD code) {
  for (const SystemText& entry : kSystemTexts) {
    if (entry.code == code) return entry.text;
  }
  // Codes without a text of their own get a numbered one, as %d shows them.
  const std::string number = std::to_string(static_cast<std::int32_t>(code));
  std::u16string text = u"未知错误 (";
  for (const char c : number) text.push_back(static_cast<char16_t>(c));
  text += u")。\r\n";
  return text;
}

}  // namespace tarvosk
