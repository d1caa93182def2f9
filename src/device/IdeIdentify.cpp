#include "device/IdeIdentify.h"

#include "platform/Win9x.h"

namespace tarvosk {
namespace {

// Byte offsets of the IDENTIFY DEVICE words the layer reads.
constexpr std::size_t kGeneralConfiguration = 0 * 2;  // bit 7 removable, bit 6 fixed
constexpr std::size_t kCylinders = 1 * 2;
constexpr std::size_t kHeads = 3 * 2;
constexpr std::size_t kSectorsPerTrack = 6 * 2;
constexpr std::size_t kModelFirstWord = 27;           // words 27-46: model, two characters a word
constexpr std::size_t kModelWords = 20;
constexpr std::size_t kMaxLabelBytes = 254;

constexpr WORD kRemovableBit = 0x0080;
constexpr WORD kFixedBit = 0x0040;

// Command block registers, as offsets from the channel's base port.
constexpr WORD kDataPort = 0;
constexpr WORD kDriveHeadPort = 6;
constexpr WORD kStatusCommandPort = 7;

constexpr DWORD kStatusError = 0x01;
constexpr DWORD kStatusDataRequest = 0x08;
constexpr DWORD kStatusReady = 0x40;
constexpr DWORD kSelectMaster = 0xA0;
constexpr DWORD kSelectSlave = 0xB0;
constexpr DWORD kIdentifyDevice = 0xEC;
constexpr int kMaxStatusReads = 99999;

constexpr WORD kBasePorts[4] = {0x1F0, 0x170, 0x1E8, 0x168};

}  // namespace

WORD ideBasePort(int channel) { return channel >= 0 && channel < 4 ? kBasePorts[channel] : 0; }

IdeIdentity decodeIdentifyData(ByteSpan words) {
  IdeIdentity id;
  WORD config = le16(words, kGeneralConfiguration);
  id.mediaType = (config & kRemovableBit) ? RemovableMedia : (config & kFixedBit) ? FixedMedia : Unknown;
  id.cylinders = le16(words, kCylinders);
  id.heads = le16(words, kHeads);
  id.sectorsPerTrack = le16(words, kSectorsPerTrack);
  // Computed in 64 bits: three 16-bit factors cannot wrap it.
  id.totalSectors = static_cast<std::uint64_t>(id.cylinders) * id.heads * id.sectorsPerTrack;
  for (std::size_t w = 0; w < kModelWords; ++w) {
    WORD v = le16(words, (kModelFirstWord + w) * 2);
    id.model.push_back(static_cast<char>(v >> 8));
    id.model.push_back(static_cast<char>(v & 0xFF));
  }
  // The model text ends at a NUL where there is one, then loses its trailing blanks.
  if (auto nul = id.model.find('\0'); nul != std::string::npos) id.model.resize(nul);
  while (!id.model.empty() && id.model.back() == ' ') id.model.pop_back();
  if (id.model.size() > kMaxLabelBytes) id.model.resize(kMaxLabelBytes);
  return id;
}

bool identifyIdeDevice(int device, std::uint8_t (&answer)[kIdentifyBytes]) {
  if (device < 0 || device >= kIdeMaxDevices) return false;
  const WORD base = ideBasePort(device / 2);
  const WORD status = static_cast<WORD>(base + kStatusCommandPort);
  bool settled = false;
  for (int i = 0; i < kMaxStatusReads && !settled; ++i) {
    DWORD s = portRead(status, 1);
    settled = (s & (kStatusReady | kStatusError)) != 0;
  }
  if (!settled) return false;
  portWrite(static_cast<WORD>(base + kDriveHeadPort), (device % 2) ? kSelectSlave : kSelectMaster, 1);
  portWrite(status, kIdentifyDevice, 1);
  bool ready = false;
  for (int i = 0; i < kMaxStatusReads; ++i) {
    DWORD s = portRead(status, 1);
    if (s & kStatusError) return false;
    if ((s & (kStatusReady | kStatusDataRequest)) == (kStatusReady | kStatusDataRequest)) {
      ready = true;
      break;
    }
  }
  if (!ready) return false;
  for (std::size_t w = 0; w < kIdentifyWords; ++w) {
    DWORD v = portRead(static_cast<WORD>(base + kDataPort), 2);
    putLe16(answer + w * 2, static_cast<WORD>(v));
  }
  return true;
}

}  // namespace tarvosk
