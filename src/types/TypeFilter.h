// The recogniser interface that the carving scans feed, unit by unit, and the parent/child scheme
// by which one recogniser sorts its findings into several displayed types.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tarvosk {

// One file found by a recogniser: it begins at offset 0 of its start unit.
struct FoundFile {
  std::uint64_t startUnit = 0;
  std::uint64_t length = 0;
  std::uint8_t chance = 0;  // 0 not rated, 2 poor, 3 may be good
};

inline constexpr std::uint8_t kChanceNotRated = 0;
inline constexpr std::uint8_t kChancePoor = 2;
inline constexpr std::uint8_t kChanceMayBeGood = 3;

// No carved file is longer than 25 MB, except ZIP files (2 GB).
inline constexpr std::uint64_t kMaxCarvedFileLength = 0x1900000;
inline constexpr std::uint64_t kMaxZipFileLength = 0x80000000;

class CTypeFilter {
 public:
  virtual ~CTypeFilter() = default;
  // Empties the result list(s) and returns the parser to idle.
  virtual void Reset() = 0;
  // Units arrive in ascending, gap-free order. data is null for a unit that is not available;
  // otherwise data[0 .. unitSize) is the unit, and the memory after it stays readable for at
  // least one more chunk of the stream.
  virtual void Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) = 0;
  virtual const std::vector<FoundFile>& GetResults() = 0;
  virtual std::u16string_view GetExtension() const = 0;
  virtual std::u16string_view GetName() const = 0;
  virtual std::u16string_view GetCategory() const = 0;

  // The user's choice in the scan wizard's type tree: whether the type's findings are shown.
  bool enabled = true;
  // The child recognisers that present this recogniser's subtypes (not owned).
  std::vector<CTypeFilter*> children;

 protected:
  static const std::vector<FoundFile>& noResults();
};

// A recogniser of one type: its list is returned whatever its enabled flag (a disabled one is
// simply not fed).
class CPlainTypeFilter : public CTypeFilter {
 public:
  const std::vector<FoundFile>& GetResults() override { return results_; }

 protected:
  std::vector<FoundFile> results_;
};

// A recogniser of a family of formats: list 0 holds its own type, list k subtype k.
class CParentTypeFilter : public CTypeFilter {
 public:
  explicit CParentTypeFilter(std::size_t listCount) : lists_(listCount) {}
  const std::vector<FoundFile>& GetResults() override { return enabled ? lists_[0] : noResults(); }
  const std::vector<FoundFile>& resultsOf(std::size_t subtype) const { return lists_.at(subtype); }

 protected:
  void clearResults() {
    for (auto& list : lists_) list.clear();
  }
  std::vector<std::vector<FoundFile>> lists_;
};

// Presents one subtype list of its parent as a type of its own; it is never fed itself.
class CChildTypeFilter : public CTypeFilter {
 public:
  CChildTypeFilter(CParentTypeFilter* parent, std::size_t subtype) : parent_(parent), subtype_(subtype) {
    parent_->children.push_back(this);
  }
  void Reset() override {}
  void Feed(std::uint64_t, const std::uint8_t*, std::uint32_t) override {}
  const std::vector<FoundFile>& GetResults() override {
    return enabled ? parent_->resultsOf(subtype_) : noResults();
  }

 private:
  CParentTypeFilter* parent_;
  std::size_t subtype_;
};

// The open file of a recogniser that follows the common shape: started at a unit, counted unit
// by unit, reported when its end is found or given up at a limit.
class CarvedFile {
 public:
  bool isOpen() const { return open_; }
  std::uint64_t startUnit() const { return start_; }
  std::uint64_t length() const { return length_; }
  std::uint8_t chance() const { return chance_; }

  // Opens a new file at unit; the caller first reports a file still open (closeEarly).
  void begin(std::uint64_t unit) {
    open_ = true;
    start_ = unit;
    length_ = 0;
    chance_ = kChanceMayBeGood;
  }
  // Reports the file with its exact length and the chance it has earned, and goes idle.
  void finish(std::vector<FoundFile>& results, std::uint64_t exactLength) {
    results.push_back({start_, exactLength, chance_});
    open_ = false;
  }
  // Reports a file whose end was never found (length so far, or one computed from its
  // structure) with chance 2, and goes idle.
  void closeEarly(std::vector<FoundFile>& results, std::uint64_t knownLength) {
    results.push_back({start_, knownLength, kChancePoor});
    open_ = false;
  }
  void closeEarly(std::vector<FoundFile>& results) { closeEarly(results, length_); }
  // Reports the file with the length its end gives, unless that end lies beyond the limit:
  // then as a file that reached the limit (the limit as length, chance 2).
  void finishWithin(std::vector<FoundFile>& results, std::uint64_t exactLength, std::uint64_t limit) {
    if (exactLength > limit) closeEarly(results, limit);
    else finish(results, exactLength);
  }
  void markUnavailable() { chance_ = kChancePoor; }
  // Counts one more unit; at the limit the file is reported with the limit as its length and
  // chance 2. Returns whether the file is still open.
  bool addUnit(std::vector<FoundFile>& results, std::uint32_t unitSize, std::uint64_t limit = kMaxCarvedFileLength) {
    length_ += unitSize;
    if (length_ > limit) closeEarly(results, limit);
    return open_;
  }
  void reset() { open_ = false; }

 private:
  bool open_ = false;
  std::uint64_t start_ = 0;
  std::uint64_t length_ = 0;
  std::uint8_t chance_ = kChanceMayBeGood;
};

}  // namespace tarvosk
