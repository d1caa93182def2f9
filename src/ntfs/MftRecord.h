// One MFT record as bytes: its update sequence fixups and its structural check.
#pragma once

#include <cstdint>
#include <span>

#include "platform/ByteOrder.h"

namespace tarvosk::ntfs {

enum class FixupResult { Applied, AlreadyApplied, Mismatch, BadArray };

// Applies the update sequence fixups in place: the last two bytes of each 512-byte stretch
// (kUpdateSequenceStride, whatever the sector size) must hold the update sequence number and get
// back the saved bytes. Afterwards the array count is set to 1, which marks the record as fixed,
// so a second application changes nothing. The array must lie inside the first stretch and hold
// exactly one entry per stretch of the record.
FixupResult applyFixups(std::span<std::uint8_t> record);

// Why a record was refused; null when it is sound.
// Checks the "FILE" signature, the first attribute offset, and walks the attributes: each
// length non-zero, a multiple of 8 and inside the record, until the end marker, which must be
// reached inside the record.
const char16_t* mftRecordFault(ByteSpan record);

bool hasFileSignature(ByteSpan record);

// The record number part of a 64-bit file reference (the low 48 bits).
inline std::uint64_t recordNumberOf(std::uint64_t reference) { return reference & 0x0000FFFFFFFFFFFFull; }

}  // namespace tarvosk::ntfs
