// Windows 9x services. "\\.\VWIN32" does not open on this host, so the program runs in NT mode;
// the 9x code paths are written against these hooks, which tests fill with a simulated IDE drive,
// a stand-in disk library and a VWIN32 handler.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "platform/WinTypes.h"

// The register block that VWIN32's DeviceIoControl takes in and gives back.
struct DIOC_REGISTERS {
  DWORD reg_EBX;
  DWORD reg_EDX;
  DWORD reg_ECX;
  DWORD reg_EAX;
  DWORD reg_EDI;
  DWORD reg_ESI;
  DWORD reg_Flags;
};
static_assert(sizeof(DIOC_REGISTERS) == 28);

constexpr DWORD VWIN32_DIOC_DOS_IOCTL = 1;
constexpr DWORD VWIN32_DIOC_DOS_INT25 = 2;
constexpr DWORD VWIN32_DIOC_DOS_INT26 = 3;
constexpr DWORD VWIN32_DIOC_DOS_DRIVEINFO = 6;
constexpr DWORD CARRY_FLAG = 0x0001;

// Port I/O of 1, 2 or 4 bytes. Without a hook, reads give all ones (a floating bus) and writes
// go nowhere.
DWORD portRead(WORD port, int size);
void portWrite(WORD port, DWORD value, int size);

HMODULE LoadLibraryW(LPCWSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);

BOOL GetVersionExW(OSVERSIONINFOW* info);

namespace tarvosk {

struct PortHooks {
  std::function<DWORD(WORD port, int size)> read;
  std::function<void(WORD port, DWORD value, int size)> write;
};
void setPortHooks(PortHooks hooks);

// A stand-in library that LoadLibraryW finds by name (case-insensitive): its entry points by name.
void registerStandInLibrary(const std::u16string& name, std::map<std::string, FARPROC> entryPoints);
void unregisterStandInLibraries();

// While a handler is set, CreateFileW(u"\\\\.\\VWIN32") succeeds and DeviceIoControl on that
// handle passes the control code and register block to it.
using Vwin32Handler = std::function<BOOL(DWORD controlCode, DIOC_REGISTERS& regs)>;
void setVwin32Handler(Vwin32Handler handler);
const Vwin32Handler& vwin32Handler();

// The version GetVersionExW reports; NT 5.1 unless a test sets another.
void setReportedVersion(const OSVERSIONINFOEXW& version);
void resetReportedVersion();

// 32-bit linear addresses for the records that the 9x interfaces pass in 32-bit registers
// (the disk I/O packet, its buffer): a pointer is registered, its number goes in the register,
// and the handler resolves it back. Zero is never issued.
DWORD linearAddressOf(void* pointer);
void* pointerAtLinearAddress(DWORD address);
void releaseLinearAddress(DWORD address);

}  // namespace tarvosk
