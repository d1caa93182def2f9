// Attributes inside an MFT record: finding them, their values and names, and a record's
// display name. An attribute is handed out as the span of its own bytes (its validated length),
// so everything read from it stays inside it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ByteOrder.h"
#include "platform/ResultCodes.h"
#include "platform/WinTypes.h"

// What FindAttribute and GetFileName return when the record holds no such attribute.
constexpr DWORD ATTRIBUTE_NOT_FOUND = 1;

// Finds the first attribute of that type, named or not: LAYER_SUCCESS, or ATTRIBUTE_NOT_FOUND with
// attribute empty. The walk stops, as not found, at a zero length or at the end of the record.
DWORD FindAttribute(tarvosk::ByteSpan record, DWORD type, tarvosk::ByteSpan* attribute);

// The record's $FILE_NAME value whose namespace is not DOS: LAYER_SUCCESS; ATTRIBUTE_NOT_FOUND,
// with the last $FILE_NAME value seen (or nothing) in fileName. Values too short for their name
// are skipped.
DWORD GetFileName(tarvosk::ByteSpan record, tarvosk::ByteSpan* fileName);

namespace tarvosk::ntfs {

// Calls visit(attribute) for each attribute in record order, while visit returns true.
template <class Visit>
void forEachAttribute(ByteSpan record, Visit visit);

bool isResident(ByteSpan attribute);
// Whether a non-resident attribute's data is stored in LZNT1 compression units: its compressed
// flag is set and it has a compression unit. A sparse file may carry a compression unit without
// being compressed (ntfs-3g writes one).
bool isCompressed(ByteSpan attribute);
// A resident attribute's value; empty when the attribute is non-resident or its value does not
// lie inside the attribute.
ByteSpan residentValue(ByteSpan attribute);
// The attribute's name; empty for the unnamed attribute or a name outside the attribute.
std::u16string attributeName(ByteSpan attribute);
bool isUnnamed(ByteSpan attribute);
// The data size: non-resident, the 64-bit size field; resident, the value length.
std::uint64_t attributeDataSize(ByteSpan attribute);
// The first unnamed attribute of that type; empty if none.
ByteSpan findUnnamedAttribute(ByteSpan record, std::uint32_t type);
// A $FILE_NAME value's name, or empty when it does not fit in the value.
std::u16string fileNameText(ByteSpan fileNameValue);
// The modification time that the record's first $FILE_NAME holds (UTC, 100 ns since 1601): the
// time the views show for the file. False when there is none or its value is too short for it.
bool firstFileNameTime(ByteSpan record, std::uint64_t& time);

}  // namespace tarvosk::ntfs

#include "ntfs/AttributeWalk.h"
