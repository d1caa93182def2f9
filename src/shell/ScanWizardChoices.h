// What the scan wizard hands to the main window when it ends with Finish: the scan type of its
// first page, the drive of its second, and the range of its third. The file types of its last
// page go straight into the recognisers' enabled flags.
#pragma once

#include <cstdint>
#include <string>

namespace tarvosk {

enum class WizardScanType { Basic, Physical, Thorough };

struct ScanWizardChoices {
  WizardScanType type = WizardScanType::Basic;
  std::u16string drive;          // "C:", or a physical drive's character (123 plus its number) and ":"
  bool partial = false;          // only the range start..end is scanned
  std::uint64_t start = 0;       // clusters of the volume (physical scan) or sectors of the drive
  std::uint64_t end = 0;         // (thorough scan); both 0 unless partial
};

}  // namespace tarvosk
