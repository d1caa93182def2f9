// Hand-built NTFS bytes for what real tools do not make: MFT records with chosen attributes,
// run lists, and small volumes with chosen cluster and record sizes or a fragmented $MFT.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvosk::test {

// Encodes runs as mapping pairs: each (length, offset) with the offset relative to the previous
// run's start; sparse runs have no offset. Ends with the 0 header.
struct RunPair {
  std::uint64_t length;
  std::int64_t offset;  // relative; ignored when sparse
  bool sparse = false;
};
std::vector<std::uint8_t> encodeRunList(const std::vector<RunPair>& runs);

class RecordBuilder {
 public:
  explicit RecordBuilder(std::uint32_t recordSize = 1024);
  RecordBuilder& flags(std::uint16_t f);
  RecordBuilder& baseReference(std::uint64_t record);
  RecordBuilder& resident(std::uint32_t type, const std::vector<std::uint8_t>& value, const std::u16string& name = u"");
  RecordBuilder& nonResident(std::uint32_t type, const std::vector<std::uint8_t>& runList, std::uint64_t dataSize,
                             std::uint64_t startVcn = 0, std::uint16_t compressionUnit = 0);
  RecordBuilder& fileName(std::uint64_t parent, const std::u16string& name, std::uint8_t nameSpace);
  // The record with its end marker, protected by the update sequence (the ends of its 512-byte
  // stretches moved into the array and replaced by the sequence number), as it lies on disk.
  std::vector<std::uint8_t> build(std::uint16_t usn = 0x0101) const;
  // The same before protection (what a fixed-up record holds, apart from the array count).
  std::vector<std::uint8_t> plain() const;

 private:
  std::uint32_t recordSize_;
  std::uint16_t flags_ = 1;
  std::uint64_t base_ = 0;
  std::vector<std::uint8_t> attributes_;
  std::uint16_t nextId_ = 0;
};

// Protects a plain record as it lies on disk: the last two bytes of each 512-byte stretch go into
// the update sequence array and are replaced by usn.
void protectRecord(std::vector<std::uint8_t>& record, std::uint16_t usn);

// A $FILE_NAME value.
std::vector<std::uint8_t> fileNameValue(std::uint64_t parent, const std::u16string& name, std::uint8_t nameSpace);
// An $ATTRIBUTE_LIST entry.
std::vector<std::uint8_t> attributeListEntry(std::uint32_t type, std::uint64_t startVcn, std::uint64_t record);

// A small volume image: boot sector with the given geometry and byte 64, records written at
// their clusters, everything else zero.
class VolumeBuilder {
 public:
  VolumeBuilder(std::uint32_t clusterSize, std::uint32_t clusters, std::uint64_t mftCluster, std::uint32_t bootByte64,
                std::uint32_t sectorSize = 512);
  void putBytes(std::uint64_t byteOffset, const std::vector<std::uint8_t>& bytes);
  void putCluster(std::uint64_t cluster, const std::vector<std::uint8_t>& bytes) { putBytes(cluster * clusterSize_, bytes); }
  const std::vector<std::uint8_t>& bytes() const { return image_; }
  std::uint32_t clusterSize() const { return clusterSize_; }

 private:
  std::uint32_t clusterSize_;
  std::vector<std::uint8_t> image_;
};

// A complete small volume with one contiguous $MFT of recordCount records at mftCluster,
// record 6 ($Bitmap) with its bitmap at bitmapCluster (clusters below usedClusters marked in
// use), and the record number written at byte 200 of each record 16 and above so tests can tell
// records apart.
std::vector<std::uint8_t> simpleVolume(std::uint32_t clusterSize, std::uint32_t recordSize, std::uint32_t bootByte64,
                                       std::uint32_t clusters, std::uint32_t recordCount);

constexpr std::size_t kRecordMarkerOffset = 1000;  // inside every record of 1024 bytes or more, after its attributes

}  // namespace tarvosk::test
