// Feed throughput of the document recognisers: on random data, on text-heavy data and on disks
// filled with their own file types. Units of 4096 bytes, fed as the scan driver feeds them.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "types/CompoundDoc.h"
#include "types/DocTestSupport.h"
#include "types/PDFFilter.h"
#include "types/TextDoc.h"
#include "types/ZipFilter.h"

namespace tarvosk {
namespace {

constexpr std::uint32_t kUnit = 4096;
constexpr std::size_t kDiskBytes = 32u << 20;

using test::Bytes;

Bytes randomDisk() {
  Bytes disk(kDiskBytes + 2 * kUnit);
  std::mt19937_64 rng(1);
  for (std::size_t i = 0; i < disk.size(); i += 8) {
    const std::uint64_t v = rng();
    for (std::size_t k = 0; k < 8 && i + k < disk.size(); ++k) disk[i + k] = static_cast<std::uint8_t>(v >> (8 * k));
  }
  return disk;
}

// Lines of prose, with a 0x00 every 64 KiB so that runs end and open again.
Bytes textDisk() {
  Bytes disk;
  disk.reserve(kDiskBytes + 2 * kUnit);
  const std::string line = "The quick brown fox jumps over the lazy dog while the scanner reads on.\r\n";
  while (disk.size() < kDiskBytes + 2 * kUnit) {
    disk.insert(disk.end(), line.begin(), line.end());
    if (disk.size() % 65536 < line.size()) disk.push_back(0);
  }
  disk.resize(kDiskBytes + 2 * kUnit);
  return disk;
}

// Documents of the recogniser's own type back to back, each starting at a unit.
Bytes ownTypeDisk(const Bytes& file) {
  test::SyntheticDisk disk(kUnit, 3);
  while (disk.span().size() < kDiskBytes) disk.place(file);
  Bytes bytes = disk.bytes();
  bytes.resize(kDiskBytes + 2 * kUnit, 0);
  return bytes;
}

Bytes compoundFile() { return test::makeCompoundFile(100, {"", "MSWordDoc"}); }
Bytes pdfFile() {
  Bytes b(40000, ' ');
  const std::string start = "%PDF-1.4\n", marker = "%%EOF\n";
  std::copy(start.begin(), start.end(), b.begin());
  std::copy(marker.begin(), marker.end(), b.begin() + 1000);
  std::copy(marker.begin(), marker.end(), b.end() - 6);
  return b;
}
Bytes zipFile() {
  Bytes b(60000, 0x5A);
  std::mt19937 rng(5);
  for (auto& x : b) x = static_cast<std::uint8_t>(rng() | 0x80);  // no stray signatures
  b[0] = 0x50, b[1] = 0x4B, b[2] = 0x03, b[3] = 0x04;
  std::uint8_t* end = &b[b.size() - 22];
  end[0] = 0x50, end[1] = 0x4B, end[2] = 0x05, end[3] = 0x06;
  putLe16(end + 20, 0);
  return b;
}

template <class Recogniser>
void feedAll(benchmark::State& state, const Bytes& disk) {
  Recogniser recogniser;
  const std::uint64_t units = kDiskBytes / kUnit;
  for (auto _ : state) {
    recogniser.Reset();
    for (std::uint64_t u = 0; u < units; ++u) recogniser.Feed(u, disk.data() + u * kUnit, kUnit);
    benchmark::DoNotOptimize(recogniser.GetResults().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * units * kUnit));
}

const Bytes& randomData() {
  static const Bytes d = randomDisk();
  return d;
}
const Bytes& textData() {
  static const Bytes d = textDisk();
  return d;
}

template <class Recogniser>
void BM_Random(benchmark::State& state) { feedAll<Recogniser>(state, randomData()); }
template <class Recogniser>
void BM_Text(benchmark::State& state) { feedAll<Recogniser>(state, textData()); }

void BM_CompoundDoc_Own(benchmark::State& state) {
  static const Bytes d = ownTypeDisk(compoundFile());
  feedAll<CCompoundDoc>(state, d);
}
void BM_PDFFilter_Own(benchmark::State& state) {
  static const Bytes d = ownTypeDisk(pdfFile());
  feedAll<CPDFFilter>(state, d);
}
void BM_ZipFilter_Own(benchmark::State& state) {
  static const Bytes d = ownTypeDisk(zipFile());
  feedAll<CZipFilter>(state, d);
}

BENCHMARK(BM_Random<CCompoundDoc>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Random<CTextDoc>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Random<CPDFFilter>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Random<CZipFilter>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Text<CCompoundDoc>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Text<CTextDoc>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Text<CPDFFilter>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Text<CZipFilter>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompoundDoc_Own)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PDFFilter_Own)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZipFilter_Own)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarvosk
