#include "ntfs/Attribute.h"

#include <cstdint>

#include "log/Log.h"
#include "ntfs/NtfsLayout.h"

using namespace tarvosk;
using namespace tarvosk::ntfs;

namespace {

DWORD addressOf(ByteSpan bytes) { return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(bytes.data())); }

}  // namespace

DWORD FindAttribute(ByteSpan record, DWORD type, ByteSpan* attribute) {
  LOG_Write(g_logNTFS, INFO, u"FindAttribute(handle=0x%x): looking for attribute %d", addressOf(record), type);
  ByteSpan found;
  forEachAttribute(record, [&](ByteSpan attr) {
    if (le32(attr, kAttrType) != type) return true;
    found = attr;
    return false;
  });
  if (attribute) *attribute = found;
  if (found.data()) {
    LOG_Write(g_logNTFS, INFO, u"FindAttribute(handle=0x%x): attribute %d found", addressOf(record), type);
    return LAYER_SUCCESS;
  }
  LOG_Write(g_logNTFS, WARNING, u"FindAttribute(handle=0x%x): failed to find attribute %d", addressOf(record), type);
  return ATTRIBUTE_NOT_FOUND;
}

DWORD GetFileName(ByteSpan record, ByteSpan* fileName) {
  LOG_Write(g_logNTFS, INFO, u"GetFileName(0x%x)", addressOf(record));
  ByteSpan last;
  ByteSpan chosen;
  forEachAttribute(record, [&](ByteSpan attr) {
    if (le32(attr, kAttrType) != kAttrFileName) return true;
    ByteSpan value = residentValue(attr);
    std::size_t nameUnits = le8(value, kFnNameLength);
    if (!fitsIn(value.size(), kFnName, 2 * nameUnits)) return true;  // too short for its name
    last = value;
    if (le8(value, kFnNamespace) != kFnNamespaceDos) {
      chosen = value;
      return false;
    }
    return true;
  });
  if (chosen.data()) {
    if (fileName) *fileName = chosen;
    if (LOG_IsOpen())  // the name is made only for the log line: the scan calls this for every record
      LOG_Write(g_logNTFS, INFO, u"GetFileName(0x%x): returning %ws", addressOf(record), fileNameText(chosen).c_str());
    return LAYER_SUCCESS;
  }
  if (fileName) *fileName = last;
  LOG_Write(g_logNTFS, WARNING, u"GetFileName(0x%x): name not found", addressOf(record));
  return ATTRIBUTE_NOT_FOUND;
}

namespace tarvosk::ntfs {

bool isResident(ByteSpan attribute) { return le8(attribute, kAttrNonResident) == 0; }

bool isCompressed(ByteSpan attribute) {
  return !isResident(attribute) && (le16(attribute, kAttrFlags) & kAttrFlagCompressed) != 0 &&
         le16(attribute, kAttrCompressionUnit) != 0;
}

ByteSpan residentValue(ByteSpan attribute) {
  if (!isResident(attribute) || attribute.size() < kAttrResidentHeader) return {};
  std::uint32_t length = le32(attribute, kAttrValueLength);
  std::uint16_t offset = le16(attribute, kAttrValueOffset);
  if (!fitsIn(attribute.size(), offset, length)) return {};
  return attribute.subspan(offset, length);
}

std::u16string attributeName(ByteSpan attribute) {
  std::size_t units = le8(attribute, kAttrNameLength);
  std::size_t offset = le16(attribute, kAttrNameOffset);
  std::u16string name;
  if (units == 0 || !fitsIn(attribute.size(), offset, 2 * units)) return name;
  for (std::size_t i = 0; i < units; ++i) name.push_back(static_cast<char16_t>(le16(attribute, offset + 2 * i)));
  return name;
}

bool isUnnamed(ByteSpan attribute) { return le8(attribute, kAttrNameLength) == 0; }

std::uint64_t attributeDataSize(ByteSpan attribute) {
  if (isResident(attribute)) return residentValue(attribute).size();
  if (attribute.size() < kAttrNonResidentHeader) return 0;
  return le64(attribute, kAttrDataSize);
}

ByteSpan findUnnamedAttribute(ByteSpan record, std::uint32_t type) {
  ByteSpan found;
  forEachAttribute(record, [&](ByteSpan attr) {
    if (le32(attr, kAttrType) != type || !isUnnamed(attr)) return true;
    found = attr;
    return false;
  });
  return found;
}

std::u16string fileNameText(ByteSpan value) {
  std::size_t units = le8(value, kFnNameLength);
  std::u16string name;
  if (!fitsIn(value.size(), kFnName, 2 * units)) return name;
  name.reserve(units);
  for (std::size_t i = 0; i < units; ++i) name.push_back(static_cast<char16_t>(le16(value, kFnName + 2 * i)));
  return name;
}

bool firstFileNameTime(ByteSpan record, std::uint64_t& time) {
  ByteSpan attribute;
  if (FindAttribute(record, kAttrFileName, &attribute) != LAYER_SUCCESS) return false;
  ByteSpan value = residentValue(attribute);
  if (!fitsIn(value.size(), kFnModificationTime, 8)) return false;
  time = le64(value, kFnModificationTime);
  return true;
}

}  // namespace tarvosk::ntfs
