#include "ntfs/NtfsImageBuilder.h"

#include <cstring>
#include <stdexcept>

#include "platform/ByteOrder.h"

namespace tarvosk::test {

namespace {

unsigned bytesFor(std::uint64_t v) {
  unsigned n = 1;
  while (n < 8 && (v >> (8 * n)) != 0) ++n;
  return n;
}

unsigned signedBytesFor(std::int64_t v) {
  for (unsigned n = 1; n < 8; ++n) {
    std::int64_t lo = -(std::int64_t{1} << (8 * n - 1));
    std::int64_t hi = (std::int64_t{1} << (8 * n - 1)) - 1;
    if (v >= lo && v <= hi) return n;
  }
  return 8;
}

void pad8(std::vector<std::uint8_t>& v) {
  while (v.size() % 8) v.push_back(0);
}

}  // namespace

std::vector<std::uint8_t> encodeRunList(const std::vector<RunPair>& runs) {
  std::vector<std::uint8_t> out;
  for (const RunPair& r : runs) {
    unsigned lb = bytesFor(r.length);
    unsigned ob = r.sparse ? 0 : signedBytesFor(r.offset);
    out.push_back(static_cast<std::uint8_t>(lb | (ob << 4)));
    for (unsigned i = 0; i < lb; ++i) out.push_back(static_cast<std::uint8_t>(r.length >> (8 * i)));
    for (unsigned i = 0; i < ob; ++i) out.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(r.offset) >> (8 * i)));
  }
  out.push_back(0);
  return out;
}

RecordBuilder::RecordBuilder(std::uint32_t recordSize) : recordSize_(recordSize) {}

RecordBuilder& RecordBuilder::flags(std::uint16_t f) {
  flags_ = f;
  return *this;
}

RecordBuilder& RecordBuilder::baseReference(std::uint64_t record) {
  base_ = record;
  return *this;
}

RecordBuilder& RecordBuilder::resident(std::uint32_t type, const std::vector<std::uint8_t>& value, const std::u16string& name) {
  std::vector<std::uint8_t> a(24, 0);
  std::size_t nameOffset = 24;
  for (char16_t c : name) {
    a.push_back(static_cast<std::uint8_t>(c));
    a.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  pad8(a);
  std::size_t valueOffset = a.size();
  a.insert(a.end(), value.begin(), value.end());
  pad8(a);
  putLe32(&a[0], type);
  putLe32(&a[4], static_cast<std::uint32_t>(a.size()));
  a[8] = 0;
  a[9] = static_cast<std::uint8_t>(name.size());
  putLe16(&a[10], static_cast<std::uint16_t>(nameOffset));
  putLe16(&a[14], nextId_++);
  putLe32(&a[16], static_cast<std::uint32_t>(value.size()));
  putLe16(&a[20], static_cast<std::uint16_t>(valueOffset));
  attributes_.insert(attributes_.end(), a.begin(), a.end());
  return *this;
}

RecordBuilder& RecordBuilder::nonResident(std::uint32_t type, const std::vector<std::uint8_t>& runList,
                                          std::uint64_t dataSize, std::uint64_t startVcn, std::uint16_t compressionUnit) {
  std::vector<std::uint8_t> a(64, 0);
  a.insert(a.end(), runList.begin(), runList.end());
  pad8(a);
  putLe32(&a[0], type);
  putLe32(&a[4], static_cast<std::uint32_t>(a.size()));
  a[8] = 1;
  putLe16(&a[10], 64);
  putLe16(&a[14], nextId_++);
  putLe64(&a[16], startVcn);
  putLe16(&a[32], 64);
  putLe16(&a[34], compressionUnit);
  putLe64(&a[40], dataSize);
  putLe64(&a[48], dataSize);
  putLe64(&a[56], dataSize);
  attributes_.insert(attributes_.end(), a.begin(), a.end());
  return *this;
}

RecordBuilder& RecordBuilder::fileName(std::uint64_t parent, const std::u16string& name, std::uint8_t nameSpace) {
  return resident(0x30, fileNameValue(parent, name, nameSpace));
}

std::vector<std::uint8_t> RecordBuilder::plain() const {
  std::vector<std::uint8_t> r(recordSize_, 0);
  std::memcpy(r.data(), "FILE", 4);
  std::uint16_t count = static_cast<std::uint16_t>(recordSize_ / 512 + 1);
  std::size_t first = (48 + 2u * count + 7) / 8 * 8;
  putLe16(&r[4], 48);
  putLe16(&r[6], count);
  putLe16(&r[16], 1);  // sequence number
  putLe16(&r[20], static_cast<std::uint16_t>(first));
  putLe16(&r[22], flags_);
  putLe64(&r[32], base_);
  if (first + attributes_.size() + 8 > recordSize_) throw std::runtime_error("attributes do not fit the record");
  if (!attributes_.empty()) std::memcpy(r.data() + first, attributes_.data(), attributes_.size());
  putLe32(&r[first + attributes_.size()], 0xFFFFFFFF);
  putLe32(&r[24], static_cast<std::uint32_t>(first + attributes_.size() + 8));
  putLe32(&r[28], recordSize_);
  return r;
}

std::vector<std::uint8_t> RecordBuilder::build(std::uint16_t usn) const {
  std::vector<std::uint8_t> r = plain();
  protectRecord(r, usn);
  return r;
}

void protectRecord(std::vector<std::uint8_t>& r, std::uint16_t usn) {
  std::uint16_t count = le16(ByteSpan(r), 6);
  std::size_t array = le16(ByteSpan(r), 4);
  putLe16(&r[array], usn);
  for (std::size_t j = 1; j < count; ++j) {
    std::size_t end = j * 512 - 2;
    r[array + 2 * j] = r[end];
    r[array + 2 * j + 1] = r[end + 1];
    putLe16(&r[end], usn);
  }
}

std::vector<std::uint8_t> fileNameValue(std::uint64_t parent, const std::u16string& name, std::uint8_t nameSpace) {
  std::vector<std::uint8_t> v(66, 0);
  putLe64(&v[0], parent | (std::uint64_t{1} << 48));
  v[64] = static_cast<std::uint8_t>(name.size());
  v[65] = nameSpace;
  for (char16_t c : name) {
    v.push_back(static_cast<std::uint8_t>(c));
    v.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return v;
}

std::vector<std::uint8_t> attributeListEntry(std::uint32_t type, std::uint64_t startVcn, std::uint64_t record) {
  std::vector<std::uint8_t> e(32, 0);
  putLe32(&e[0], type);
  putLe16(&e[4], 32);
  e[6] = 0;
  e[7] = 26;
  putLe64(&e[8], startVcn);
  putLe32(&e[16], static_cast<std::uint32_t>(record));
  putLe16(&e[20], static_cast<std::uint16_t>(record >> 32));
  putLe16(&e[22], 1);
  return e;
}

VolumeBuilder::VolumeBuilder(std::uint32_t clusterSize, std::uint32_t clusters, std::uint64_t mftCluster,
                             std::uint32_t bootByte64, std::uint32_t sectorSize)
    : clusterSize_(clusterSize), image_(static_cast<std::size_t>(clusterSize) * clusters, 0) {
  std::uint8_t* b = image_.data();
  b[0] = 0xEB;
  b[1] = 0x52;
  b[2] = 0x90;
  std::memcpy(b + 3, "NTFS    ", 8);
  putLe16(b + 11, static_cast<std::uint16_t>(sectorSize));
  b[13] = static_cast<std::uint8_t>(clusterSize / sectorSize);
  b[21] = 0xF8;
  putLe64(b + 40, static_cast<std::uint64_t>(clusters) * (clusterSize / sectorSize) - 1);
  putLe64(b + 48, mftCluster);
  putLe64(b + 56, clusters - 1);
  putLe32(b + 64, bootByte64);
  putLe32(b + 68, 1);
  putLe64(b + 72, 0x1234ABCD5678EF00ull);
  b[510] = 0x55;
  b[511] = 0xAA;
}

void VolumeBuilder::putBytes(std::uint64_t byteOffset, const std::vector<std::uint8_t>& bytes) {
  if (byteOffset + bytes.size() > image_.size()) throw std::runtime_error("bytes outside the image");
  std::memcpy(image_.data() + byteOffset, bytes.data(), bytes.size());
}

std::vector<std::uint8_t> simpleVolume(std::uint32_t clusterSize, std::uint32_t recordSize, std::uint32_t bootByte64,
                                       std::uint32_t clusters, std::uint32_t recordCount) {
  const std::uint64_t mftCluster = 4;
  std::uint64_t mftClusters = (static_cast<std::uint64_t>(recordCount) * recordSize + clusterSize - 1) / clusterSize;
  std::uint64_t bitmapCluster = mftCluster + mftClusters;
  std::uint32_t usedClusters = static_cast<std::uint32_t>(bitmapCluster + 1);
  VolumeBuilder volume(clusterSize, clusters, mftCluster, bootByte64);
  std::uint64_t mftBytes = static_cast<std::uint64_t>(recordCount) * recordSize;
  for (std::uint32_t n = 0; n < recordCount; ++n) {
    RecordBuilder record(recordSize);
    if (n == 0) {
      record.fileName(5, u"$MFT", 3).nonResident(0x80, encodeRunList({{mftClusters, static_cast<std::int64_t>(mftCluster)}}), mftBytes);
    } else if (n == 6) {
      record.fileName(5, u"$Bitmap", 3)
          .nonResident(0x80, encodeRunList({{1, static_cast<std::int64_t>(bitmapCluster)}}), (clusters + 7) / 8);
    } else if (n == 3) {
      std::vector<std::uint8_t> label;
      for (char16_t c : std::u16string(u"HANDMADE")) {
        label.push_back(static_cast<std::uint8_t>(c));
        label.push_back(static_cast<std::uint8_t>(c >> 8));
      }
      record.fileName(5, u"$Volume", 3).resident(0x60, label);
    } else if (n == 5) {
      record.flags(3).fileName(5, u".", 3);
    } else {
      record.fileName(5, u"f" + std::u16string(1, static_cast<char16_t>(u'0' + n % 10)), 3);
    }
    std::vector<std::uint8_t> bytes = record.plain();
    putLe32(&bytes[kRecordMarkerOffset], n);
    protectRecord(bytes, 0x0202);
    volume.putBytes(mftCluster * clusterSize + static_cast<std::uint64_t>(n) * recordSize, bytes);
  }
  std::vector<std::uint8_t> bitmap(clusterSize, 0);
  for (std::uint32_t c = 0; c < usedClusters; ++c) bitmap[c / 8] |= static_cast<std::uint8_t>(1u << (c % 8));
  for (std::uint32_t c = clusters; c < clusterSize * 8u; ++c) bitmap[c / 8] |= static_cast<std::uint8_t>(1u << (c % 8));
  volume.putCluster(bitmapCluster, bitmap);
  return volume.bytes();
}

}  // namespace tarvosk::test
