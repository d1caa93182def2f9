// A simulated Windows 9x machine for the device layer's 9x mode: IDE drives behind the I/O port
// hooks, the stand-in disk library dsk9x32.dll, and a VWIN32 that serves the DOS absolute disk
// reads from in-memory volumes. Everything is uninstalled when the object goes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Win9x.h"

namespace tarvosk::test {

struct SimulatedDrive {
  std::uint16_t identify[256] = {};   // the IDENTIFY DEVICE answer
  std::vector<std::uint8_t> sectors;  // the disk's bytes (512-byte sectors)
  DWORD ext13 = 1;                    // what CheckInt13Extension32 answers for it
};

// The arguments of the last ReadPhysicalSector32 call.
struct PhysicalReadCall {
  BYTE drive = 0;
  WORD cylinder = 0;
  BYTE head = 0;
  BYTE sector = 0;
  DWORD count = 0;
  DWORD lbaHigh = 0;
  DWORD lbaLow = 0;
  DWORD ext13 = 0;
};

// The last VWIN32 call.
struct Vwin32Call {
  DWORD controlCode = 0;
  DIOC_REGISTERS registers{};
  DWORD packetFirstSector = 0;
  WORD packetCount = 0;
  bool packetResolved = false;
};

class SimulatedWin9x {
 public:
  SimulatedWin9x();
  ~SimulatedWin9x();
  SimulatedWin9x(const SimulatedWin9x&) = delete;
  SimulatedWin9x& operator=(const SimulatedWin9x&) = delete;

  // Puts a drive at device number 0-7 (channel device/2, master when even).
  void addDrive(int device, const SimulatedDrive& drive);
  // A volume that VWIN32 reads for drive number (1 = A:).
  void addVolume(BYTE driveNumber, std::vector<std::uint8_t> bytes);
  // Installs the library with both entry points, only the first, or none.
  void installLibrary(bool withReadFunction = true);
  // Installs the port hooks and VWIN32, so that RAW_Initialize chooses Windows 9x mode.
  void install();
  // The floating status a missing drive shows (0xFF), or a drive that never becomes ready (0x00).
  void setAbsentStatus(DWORD status) { absentStatus_ = status; }
  void setReadResult(DWORD result) { readResult_ = result; }
  void setCarryOnReturn(bool carry) { carry_ = carry; }

  const PhysicalReadCall& lastRead() const { return lastRead_; }
  const Vwin32Call& lastVwin32() const { return lastVwin32_; }
  // Every byte written to a port, in order.
  const std::vector<std::pair<WORD, DWORD>>& portWrites() const { return writes_; }

  // Fills an IDENTIFY answer: configuration word, geometry and the model text (two characters a
  // word, the first in the high byte, blank-padded to 40).
  static void setIdentity(SimulatedDrive& d, std::uint16_t configuration, std::uint16_t cylinders,
                          std::uint16_t heads, std::uint16_t sectorsPerTrack, const std::string& model);

 private:
  friend struct SimulatedWin9xAccess;
  DWORD readPort(WORD port, int size);
  void writePort(WORD port, DWORD value, int size);
  BOOL vwin32(DWORD code, DIOC_REGISTERS& regs);

  std::map<int, SimulatedDrive> drives_;
  std::map<BYTE, std::vector<std::uint8_t>> volumes_;
  std::vector<std::pair<WORD, DWORD>> writes_;
  int selected_[4] = {0, 0, 0, 0};
  int transferDevice_ = -1;
  std::size_t transferWord_ = 0;
  DWORD absentStatus_ = 0xFF;
  DWORD readResult_ = 1;
  bool carry_ = false;
  PhysicalReadCall lastRead_;
  Vwin32Call lastVwin32_;
};

}  // namespace tarvosk::test
