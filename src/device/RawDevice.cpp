#include "device/RawDevice.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "device/ChsAddress.h"
#include "device/DeviceMode.h"
#include "device/FindFreeHandle.h"
#include "device/IdeIdentify.h"
#include "log/Log.h"
#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/WinError.h"

using namespace std::string_view_literals;

namespace {

// One open physical drive.
struct RawDeviceEntry {
  DWORD handle;
  DWORD inUse;
  WCHAR devicePath[RAW_PATH_CHARS];
  char label[RAW_LABEL_BYTES];
  BYTE driveNumber;
  HANDLE file;
  DWORD sectorSize;
  std::uint64_t totalSectors;
  DWORD mediaType;
  DWORD ext13;
  DWORD cylinders;
  DWORD heads;
  DWORD sectorsPerTrack;
};

RawDeviceEntry g_devices[RAW_MAX_DEVICES] = {};

constexpr BYTE kFirstBiosDrive = 0x80;
constexpr DWORD kWin9xSectorSize = 512;
constexpr std::size_t kMaxLabelBytes = 254;
constexpr DWORD kDescriptorBufferBytes = 10000;
// STORAGE_DEVICE_DESCRIPTOR field read from the answer buffer.
constexpr std::size_t kDescriptorProductIdOffset = 16;

RawDeviceEntry* openEntry(DWORD handle) {
  if (handle >= RAW_MAX_DEVICES || !g_devices[handle].inUse) return nullptr;
  return &g_devices[handle];
}

void clearEntry(RawDeviceEntry& e) {
  std::memset(&e, 0, sizeof e);
  e.file = nullptr;
}

void setLabel(RawDeviceEntry& e, const std::string& text) {
  std::memset(e.label, 0, sizeof e.label);
  std::memcpy(e.label, text.data(), std::min(text.size(), kMaxLabelBytes));
}

// The product text of a storage device descriptor, bounded by the answer's size.
std::string productText(const std::vector<std::uint8_t>& answer, DWORD returned) {
  tarvosk::ByteSpan bytes(answer.data(), std::min<std::size_t>(returned, answer.size()));
  DWORD offset = tarvosk::le32(bytes, kDescriptorProductIdOffset);
  std::string text;
  if (offset == 0 || offset >= bytes.size()) return text;
  for (std::size_t i = offset; i < bytes.size() && bytes[i] != 0 && text.size() < kMaxLabelBytes; ++i)
    text.push_back(static_cast<char>(bytes[i]));
  return text;
}

DWORD openNt(DWORD device, DWORD handle) {
  RawDeviceEntry& e = g_devices[handle];
  std::u16string path = tarvosk::format(u"\\\\.\\PhysicalDrive%d", device);
  std::copy_n(path.begin(), std::min(path.size(), RAW_PATH_CHARS - 1), e.devicePath);
  HANDLE file = CreateFileW(e.devicePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    LOG_Write(g_logRAW, INFO, u"RAW_OpenDevice(%d): CreateFile(%s) failed with code %d"sv, device, e.devicePath,
              GetLastError());
    clearEntry(e);
    return INVALID_LAYER_HANDLE;
  }
  DISK_GEOMETRY geometry{};
  DWORD returned = 0;
  if (!DeviceIoControl(file, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry, sizeof geometry, &returned,
                       nullptr)) {
    LOG_Write(g_logRAW, INFO, u"RAW_OpenDevice(%d): DeviceIoControl(IOCTL_DISK_GET_DRIVE_GEOMETRY) failed with code %d"sv,
              device, GetLastError());
    CloseHandle(file);
    clearEntry(e);
    return INVALID_LAYER_HANDLE;
  }
  e.file = file;
  e.mediaType = geometry.MediaType;
  e.sectorSize = geometry.BytesPerSector;
  e.totalSectors = static_cast<std::uint64_t>(geometry.TracksPerCylinder) * geometry.SectorsPerTrack *
                   static_cast<std::uint64_t>(geometry.Cylinders.QuadPart);

  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageDeviceProperty;
  query.QueryType = PropertyStandardQuery;
  std::vector<std::uint8_t> answer(kDescriptorBufferBytes);
  returned = 0;
  if (DeviceIoControl(file, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, answer.data(),
                      static_cast<DWORD>(answer.size()), &returned, nullptr))
    setLabel(e, productText(answer, returned));

  LOG_Write(g_logRAW, INFO, u"RAW_OpenDevice(%d): sector size %ld, total sectors %I64d"sv, device, e.sectorSize,
            e.totalSectors);
  e.inUse = 1;
  return handle;
}

DWORD openWin9x(DWORD device, DWORD handle) {
  RawDeviceEntry& e = g_devices[handle];
  e.driveNumber = static_cast<BYTE>(kFirstBiosDrive + device);
  std::uint8_t answer[tarvosk::kIdentifyBytes] = {};
  // Device numbers above 7 have no IDE port assigned: the open fails as an unanswered IDENTIFY.
  if (device >= static_cast<DWORD>(tarvosk::kIdeMaxDevices) || !tarvosk::identifyIdeDevice(static_cast<int>(device), answer)) {
    LOG_Write(g_logRAW, INFO, u"RAW_OpenDevice(%d): failed"sv, device);
    clearEntry(e);
    return INVALID_LAYER_HANDLE;
  }
  tarvosk::IdeIdentity id = tarvosk::decodeIdentifyData(answer);
  e.mediaType = id.mediaType;
  e.cylinders = id.cylinders;
  e.heads = id.heads;
  e.sectorsPerTrack = id.sectorsPerTrack;
  e.totalSectors = id.totalSectors;
  e.sectorSize = kWin9xSectorSize;
  setLabel(e, id.model);
  if (CheckInt13Extension32Proc check = tarvosk::checkInt13Extension32()) e.ext13 = check(e.driveNumber);
  LOG_Write(g_logRAW, INFO, u"RAW_OpenDevice(%d): disk=%d, cylinders=%d, heads=%d, sectors=%d, ext13=%d"sv, device,
            e.driveNumber, e.cylinders, e.heads, e.sectorsPerTrack, e.ext13);
  e.inUse = 1;
  return handle;
}

}  // namespace

DWORD RAW_OpenDevice(DWORD deviceNumber) {
  const DWORD device = deviceNumber & 0xFF;
  LOG_Write(g_logRAW, INFO, u"RAW_OpenDevice(%d)"sv, device);
  DWORD handle = tarvosk::FindFreeHandle(g_logRAW, g_devices);
  if (handle == INVALID_LAYER_HANDLE) {
    LOG_Write(g_logRAW, ERROR, u"RAW_OpenDevice(%d): FindFreeHandle failed"sv, device);
    return INVALID_LAYER_HANDLE;
  }
  RawDeviceEntry& e = g_devices[handle];
  clearEntry(e);
  e.handle = handle;
  e.driveNumber = static_cast<BYTE>(device);
  return RAW_IsWin9xMode() ? openWin9x(device, handle) : openNt(device, handle);
}

DWORD RAW_CloseDevice(DWORD handle) {
  LOG_Write(g_logRAW, INFO, u"RAW_CloseDevice(%d)"sv, handle);
  RawDeviceEntry* e = openEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  if (e->file && e->file != INVALID_HANDLE_VALUE) CloseHandle(e->file);
  clearEntry(*e);
  return LAYER_SUCCESS;
}

DWORD RAW_GetLabel(DWORD handle, char* buffer, WORD length) {
  RawDeviceEntry* e = openEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  if (!buffer) return LAYER_SUCCESS;
  std::size_t textLength = strnlen(e->label, sizeof e->label);
  std::size_t copied = std::min<std::size_t>(textLength, length);
  std::memcpy(buffer, e->label, copied);
  std::memset(buffer + copied, 0, length - copied);
  return LAYER_SUCCESS;
}

DWORD RAW_GetSectorSize(DWORD handle, DWORD* sectorSize) {
  RawDeviceEntry* e = openEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  if (sectorSize) *sectorSize = e->sectorSize;
  return LAYER_SUCCESS;
}

DWORD RAW_GetTotalSectors(DWORD handle, std::uint64_t* totalSectors) {
  RawDeviceEntry* e = openEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  if (totalSectors) *totalSectors = e->totalSectors;
  return LAYER_SUCCESS;
}

DWORD RAW_GetMediaType(DWORD handle, DWORD* mediaType) {
  RawDeviceEntry* e = openEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  if (mediaType) *mediaType = e->mediaType;
  return LAYER_SUCCESS;
}

DWORD RAW_ReadSectors(DWORD handle, std::uint64_t firstSector, DWORD count, void* buffer) {
  LOG_Write(g_logRAW, INFO, u"RAW_ReadSectors(%d): sector=%I64d, count=%d"sv, handle, firstSector, count);
  RawDeviceEntry* e = openEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  if (!RAW_IsWin9xMode()) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(firstSector * e->sectorSize);
    const std::uint64_t bytes = static_cast<std::uint64_t>(count) * e->sectorSize;
    if (firstSector > (0x7FFFFFFFFFFFFFFFull / std::max<DWORD>(e->sectorSize, 1)) ||
        !SetFilePointerEx(e->file, position, nullptr, FILE_BEGIN)) {
      LOG_Write(g_logRAW, ERROR, u"RAW_ReadSectors(%d): SetFilePointer(sector=%I64d) failed with code %d"sv, handle,
                firstSector, GetLastError());
      return LAYER_READ_FAILED;
    }
    if (bytes > 0xFFFFFFFFull || !buffer) {
      LOG_Write(g_logRAW, ERROR, u"RAW_ReadSectors(%d): ReadFile(%d) failed with code %d"sv, handle, count,
                ERROR_INVALID_PARAMETER);
      return LAYER_READ_FAILED;
    }
    DWORD got = 0;
    if (!ReadFile(e->file, buffer, static_cast<DWORD>(bytes), &got, nullptr)) {
      LOG_Write(g_logRAW, ERROR, u"RAW_ReadSectors(%d): ReadFile(%d) failed with code %d"sv, handle, count,
                GetLastError());
      return LAYER_READ_FAILED;
    }
    // A short read leaves part of the buffer unread: a failure, never a success.
    if (got != bytes) {
      LOG_Write(g_logRAW, ERROR, u"RAW_ReadSectors(%d): ReadFile(%d) failed with code %d"sv, handle, count,
                ERROR_HANDLE_EOF);
      return LAYER_READ_FAILED;
    }
    return LAYER_SUCCESS;
  }
  ReadPhysicalSector32Proc read = tarvosk::readPhysicalSector32();
  if (!read) {
    LOG_Write(g_logRAW, ERROR, u"RAW_ReadSectors(%d): ReadSectors() function cannot be located"sv, handle);
    return LAYER_READ_FAILED;
  }
  tarvosk::ChsAddress chs = tarvosk::chsFromLba(firstSector, e->heads, e->sectorsPerTrack);
  DWORD ok = read(e->driveNumber, chs.cylinder, chs.head, chs.sector, count, buffer,
                  static_cast<DWORD>(firstSector >> 32), static_cast<DWORD>(firstSector), e->ext13);
  if (!ok) {
    LOG_Write(g_logRAW, ERROR, u"RAW_ReadSectors(%d): ReadSectors() failed"sv, handle);
    return LAYER_READ_FAILED;
  }
  return LAYER_SUCCESS;
}
