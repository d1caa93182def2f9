// One MFT record as bytes: fixups, the structural check, and on a record that passes it every
// attribute look-up, value, name and run list. Whatever they hand out must lie inside the record.
#include <vector>

#include "FuzzTarget.h"
#include "ntfs/Attribute.h"
#include "ntfs/MftRecord.h"
#include "ntfs/NtfsLayout.h"
#include "ntfs/RunList.h"

using namespace tarvosk;
using namespace tarvosk::ntfs;

namespace {

constexpr DWORD kSmallRunCapacity = 4;

bool within(ByteSpan outer, ByteSpan inner) {
  return inner.empty() || (inner.data() >= outer.data() && inner.data() + inner.size() <= outer.data() + outer.size());
}

void checkRunList(ByteSpan attribute) {
  DWORD counted = 0;
  DWORD countResult = GetRunCountFromAttr(attribute, &counted);
  std::vector<Run> runs;
  DWORD decodeResult = decodeRunList(attribute, runs);
  // Counting checks the pairs' shape only; decoding also refuses start clusters out of range.
  if (countResult != 0) fuzz::require(decodeResult == countResult, "decoding fails as counting did");
  else fuzz::require(decodeResult == 0 || decodeResult == 1, "a counted run list decodes or is damaged");
  if (decodeResult == 0) fuzz::require(runs.size() == counted, "decoding gives as many runs as counted");
  Run few[kSmallRunCapacity];
  DWORD got = 0;
  DWORD fewResult = GetRunListFromAttr(attribute, kSmallRunCapacity, &got, few);
  fuzz::require(got <= kSmallRunCapacity, "a run list never passes the caller's capacity");
  if (fewResult == 0) fuzz::require(got == counted, "a run list that fits is decoded whole");
}

void checkAttribute(ByteSpan record, ByteSpan attribute) {
  fuzz::require(within(record, attribute), "an attribute lies inside its record");
  fuzz::require(within(attribute, residentValue(attribute)), "a resident value lies inside its attribute");
  attributeName(attribute);
  attributeDataSize(attribute);
  if (!isResident(attribute)) checkRunList(attribute);
  if (le32(attribute, kAttrType) == kAttrFileName) fileNameText(residentValue(attribute));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> record(data, data + size);
  if (applyFixups(record) == FixupResult::Applied)
    fuzz::require(applyFixups(record) == FixupResult::AlreadyApplied, "fixups apply once");
  ByteSpan bytes(record);
  if (mftRecordFault(bytes)) return 0;
  forEachAttribute(bytes, [&](ByteSpan attribute) {
    checkAttribute(bytes, attribute);
    return true;
  });
  for (DWORD type = kAttrStandardInformation; type <= 0x100; type += 0x10) {
    ByteSpan found;
    if (FindAttribute(bytes, type, &found) == 0) {
      fuzz::require(within(bytes, found) && le32(found, kAttrType) == type, "FindAttribute finds its type inside");
    }
    fuzz::require(within(bytes, findUnnamedAttribute(bytes, type)), "an unnamed attribute lies inside");
  }
  ByteSpan name;
  GetFileName(bytes, &name);
  fuzz::require(within(bytes, name), "a file name value lies inside the record");
  return 0;
}
