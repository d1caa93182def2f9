#include "types/SigmaRawType.h"

#include "types/LookAhead.h"

namespace tarvosk {
namespace {

constexpr std::size_t kSignatureOffset = 0;  // "FOVb"
constexpr std::uint64_t kBytesFromMark = 8;  // the file ends this far after the "PROP" mark
constexpr std::uint8_t kPropertyMark[] = {'P', 'R', 'O', 'P'};

}  // namespace

CSigmaRawType::CSigmaRawType() : property_(ByteSpan(kPropertyMark), true) {}

void CSigmaRawType::Reset() {
  results_.clear();
  file_.reset();
}

void CSigmaRawType::Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
  if (data != nullptr && hasBytesAt(unitOnly(data, unitSize), kSignatureOffset, "FOVb", 4)) {
    if (file_.isOpen()) file_.closeEarly(results_);
    file_.begin(unit);
  }
  if (!file_.isOpen()) return;
  if (data == nullptr) {
    file_.markUnavailable();
  } else if (const std::size_t found = property_.find(unitOnly(data, unitSize)); found != BoyerMoore::npos) {
    file_.finish(results_, file_.length() + found + kBytesFromMark);
    return;
  }
  file_.addUnit(results_, unitSize);
}

}  // namespace tarvosk
