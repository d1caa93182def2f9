// Randomly damaged records, run lists and compressed chunks: every parser stays inside its
// buffers (checked here, and by the sanitizer build) and every span it hands out lies inside
// the bytes it was given.
#include <gtest/gtest.h>

#include <random>

#include "ntfs/Attribute.h"
#include "ntfs/Lznt1.h"
#include "ntfs/MftRecord.h"
#include "ntfs/NtfsImageBuilder.h"
#include "ntfs/RunList.h"

using namespace tarvosk;
using namespace tarvosk::ntfs;
using namespace tarvosk::test;

namespace {

bool inside(ByteSpan part, const std::vector<std::uint8_t>& whole) {
  return !part.data() || (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

}  // namespace

TEST(MutatedInput, DamagedRecordsNeverYieldSpansOutsideThemselves) {
  std::mt19937 random(20261209);
  RecordBuilder builder(1024);
  builder.resident(0x10, std::vector<std::uint8_t>(48, 1))
      .fileName(5, u"LONGNA~1.TXT", 2)
      .fileName(5, u"long name.txt", 1)
      .nonResident(0x80, encodeRunList({{16, 100}, {4, 0, true}, {8, -50}}), 28 * 4096);
  const std::vector<std::uint8_t> sound = builder.build();
  int accepted = 0;
  for (int round = 0; round < 4000; ++round) {
    std::vector<std::uint8_t> r = sound;
    int flips = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < flips; ++i) r[random() % r.size()] = static_cast<std::uint8_t>(random());
    if (applyFixups(r) == FixupResult::Mismatch) continue;
    ByteSpan bytes(r.data(), r.size());
    bool sane = mftRecordFault(bytes) == nullptr;
    accepted += sane;
    ByteSpan attr, name;
    FindAttribute(bytes, 0x80, &attr);
    ASSERT_TRUE(inside(attr, r));
    GetFileName(bytes, &name);
    ASSERT_TRUE(inside(name, r));
    ASSERT_TRUE(inside(residentValue(attr), r));
    std::vector<::Run> runs;
    decodeRunList(attr, runs);
    ASSERT_LE(runs.size(), attr.size());
    for (const ::Run& run : runs) ASSERT_TRUE(run.startCluster >= 0 || run.startCluster == kSparseRun);
  }
  EXPECT_GT(accepted, 100) << "some damage leaves the structure intact";
}

TEST(MutatedInput, RandomCompressedUnitsStayInsideTheirBuffers) {
  std::mt19937 random(42);
  for (int round = 0; round < 300; ++round) {
    std::vector<BYTE> input(1 + random() % 9000);
    for (auto& b : input) b = static_cast<BYTE>(random());
    input[1] |= 0x80;  // a compressed chunk first
    std::vector<BYTE> out(65536 + 32, 0xC3);
    ASSERT_EQ(decompressUnitBytes(4096, ByteSpan(input.data(), input.size()), std::span<BYTE>(out.data(), 65536)), 0u);
    for (std::size_t i = 65536; i < out.size(); ++i) ASSERT_EQ(out[i], 0xC3) << "wrote past the unit";
  }
}
