#include "support/SimulatedWin9x.h"

#include <cstring>

#include "device/DeviceMode.h"
#include "platform/ByteOrder.h"

namespace tarvosk::test {

namespace {

constexpr WORD kBases[4] = {0x1F0, 0x170, 0x1E8, 0x168};
constexpr DWORD kReady = 0x50;         // ready and seek complete
constexpr DWORD kReadyWithData = 0x58; // ready, seek complete, data request

SimulatedWin9x* g_active = nullptr;

DWORD standInCheck(BYTE biosDrive);
DWORD standInRead(BYTE biosDrive, WORD cylinder, BYTE head, BYTE sector, DWORD count, void* buffer, DWORD lbaHigh,
                  DWORD lbaLow, DWORD ext13);

int channelOf(WORD port, WORD& offset) {
  for (int c = 0; c < 4; ++c) {
    if (port >= kBases[c] && port <= kBases[c] + 7) {
      offset = static_cast<WORD>(port - kBases[c]);
      return c;
    }
  }
  return -1;
}

}  // namespace

struct SimulatedWin9xAccess {
  static DWORD check(BYTE biosDrive) {
    auto it = g_active->drives_.find(biosDrive - 0x80);
    return it == g_active->drives_.end() ? 0 : it->second.ext13;
  }
  static DWORD read(BYTE biosDrive, WORD cylinder, BYTE head, BYTE sector, DWORD count, void* buffer, DWORD lbaHigh,
                    DWORD lbaLow, DWORD ext13) {
    SimulatedWin9x& s = *g_active;
    s.lastRead_ = PhysicalReadCall{biosDrive, cylinder, head, sector, count, lbaHigh, lbaLow, ext13};
    auto it = s.drives_.find(biosDrive - 0x80);
    if (it == s.drives_.end() || s.readResult_ == 0) return 0;
    const std::uint64_t lba = (static_cast<std::uint64_t>(lbaHigh) << 32) | lbaLow;
    const std::uint64_t from = lba * 512, bytes = std::uint64_t{count} * 512;
    if (from + bytes > it->second.sectors.size()) return 0;
    std::memcpy(buffer, it->second.sectors.data() + from, bytes);
    return s.readResult_;
  }
};

namespace {
DWORD standInCheck(BYTE biosDrive) { return SimulatedWin9xAccess::check(biosDrive); }
DWORD standInRead(BYTE biosDrive, WORD cylinder, BYTE head, BYTE sector, DWORD count, void* buffer, DWORD lbaHigh,
                  DWORD lbaLow, DWORD ext13) {
  return SimulatedWin9xAccess::read(biosDrive, cylinder, head, sector, count, buffer, lbaHigh, lbaLow, ext13);
}
}  // namespace

SimulatedWin9x::SimulatedWin9x() { g_active = this; }

SimulatedWin9x::~SimulatedWin9x() {
  RAW_ResetMode();
  setPortHooks({});
  setVwin32Handler(nullptr);
  unregisterStandInLibraries();
  resetReportedVersion();
  g_active = nullptr;
}

void SimulatedWin9x::addDrive(int device, const SimulatedDrive& drive) { drives_[device] = drive; }

void SimulatedWin9x::addVolume(BYTE driveNumber, std::vector<std::uint8_t> bytes) { volumes_[driveNumber] = std::move(bytes); }

void SimulatedWin9x::installLibrary(bool withReadFunction) {
  std::map<std::string, FARPROC> entries;
  entries["CheckInt13Extension32"] = reinterpret_cast<FARPROC>(&standInCheck);
  if (withReadFunction) entries["ReadPhysicalSector32"] = reinterpret_cast<FARPROC>(&standInRead);
  registerStandInLibrary(u"DSK9X32.DLL", entries);
}

void SimulatedWin9x::install() {
  setPortHooks({[this](WORD port, int size) { return readPort(port, size); },
                [this](WORD port, DWORD value, int size) { writePort(port, value, size); }});
  setVwin32Handler([this](DWORD code, DIOC_REGISTERS& regs) { return vwin32(code, regs); });
}

void SimulatedWin9x::setIdentity(SimulatedDrive& d, std::uint16_t configuration, std::uint16_t cylinders,
                                 std::uint16_t heads, std::uint16_t sectorsPerTrack, const std::string& model) {
  d.identify[0] = configuration;
  d.identify[1] = cylinders;
  d.identify[3] = heads;
  d.identify[6] = sectorsPerTrack;
  std::string text = model;
  text.resize(40, ' ');
  for (int w = 0; w < 20; ++w)
    d.identify[27 + w] = static_cast<std::uint16_t>((static_cast<unsigned char>(text[2 * w]) << 8) |
                                                    static_cast<unsigned char>(text[2 * w + 1]));
}

DWORD SimulatedWin9x::readPort(WORD port, int size) {
  WORD offset = 0;
  int channel = channelOf(port, offset);
  if (channel < 0) return 0xFFFFFFFF;
  const int device = channel * 2 + selected_[channel];
  const bool present = drives_.count(device) != 0;
  if (offset == 7) {
    if (!present) return absentStatus_;
    return transferDevice_ == device ? kReadyWithData : kReady;
  }
  if (offset == 0 && size == 2 && transferDevice_ == device) {
    DWORD word = drives_[device].identify[transferWord_++];
    if (transferWord_ == 256) transferDevice_ = -1;
    return word;
  }
  return 0xFFFF;
}

void SimulatedWin9x::writePort(WORD port, DWORD value, int) {
  writes_.emplace_back(port, value);
  WORD offset = 0;
  int channel = channelOf(port, offset);
  if (channel < 0) return;
  if (offset == 6) selected_[channel] = (value & 0x10) ? 1 : 0;
  if (offset == 7 && value == 0xEC) {
    const int device = channel * 2 + selected_[channel];
    if (drives_.count(device)) {
      transferDevice_ = device;
      transferWord_ = 0;
    }
  }
}

BOOL SimulatedWin9x::vwin32(DWORD code, DIOC_REGISTERS& regs) {
  lastVwin32_ = Vwin32Call{};
  lastVwin32_.controlCode = code;
  lastVwin32_.registers = regs;
  auto* packet = static_cast<std::uint8_t*>(pointerAtLinearAddress(regs.reg_EBX));
  regs.reg_Flags |= CARRY_FLAG;
  if (!packet) return TRUE;
  ByteSpan p(packet, 10);
  lastVwin32_.packetResolved = true;
  lastVwin32_.packetFirstSector = le32(p, 0);
  lastVwin32_.packetCount = le16(p, 4);
  auto* buffer = static_cast<std::uint8_t*>(pointerAtLinearAddress(le32(p, 6)));
  BYTE drive = 0;
  if (code == VWIN32_DIOC_DOS_INT25) drive = static_cast<BYTE>(regs.reg_EAX + 1);
  else if (code == VWIN32_DIOC_DOS_DRIVEINFO && regs.reg_EAX == 0x7305 && regs.reg_ESI == 0) drive = static_cast<BYTE>(regs.reg_EDX);
  auto it = volumes_.find(drive);
  if (it == volumes_.end() || !buffer || carry_) return TRUE;
  const std::uint64_t from = std::uint64_t{lastVwin32_.packetFirstSector} * 512, bytes = std::uint64_t{lastVwin32_.packetCount} * 512;
  if (from + bytes > it->second.size()) return TRUE;
  std::memcpy(buffer, it->second.data() + from, bytes);
  regs.reg_Flags &= ~CARRY_FLAG;
  return TRUE;
}

}  // namespace tarvosk::test
