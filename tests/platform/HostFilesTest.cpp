// Host files through the Win32-shaped calls: dispositions, errors, positions, searches.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/KernelObject.h"
#include "platform/WinError.h"
#include "support/TestSupport.h"

namespace tarvosk::test {
namespace {

class HostFilesTest : public ::testing::Test {
 protected:
  std::u16string path(const std::string& name) const { return utf8ToUtf16(dir_.file(name)); }
  HANDLE create(const std::string& name, DWORD disposition, DWORD access = GENERIC_READ | GENERIC_WRITE) {
    return CreateFileW(path(name).c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  void TearDown() override { EXPECT_EQ(openHandleCount(), handles_); }
  ScratchDir dir_;
  std::size_t handles_ = openHandleCount();
};

TEST_F(HostFilesTest, DispositionsAnswerAsWindowsDoes) {
  HANDLE h = create("a.txt", OPEN_EXISTING);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(create("missing/a.txt", CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  h = create("a.txt", CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, "hello", 5, &n, nullptr));
  EXPECT_EQ(n, 5u);
  CloseHandle(h);
  EXPECT_EQ(create("a.txt", CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);

  h = create("a.txt", OPEN_ALWAYS);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(GetFileSize(h, nullptr), 5u) << "OPEN_ALWAYS keeps the data";
  CloseHandle(h);
  h = create("a.txt", CREATE_ALWAYS);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(GetFileSize(h, nullptr), 0u) << "CREATE_ALWAYS truncates";
  CloseHandle(h);
  h = create("b.txt", CREATE_ALWAYS);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  CloseHandle(h);
  EXPECT_EQ(create("b.txt", TRUNCATE_EXISTING, GENERIC_READ), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(HostFilesTest, PositionsSizesAndTruncation) {
  HANDLE h = create("f.bin", CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::vector<std::uint8_t> data(10000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, data.data(), 10000, &n, nullptr));
  EXPECT_EQ(SetFilePointer(h, 100, nullptr, FILE_BEGIN), 100u);
  std::uint8_t buffer[16];
  ASSERT_TRUE(ReadFile(h, buffer, 16, &n, nullptr));
  EXPECT_TRUE(std::equal(buffer, buffer + 16, data.begin() + 100));
  EXPECT_EQ(SetFilePointer(h, -16, nullptr, FILE_END), 9984u);
  ASSERT_TRUE(ReadFile(h, buffer, 16, &n, nullptr));
  ASSERT_TRUE(ReadFile(h, buffer, 16, &n, nullptr));
  EXPECT_EQ(n, 0u) << "at the end a read succeeds with nothing";
  EXPECT_EQ(SetFilePointer(h, -20000, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);

  LONG high = 1;  // 4 GiB + 10: beyond 32 bits, sparse on the host
  EXPECT_EQ(SetFilePointer(h, 10, &high, FILE_BEGIN), 10u);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  ASSERT_TRUE(SetEndOfFile(h));
  DWORD sizeHigh = 0;
  EXPECT_EQ(GetFileSize(h, &sizeHigh), 10u);
  EXPECT_EQ(sizeHigh, 1u);
  LARGE_INTEGER to{}, size{};
  to.QuadPart = 4096;
  ASSERT_TRUE(SetFilePointerEx(h, to, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(h));
  ASSERT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size.QuadPart, 4096);
  CloseHandle(h);
  EXPECT_FALSE(CloseHandle(h)) << "a closed handle stays closed";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, buffer, 1, &n, nullptr));
}

TEST_F(HostFilesTest, ReadOnlyAndWriteOnlyHandlesRefuseTheOtherWay) {
  writeWholeFile(dir_.file("r.txt"), {'a', 'b'});
  HANDLE r = create("r.txt", OPEN_EXISTING, GENERIC_READ);
  DWORD n = 0;
  EXPECT_FALSE(WriteFile(r, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(SetEndOfFile(r));
  CloseHandle(r);
  HANDLE w = create("r.txt", OPEN_EXISTING, GENERIC_WRITE);
  char c;
  EXPECT_FALSE(ReadFile(w, &c, 1, &n, nullptr));
  CloseHandle(w);
}

TEST_F(HostFilesTest, FoldersAndNames) {
  ASSERT_TRUE(CreateDirectoryW(path("out").c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryW(path("out").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectoryW(path("no/such/out").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesW(path("out").c_str()), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(create("out", OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(DeleteFileW(path("out").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

  // Backslashes separate host paths as slashes do.
  std::u16string windowsStyle = utf8ToUtf16(dir_.path().string()) + u"\\out\\x.txt";
  HANDLE h = CreateFileW(windowsStyle.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_TRUE(std::filesystem::exists(dir_.path() / "out" / "x.txt"));

  for (const char* bad : {"a?b", "a*b", "a:b", "a|b", "a\x01" "b"}) {
    EXPECT_EQ(create(bad, CREATE_NEW), INVALID_HANDLE_VALUE) << bad;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME) << bad;
  }
  h = create("中文名.txt", CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_TRUE(std::filesystem::exists(dir_.path() / "中文名.txt"));
  EXPECT_TRUE(DeleteFileW(path("中文名.txt").c_str()));
  EXPECT_FALSE(DeleteFileW(path("中文名.txt").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(RemoveDirectoryW(path("out").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
}

TEST_F(HostFilesTest, SearchesMatchWildcardsWithoutRegardToCase) {
  for (const char* name : {"IMG_0001.JPG", "img_0002.jpg", "notes.txt", "README"}) writeWholeFile(dir_.file(name), {1});
  auto find = [&](const std::string& pattern) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW data{};
    HANDLE h = FindFirstFileW(path(pattern).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
      std::u16string n = data.cFileName;
      if (n != u"." && n != u"..") names.push_back(n);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
  };
  EXPECT_EQ(find("*.jpg"), (std::vector<std::u16string>{u"IMG_0001.JPG", u"img_0002.jpg"}));
  EXPECT_EQ(find("*.*").size(), 4u) << "*.* matches names without a dot too";
  EXPECT_EQ(find("img_000?.JPG").size(), 2u);
  EXPECT_EQ(find("readme"), std::vector<std::u16string>{u"README"});
  EXPECT_TRUE(find("*.doc").empty());
  WIN32_FIND_DATAW data{};
  EXPECT_EQ(FindFirstFileW(path("nowhere/*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  HANDLE h = FindFirstFileW(path("notes.txt").c_str(), &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 1u);
  EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_FALSE(FindNextFileW(h, &data));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  FindClose(h);
}

TEST_F(HostFilesTest, CopyingOntoItselfIsRefused) {
  writeWholeFile(dir_.file("same.bin"), {9, 9, 9});
  EXPECT_FALSE(CopyFileW(path("same.bin").c_str(), path("same.bin").c_str(), FALSE));
  EXPECT_EQ(readWholeFile(dir_.file("same.bin")).size(), 3u);
}

TEST(PageAllocations, AreZeroedPageMultiplesAndRefuseNonsense) {
  auto* p = static_cast<std::uint8_t*>(VirtualAlloc(nullptr, 5000, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 4096, 0u);
  EXPECT_TRUE(std::all_of(p, p + 8192, [](std::uint8_t b) { return b == 0; })) << "whole pages, zeroed";
  EXPECT_TRUE(VirtualFree(p, 0, MEM_RELEASE));
  EXPECT_EQ(VirtualAlloc(nullptr, 0, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(VirtualAlloc(nullptr, SIZE_MAX, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  const SIZE_T large = GetLargePageMinimum();
  auto* q = static_cast<std::uint8_t*>(VirtualAlloc(nullptr, 2 * large, MEM_COMMIT | MEM_RESERVE | MEM_LARGE_PAGES, PAGE_READWRITE));
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(q) % large, 0u);
  EXPECT_TRUE(std::all_of(q, q + 2 * large, [](std::uint8_t b) { return b == 0; }));
  EXPECT_TRUE(VirtualFree(q, 0, MEM_RELEASE));
  EXPECT_EQ(VirtualAlloc(nullptr, large + 4096, MEM_COMMIT | MEM_LARGE_PAGES, PAGE_READWRITE), nullptr)
      << "large pages come in whole large pages";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace tarvosk::test
