#include "device/ExtReadLogicalSectors.h"

#include <cstdint>

#include "log/Log.h"
#include "platform/ByteOrder.h"
#include "platform/Files.h"
#include "platform/Win9x.h"

using namespace std::string_view_literals;

namespace {

// The disk I/O packet of interrupts 25h and 21h/7305h: 10 bytes, packed.
constexpr std::size_t kPacketFirstSector = 0;  // 32-bit
constexpr std::size_t kPacketCount = 4;        // 16-bit
constexpr std::size_t kPacketBuffer = 6;       // 32-bit linear address
constexpr std::size_t kPacketSize = 10;

constexpr DWORD kExtendedAbsoluteDiskRead = 0x7305;
constexpr DWORD kInt25AllSectors = 0xFFFF;
constexpr DWORD kInt21AllSectors = 0xFFFFFFFF;
constexpr DWORD kReadMode = 0;

DWORD handleBits(HANDLE h) { return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(h)); }

// Windows 95 proper: platform 9x, version 4.0, and a service-pack text whose second character
// is neither 'B' nor 'C' (OSR2 and later know interrupt 21h function 7305h).
bool isOldWindows95() {
  OSVERSIONINFOEXW ex{};
  ex.dwOSVersionInfoSize = sizeof ex;
  OSVERSIONINFOW info{};
  if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex))) {
    info.dwMajorVersion = ex.dwMajorVersion;
    info.dwMinorVersion = ex.dwMinorVersion;
    info.dwPlatformId = ex.dwPlatformId;
    for (int i = 0; i < 128; ++i) info.szCSDVersion[i] = ex.szCSDVersion[i];
  } else {
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info)) return false;
  }
  if (info.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS || info.dwMajorVersion != 4 || info.dwMinorVersion != 0)
    return false;
  WCHAR second = info.szCSDVersion[0] ? info.szCSDVersion[1] : u'\0';
  return second != u'B' && second != u'C';
}

}  // namespace

BOOL ExtReadLogicalSectors(HANDLE vwin32, BYTE drive, DWORD firstSector, WORD count, void* buffer) {
  LOG_Write(g_logFAT, INFO, u"ExtReadLogicalSectors(dev=0x%x, drive=%d, sector=%d, wsectors=%d"sv, handleBits(vwin32),
            drive, firstSector, count);
  std::uint8_t packet[kPacketSize] = {};
  const DWORD bufferAddress = tarvosk::linearAddressOf(buffer);
  tarvosk::putLe32(packet + kPacketFirstSector, firstSector);
  tarvosk::putLe16(packet + kPacketCount, count);
  tarvosk::putLe32(packet + kPacketBuffer, bufferAddress);
  const DWORD packetAddress = tarvosk::linearAddressOf(packet);

  DIOC_REGISTERS regs{};
  DWORD controlCode = 0;
  if (isOldWindows95()) {
    LOG_Write(g_logFAT, INFO,
              u"ExtReadLogicalSectors(dev=0x%x, drive=%d, sector=%d, wsectors=%d): old windows version"sv,
              handleBits(vwin32), drive, firstSector, count);
    controlCode = VWIN32_DIOC_DOS_INT25;
    regs.reg_EAX = static_cast<DWORD>(drive) - 1;
    regs.reg_EBX = packetAddress;
    regs.reg_ECX = kInt25AllSectors;
  } else {
    controlCode = VWIN32_DIOC_DOS_DRIVEINFO;
    regs.reg_EAX = kExtendedAbsoluteDiskRead;
    regs.reg_EBX = packetAddress;
    regs.reg_ECX = kInt21AllSectors;
    regs.reg_EDX = drive;
    regs.reg_ESI = kReadMode;
  }
  // The carry flag starts set, so a call that the system does not serve reads as a failure.
  regs.reg_Flags = CARRY_FLAG;
  DWORD returned = 0;
  BOOL ok = DeviceIoControl(vwin32, controlCode, &regs, sizeof regs, &regs, sizeof regs, &returned, nullptr);
  tarvosk::releaseLinearAddress(packetAddress);
  tarvosk::releaseLinearAddress(bufferAddress);
  return (ok && !(regs.reg_Flags & CARRY_FLAG)) ? TRUE : FALSE;
}
