// Run lists decoded one pair at a time: the documented cases, capacity, and damaged lists.
#include <gtest/gtest.h>

#include <cstring>

#include "ntfs/NtfsImageBuilder.h"
#include "ntfs/RunList.h"

using namespace tarvosk;
using namespace tarvosk::test;

namespace {

// A non-resident $DATA attribute holding the run list bytes as given.
std::vector<std::uint8_t> attributeWith(const std::vector<std::uint8_t>& list) {
  std::vector<std::uint8_t> a((64 + list.size() + 7) / 8 * 8, 0);
  putLe32(&a[0], 0x80);
  a[8] = 1;
  putLe16(&a[32], 64);
  for (std::size_t i = 0; i < list.size(); ++i) a[64 + i] = list[i];
  putLe32(&a[4], static_cast<std::uint32_t>(a.size()));
  return a;
}

std::vector<Run> decode(const std::vector<std::uint8_t>& attr, DWORD* result = nullptr) {
  ByteSpan span(attr.data(), attr.size());
  DWORD count = 0;
  EXPECT_EQ(GetRunCountFromAttr(span, &count), 0u);
  std::vector<Run> runs(count);
  DWORD got = 0;
  DWORD r = GetRunListFromAttr(span, count, &got, runs.data());
  if (result) *result = r;
  else EXPECT_EQ(r, 0u);
  runs.resize(got);
  return runs;
}

}  // namespace

TEST(RunListDecoding, SingleRunOf48ClustersAt32) {
  auto runs = decode(attributeWith({0x11, 0x30, 0x20, 0x00}));
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].length, 48u);
  EXPECT_EQ(runs[0].startCluster, 32);
  EXPECT_EQ(runs[0].offset, 32);
}

TEST(RunListDecoding, NegativeOffsetStartsBeforeThePreviousRun) {
  auto runs = decode(attributeWith({0x11, 0x30, 0x20, 0x11, 0x08, 0xF0, 0x00}));
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].offset, -16);
  EXPECT_EQ(runs[1].startCluster, 16);
  EXPECT_EQ(runs[1].length, 8u);
}

TEST(RunListDecoding, SparseRunThenRelativeRunCountsFromTheRunBeforeTheSparseOne) {
  auto runs = decode(attributeWith({0x11, 0x10, 0x64, 0x01, 0x20, 0x11, 0x04, 0x0A, 0x00}));
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[1].offset, -1);
  EXPECT_EQ(runs[1].startCluster, -1);
  EXPECT_EQ(runs[1].length, 32u);
  EXPECT_EQ(runs[2].startCluster, 100 + 10);
}

TEST(RunListDecoding, WideFieldsAndTheSignOfTheHighestByte) {
  // Length of 3 bytes, offset of 4 bytes whose top bit is clear though a lower byte's is set.
  auto runs = decode(attributeWith({0x43, 0x00, 0x00, 0x01, 0xFF, 0xFF, 0x00, 0x01, 0x00}));
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].length, 0x010000u);
  EXPECT_EQ(runs[0].startCluster, 0x0100FFFF);
  auto built = decode(attributeWith(encodeRunList({{5, 1000000}, {7, -999990}, {3, 0, true}, {9, 70000}})));
  ASSERT_EQ(built.size(), 4u);
  EXPECT_EQ(built[1].startCluster, 10);
  EXPECT_EQ(built[3].startCluster, 70010);
}

TEST(RunListDecoding, CapacityIsReportedNotOverrun) {
  auto attr = attributeWith({0x11, 0x01, 0x10, 0x11, 0x01, 0x01, 0x11, 0x01, 0x01, 0x00});
  ::Run runs[3] = {};
  ::Run tooSmall[3] = {};
  tooSmall[2] = ::Run{123, 456, 789};  // beyond the capacity given: must stay as it is
  DWORD count = 0;
  ByteSpan span(attr.data(), attr.size());
  EXPECT_EQ(GetRunListFromAttr(span, 2, &count, tooSmall), 3u);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(tooSmall[2].length, 789u);
  EXPECT_EQ(tooSmall[2].startCluster, 456);
  EXPECT_EQ(GetRunListFromAttr(span, 3, &count, runs), 0u);
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(runs[2].startCluster, 0x12);
}

TEST(RunListDecoding, ResidentOrNullAttributeGives4) {
  std::vector<std::uint8_t> resident = attributeWith({0x11, 0x30, 0x20, 0});
  resident[8] = 0;
  DWORD count = 77;
  EXPECT_EQ(GetRunCountFromAttr(ByteSpan(resident.data(), resident.size()), &count), 4u);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(GetRunCountFromAttr(ByteSpan(), &count), 4u);
  EXPECT_EQ(GetRunListFromAttr(ByteSpan(), 4, &count, nullptr), 4u);
}

TEST(RunListDamage, PairsRunningPastTheAttributeAreRefused) {
  // Header promises 8 + 8 bytes but the attribute ends first.
  std::vector<std::uint8_t> attr = attributeWith({0x88, 1, 2, 3});
  attr.resize(72);
  putLe32(&attr[4], 72);
  for (std::size_t i = 64; i < 72; ++i) attr[i] = i == 64 ? 0x88 : 0x01;
  DWORD count = 0;
  EXPECT_EQ(GetRunCountFromAttr(ByteSpan(attr.data(), attr.size()), &count), 1u);
  ::Run runs[4];
  EXPECT_EQ(GetRunListFromAttr(ByteSpan(attr.data(), attr.size()), 4, &count, runs), 1u);
}

TEST(RunListDamage, NibblesAboveEightAreRefused) {
  for (int header : {0x19, 0x91, 0xF1, 0x1F}) {
    auto attr = attributeWith({static_cast<std::uint8_t>(header), 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0});
    DWORD count = 0;
    EXPECT_EQ(GetRunCountFromAttr(ByteSpan(attr.data(), attr.size()), &count), 1u) << int(header);
  }
}

TEST(RunListDamage, EndlessListWithoutItsEndMarkerStopsAtTheAttributeEnd) {
  std::vector<std::uint8_t> list;
  for (int i = 0; i < 300; ++i) list.insert(list.end(), {0x11, 0x01, 0x01});
  auto attr = attributeWith(list);  // no 0 header inside the attribute (padding aside)
  attr.resize(attr.size() - (attr.size() - 64 - list.size()));  // cut the padding
  putLe32(&attr[4], static_cast<std::uint32_t>(attr.size()));
  DWORD count = 0;
  EXPECT_EQ(GetRunCountFromAttr(ByteSpan(attr.data(), attr.size()), &count), 1u);
}

TEST(RunListDamage, RunListOffsetOutsideTheAttributeIsRefused) {
  auto attr = attributeWith({0x11, 0x30, 0x20, 0});
  putLe16(&attr[32], 0xFFF0);
  DWORD count = 0;
  EXPECT_EQ(GetRunCountFromAttr(ByteSpan(attr.data(), attr.size()), &count), 1u);
  ::Run runs[2];
  EXPECT_EQ(GetRunListFromAttr(ByteSpan(attr.data(), attr.size()), 2, &count, runs), 1u);
}

TEST(RunListDamage, StartBeforeClusterZeroIsRefused) {
  auto attr = attributeWith({0x11, 0x04, 0x10, 0x11, 0x04, 0xE0, 0x00});  // 16 then -32
  DWORD count = 0;
  ::Run runs[2];
  EXPECT_EQ(GetRunListFromAttr(ByteSpan(attr.data(), attr.size()), 2, &count, runs), 1u);
  EXPECT_EQ(count, 1u);
}
