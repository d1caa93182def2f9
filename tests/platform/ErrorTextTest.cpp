#include "platform/WinError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <thread>

namespace tarvosk {
namespace {

constexpr DWORD kSystemFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

std::u16string messageFor(DWORD code) {
  char16_t buffer[512];
  const DWORD n = FormatMessageW(kSystemFlags, nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer,
                                 512, nullptr);
  EXPECT_NE(n, 0u) << code;
  return std::u16string(buffer, n);
}

TEST(LastError, IsKeptPerThread) {
  SetLastError(ERROR_CRC);
  DWORD seenByOther = 12345;
  std::thread other([&] {
    seenByOther = GetLastError();
    SetLastError(ERROR_ACCESS_DENIED);
  });
  other.join();
  EXPECT_EQ(seenByOther, ERROR_SUCCESS);
  EXPECT_EQ(GetLastError(), ERROR_CRC);
}

TEST(ErrnoMapping, CommonCodes) {
  struct Case {
    int err;
    DWORD code;
  };
  for (const Case c : {Case{ENOENT, 2}, Case{ENOTDIR, 3}, Case{EMFILE, 4}, Case{ENFILE, 4}, Case{EACCES, 5},
                       Case{EPERM, 5}, Case{EISDIR, 5}, Case{EBADF, 6}, Case{ENOMEM, 8}, Case{EXDEV, 17},
                       Case{EROFS, 19}, Case{ENXIO, 21}, Case{ENODEV, 21}, Case{ENOMEDIUM, 21}, Case{EIO, 23},
                       Case{ESPIPE, 25}, Case{ETXTBSY, 32}, Case{ENOSYS, 50}, Case{EOPNOTSUPP, 50},
                       Case{EEXIST, 80}, Case{EINVAL, 87}, Case{EPIPE, 109}, Case{ENOSPC, 112}, Case{EDQUOT, 112},
                       Case{ENAMETOOLONG, 206}, Case{ENOTEMPTY, 145}, Case{EBUSY, 170}, Case{EFBIG, 223},
                       Case{ELOOP, 1921}}) {
    EXPECT_EQ(win32ErrorFromErrno(c.err), c.code) << "errno " << c.err;
  }
}

TEST(ErrnoMapping, AnythingElseIsAGeneralFailure) {
  for (const int err : {EAGAIN, EINTR, ETIMEDOUT, 0, 100000, -1}) {
    EXPECT_EQ(win32ErrorFromErrno(err), ERROR_GEN_FAILURE) << "errno " << err;
  }
}

TEST(ErrnoMapping, SetLastErrorFromErrno) {
  SetLastError(0);
  errno = ENOSPC;
  EXPECT_EQ(setLastErrorFromErrno(), ERROR_DISK_FULL);
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
}

TEST(SystemText, ChineseTextsOfTheSystem) {
  EXPECT_EQ(messageFor(ERROR_SUCCESS), u"操作成功完成。\r\n");
  EXPECT_EQ(messageFor(ERROR_FILE_NOT_FOUND), u"系统找不到指定的文件。\r\n");
  EXPECT_EQ(messageFor(ERROR_ACCESS_DENIED), u"拒绝访问。\r\n");
  EXPECT_EQ(messageFor(ERROR_CRC), u"数据错误(循环冗余检查)。\r\n");
  EXPECT_EQ(messageFor(ERROR_SECTOR_NOT_FOUND), u"驱动器找不到请求的扇区。\r\n");
  EXPECT_EQ(messageFor(ERROR_ALREADY_EXISTS), u"当文件已存在时，无法创建该文件。\r\n");
  EXPECT_EQ(messageFor(ERROR_IO_DEVICE), u"由于 I/O 设备错误，无法运行此项请求。\r\n");
  EXPECT_EQ(messageFor(ERROR_UNRECOGNIZED_VOLUME),
            u"此卷不包含可识别的文件系统。\r\n请确定所有请求的文件系统驱动程序已加载，且此卷未损坏。\r\n");
}

TEST(SystemText, EveryKnownCodeHasItsOwnLine) {
  for (const DWORD code : {0, 1, 2, 3, 4, 5, 6, 8, 15, 17, 18, 19, 21, 23, 25, 27, 29, 30, 31, 32, 38, 50, 80, 87,
                           109, 112, 120, 122, 123, 126, 127, 131, 145, 170, 183, 206, 223, 234, 259, 267, 1005,
                           1006, 1117, 1168, 1921}) {
    const std::u16string text = systemErrorText(code);
    EXPECT_FALSE(text.starts_with(u"未知错误")) << code;
    EXPECT_TRUE(text.ends_with(u"。\r\n")) << code;
    EXPECT_EQ(messageFor(code), text) << code;
  }
  EXPECT_NE(systemErrorText(ERROR_FILE_EXISTS), systemErrorText(ERROR_ALREADY_EXISTS));
}

TEST(SystemText, UnknownCodesGetANumberedText) {
  EXPECT_EQ(messageFor(9999), u"未知错误 (9999)。\r\n");
  EXPECT_EQ(systemErrorText(ERROR_MR_MID_NOT_FOUND), u"未知错误 (317)。\r\n");
}

TEST(FormatMessage, BufferMustHoldTheTerminator) {
  const std::u16string text = u"拒绝访问。\r\n";
  char16_t buffer[16];
  SetLastError(0);
  EXPECT_EQ(FormatMessageW(kSystemFlags, nullptr, ERROR_ACCESS_DENIED, 0, buffer, static_cast<DWORD>(text.size()),
                           nullptr),
            0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(FormatMessageW(kSystemFlags, nullptr, ERROR_ACCESS_DENIED, 0, buffer,
                           static_cast<DWORD>(text.size() + 1), nullptr),
            text.size());
  EXPECT_EQ(std::u16string(buffer), text);
}

TEST(FormatMessage, OnlyTheSystemTableIsServed) {
  char16_t buffer[64];
  SetLastError(0);
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 2, 0, buffer, 64, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  SetLastError(0);
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, 2, 0, buffer, 0,
                           nullptr),
            0u);
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  SetLastError(0);
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 2, 0, nullptr, 64, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace tarvosk
