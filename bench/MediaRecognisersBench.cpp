// Feed throughput of the picture, camera-raw and media recognisers, on random data (the idle
// case: a few bytes looked at per unit) and on a disk full of files of their own type.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/ByteOrder.h"
#include "types/AviType.h"
#include "types/BmpType.h"
#include "types/CanonRawType.h"
#include "types/JpegType.h"
#include "types/MP3ype.h"
#include "types/SigmaRawType.h"
#include "types/TiffType.h"

namespace tarvosk {
namespace {

constexpr std::uint32_t kUnit = 4096;
constexpr std::size_t kDiskBytes = 64u << 20;

std::vector<std::uint8_t> randomDisk() {
  std::mt19937_64 random(42);
  std::vector<std::uint8_t> d(kDiskBytes + 2 * kUnit);
  for (std::size_t i = 0; i + 8 <= d.size(); i += 8) putLe64(d.data() + i, random());
  return d;
}

// One file of the type, of about fileBytes, over random filler.
std::vector<std::uint8_t> sampleFile(int kind, std::size_t fileBytes, std::mt19937& random) {
  std::vector<std::uint8_t> f(fileBytes);
  for (auto& b : f) b = static_cast<std::uint8_t>(random() | 0x01);  // no 0xFF D9, no "PROP"
  const auto n = static_cast<std::uint32_t>(fileBytes);
  switch (kind) {
    case 0:  // BMP
      std::memcpy(f.data(), "BM", 2);
      putLe32(f.data() + 2, n);
      putLe32(f.data() + 6, 0);
      break;
    case 1: {  // JPEG: APP0, start of scan, scan bytes without markers, end marker
      const std::uint8_t head[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10};
      std::memcpy(f.data(), head, sizeof head);
      const std::uint8_t sos[] = {0xFF, 0xDA, 0x00, 0x08};
      std::memcpy(f.data() + 20, sos, sizeof sos);
      for (std::size_t i = 24; i < fileBytes; ++i)
        if (f[i] == 0xFF) f[i] = 0xFE;
      f[fileBytes - 2] = 0xFF;
      f[fileBytes - 1] = 0xD9;
      break;
    }
    case 2: {  // CRW
      std::memcpy(f.data(), "II", 2);
      std::memcpy(f.data() + 6, "HEAPCCDR", 8);
      putLe16(f.data() + n - 4 - 2 - 30, 3);
      putLe32(f.data() + n - 4, n - 4 - 2 - 30 - 26);
      break;
    }
    case 3:  // X3F
      std::memcpy(f.data(), "FOVb", 4);
      std::memcpy(f.data() + n - 8, "PROP", 4);
      break;
    case 4: {  // TIFF
      const std::uint8_t head[] = {'I', 'I', 42, 0, 8, 0, 0, 0, 2, 0};
      std::memcpy(f.data(), head, sizeof head);
      const std::uint8_t entries[] = {0x11, 0x01, 4, 0, 1, 0, 0, 0, 0x2C, 0x01, 0, 0,
                                      0x17, 0x01, 4, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
      std::memcpy(f.data() + 10, entries, sizeof entries);
      putLe32(f.data() + 10 + 12 + 8, n - 300);
      break;
    }
    case 5: {  // MP3: 128 kbit/s frames of 417 bytes
      for (std::size_t at = 0; at + 417 <= fileBytes; at += 417) {
        const std::uint8_t h[] = {0xFF, 0xFB, 0x90, 0x00};
        std::memcpy(f.data() + at, h, 4);
      }
      f.resize(fileBytes / 417 * 417);
      break;
    }
    default: {  // AVI
      std::memcpy(f.data(), "RIFF", 4);
      putLe32(f.data() + 4, n - 8);
      std::memcpy(f.data() + 8, "AVI ", 4);
      break;
    }
  }
  return f;
}

std::vector<std::uint8_t> ownTypeDisk(int kind) {
  std::mt19937 random(7);
  std::vector<std::uint8_t> d;
  d.reserve(kDiskBytes + 2 * kUnit);
  while (d.size() < kDiskBytes) {
    auto f = sampleFile(kind, 300000 + random() % 200000, random);
    d.insert(d.end(), f.begin(), f.end());
    d.resize((d.size() + kUnit - 1) / kUnit * kUnit, 0);
  }
  d.resize(kDiskBytes + 2 * kUnit, 0);
  return d;
}

template <class T>
void feedDisk(benchmark::State& state, int kind) {
  const bool own = state.range(0) != 0;
  static const std::vector<std::uint8_t> random = randomDisk();
  const std::vector<std::uint8_t> disk = own ? ownTypeDisk(kind) : random;
  std::size_t found = 0;
  for (auto _ : state) {
    T r;
    for (std::size_t off = 0; off < kDiskBytes; off += kUnit) r.Feed(off / kUnit, disk.data() + off, kUnit);
    found = r.GetResults().size();
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kDiskBytes));
  state.counters["found"] = static_cast<double>(found);
}

void BM_BmpFeed(benchmark::State& s) { feedDisk<CBmpType>(s, 0); }
void BM_JpegFeed(benchmark::State& s) { feedDisk<CJpegType>(s, 1); }
void BM_CanonRawFeed(benchmark::State& s) { feedDisk<CCanonRawType>(s, 2); }
void BM_SigmaRawFeed(benchmark::State& s) { feedDisk<CSigmaRawType>(s, 3); }
void BM_TiffFeed(benchmark::State& s) { feedDisk<CTiffType>(s, 4); }
void BM_Mp3Feed(benchmark::State& s) { feedDisk<CMP3ype>(s, 5); }
void BM_AviFeed(benchmark::State& s) { feedDisk<CAviType>(s, 6); }

// Argument 0: random data; 1: a disk of files of the recogniser's own type.
BENCHMARK(BM_BmpFeed)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegFeed)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CanonRawFeed)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SigmaRawFeed)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffFeed)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mp3Feed)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AviFeed)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarvosk
