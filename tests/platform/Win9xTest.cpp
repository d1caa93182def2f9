#include "platform/Win9x.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/WinError.h"

namespace tarvosk {
namespace {

// The hooks are process-wide: every test leaves them as it found them.
class Win9xTest : public ::testing::Test {
 protected:
  void TearDown() override {
    setPortHooks({});
    unregisterStandInLibraries();
    resetReportedVersion();
    setVwin32Handler({});
  }
};

// ---- Port I/O ------------------------------------------------------------------------------

TEST_F(Win9xTest, PortsWithoutHooksFloat) {
  EXPECT_EQ(portRead(0x1F7, 1), 0xFFu);
  EXPECT_EQ(portRead(0x1F0, 2), 0xFFFFu);
  EXPECT_EQ(portRead(0xCFC, 4), 0xFFFFFFFFu);
  portWrite(0x1F6, 0xA0, 1);  // goes nowhere, and must not crash
}

TEST_F(Win9xTest, PortHooksSeeEveryAccessCutToItsSize) {
  struct Access {
    WORD port;
    DWORD value;
    int size;
  };
  std::vector<Access> writes, reads;
  setPortHooks({[&](WORD port, int size) {
                  reads.push_back({port, 0, size});
                  return DWORD{0x12345678};
                },
                [&](WORD port, DWORD value, int size) { writes.push_back({port, value, size}); }});
  EXPECT_EQ(portRead(0x1F7, 1), 0x78u);
  EXPECT_EQ(portRead(0x1F0, 2), 0x5678u);
  EXPECT_EQ(portRead(0x1F0, 4), 0x12345678u);
  portWrite(0x1F6, 0xABCDE0, 1);
  portWrite(0x1F0, 0x11223344, 2);

  ASSERT_EQ(reads.size(), 3u);
  EXPECT_EQ(reads[0].port, 0x1F7);
  EXPECT_EQ(reads[1].size, 2);
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0].port, 0x1F6);
  EXPECT_EQ(writes[0].value, 0xE0u);
  EXPECT_EQ(writes[1].value, 0x3344u);
  EXPECT_EQ(writes[1].size, 2);

  setPortHooks({});
  EXPECT_EQ(portRead(0x1F7, 1), 0xFFu);
}

// ---- Stand-in libraries --------------------------------------------------------------------

using AddFunction = int (*)(int, int);
int add(int a, int b) { return a + b; }
int ordinalOne(int a, int) { return -a; }

TEST_F(Win9xTest, StandInEntryPointIsCalledThroughGetProcAddress) {
  registerStandInLibrary(u"DiskLib.DLL", {{"Add", reinterpret_cast<FARPROC>(&add)},
                                          {"#1", reinterpret_cast<FARPROC>(&ordinalOne)}});
  HMODULE module = LoadLibraryW(u"C:\\WINDOWS\\SYSTEM\\disklib");
  ASSERT_NE(module, nullptr);
  auto addProc = reinterpret_cast<AddFunction>(GetProcAddress(module, "Add"));
  ASSERT_NE(addProc, nullptr);
  EXPECT_EQ(addProc(40, 2), 42);
  auto byOrdinal = reinterpret_cast<AddFunction>(
      GetProcAddress(module, reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(1))));
  ASSERT_NE(byOrdinal, nullptr);
  EXPECT_EQ(byOrdinal(5, 0), -5);

  SetLastError(0);
  EXPECT_EQ(GetProcAddress(module, "add"), nullptr);  // entry point names keep their case
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(Win9xTest, MissingLibraryIsNotFound) {
  registerStandInLibrary(u"disklib.dll", {});
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(u"other.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  unregisterStandInLibraries();
  EXPECT_EQ(LoadLibraryW(u"disklib.dll"), nullptr);
}

TEST_F(Win9xTest, ModuleLastsUntilItsLastFree) {
  registerStandInLibrary(u"disklib.dll", {{"Add", reinterpret_cast<FARPROC>(&add)}});
  HMODULE first = LoadLibraryW(u"DISKLIB.DLL");
  HMODULE second = LoadLibraryW(u"disklib.dll");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_NE(GetProcAddress(second, "Add"), nullptr);
  EXPECT_TRUE(FreeLibrary(second));
  EXPECT_EQ(GetProcAddress(second, "Add"), nullptr);
  EXPECT_FALSE(FreeLibrary(second));
}

// ---- Version -------------------------------------------------------------------------------

TEST_F(Win9xTest, DefaultVersionIsXpInBothRecords) {
  OSVERSIONINFOEXW extended{};
  extended.dwOSVersionInfoSize = sizeof extended;
  ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&extended)));
  EXPECT_EQ(extended.dwOSVersionInfoSize, sizeof extended);
  EXPECT_EQ(extended.dwMajorVersion, 5u);
  EXPECT_EQ(extended.dwMinorVersion, 1u);
  EXPECT_EQ(extended.dwBuildNumber, 2600u);
  EXPECT_EQ(extended.dwPlatformId, VER_PLATFORM_WIN32_NT);

  OSVERSIONINFOW basic{};
  basic.dwOSVersionInfoSize = sizeof basic;
  ASSERT_TRUE(GetVersionExW(&basic));
  EXPECT_EQ(basic.dwOSVersionInfoSize, sizeof basic);
  EXPECT_EQ(basic.dwMajorVersion, 5u);
  EXPECT_EQ(basic.dwBuildNumber, 2600u);
  EXPECT_EQ(basic.dwPlatformId, VER_PLATFORM_WIN32_NT);
}

TEST_F(Win9xTest, WrongRecordSizeIsRefused) {
  OSVERSIONINFOEXW info{};
  for (DWORD size : {DWORD{0}, DWORD{sizeof(OSVERSIONINFOW) - 2}, DWORD{sizeof info + 4}}) {
    info.dwOSVersionInfoSize = size;
    SetLastError(0);
    EXPECT_FALSE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) << size;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
}

TEST_F(Win9xTest, Windows98KnowsOnlyTheBasicRecord) {
  OSVERSIONINFOEXW win98{};
  win98.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
  win98.dwMajorVersion = 4;
  win98.dwMinorVersion = 10;
  win98.dwBuildNumber = 0x040A08AE;
  win98.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  setReportedVersion(win98);

  OSVERSIONINFOEXW extended{};
  extended.dwOSVersionInfoSize = sizeof extended;
  EXPECT_FALSE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&extended)));
  OSVERSIONINFOW basic{};
  basic.dwOSVersionInfoSize = sizeof basic;
  ASSERT_TRUE(GetVersionExW(&basic));
  EXPECT_EQ(basic.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);
  EXPECT_EQ(basic.dwMinorVersion, 10u);

  resetReportedVersion();
  ASSERT_TRUE(GetVersionExW(&basic));
  EXPECT_EQ(basic.dwPlatformId, VER_PLATFORM_WIN32_NT);
}

// ---- VWIN32 handler and linear addresses ---------------------------------------------------

TEST_F(Win9xTest, Vwin32HandlerIsKeptUntilCleared) {
  EXPECT_FALSE(vwin32Handler());
  setVwin32Handler([](DWORD code, DIOC_REGISTERS& regs) {
    regs.reg_EAX = code;
    return TRUE;
  });
  ASSERT_TRUE(vwin32Handler());
  DIOC_REGISTERS regs{};
  EXPECT_TRUE(vwin32Handler()(VWIN32_DIOC_DOS_INT25, regs));
  EXPECT_EQ(regs.reg_EAX, VWIN32_DIOC_DOS_INT25);
  setVwin32Handler({});
  EXPECT_FALSE(vwin32Handler());
}

TEST_F(Win9xTest, LinearAddressesResolveUntilReleased) {
  int packet = 0, buffer = 0;
  const DWORD packetAddress = linearAddressOf(&packet);
  const DWORD bufferAddress = linearAddressOf(&buffer);
  EXPECT_NE(packetAddress, 0u);
  EXPECT_NE(bufferAddress, 0u);
  EXPECT_NE(packetAddress, bufferAddress);
  EXPECT_EQ(pointerAtLinearAddress(packetAddress), &packet);
  EXPECT_EQ(pointerAtLinearAddress(bufferAddress), &buffer);

  releaseLinearAddress(packetAddress);
  EXPECT_EQ(pointerAtLinearAddress(packetAddress), nullptr);
  EXPECT_EQ(pointerAtLinearAddress(bufferAddress), &buffer);
  EXPECT_EQ(pointerAtLinearAddress(0), nullptr);
  releaseLinearAddress(bufferAddress);
}

}  // namespace
}  // namespace tarvosk
