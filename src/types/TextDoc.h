// Runs of plain ASCII text in the unit stream, sorted by their first characters into plain
// text, RTF, HTML and XML. With exact lengths on, a run also goes on through UTF-8 and GBK
// characters, and markup ends with its document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/ByteOrder.h"
#include "types/ExactTextRun.h"
#include "types/TypeFilter.h"

namespace tarvosk {

// A text character: tab, line feed, carriage return or 0x20 to 0x7E.
bool isTextCharacter(std::uint8_t b);
// The number of text characters at the start of bytes (its size when all are).
std::size_t textPrefixLength(ByteSpan bytes);

class CTextDoc : public CParentTypeFilter {
 public:
  // Result lists, indexed by the subtype that the run's first characters give.
  enum Subtype : std::uint8_t { kPlain = 0, kRtf = 1, kHtml = 2, kXml = 3 };
  static constexpr std::size_t kListCount = 4;
  // A run is never longer than this (2^31 bytes, the most any carved file may measure);
  // one that reaches it is reported with this length and chance 2.
  static constexpr std::uint64_t kMaxRunLength = kMaxZipFileLength;

  CTextDoc() : CParentTypeFilter(kListCount) {}
  void Reset() override;
  void Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) override;
  std::u16string_view GetExtension() const override { return u".txt"; }
  std::u16string_view GetName() const override { return u"文本文件"; }
  std::u16string_view GetCategory() const override { return u"文档"; }

  // The subtype of a run that begins with bytes (compared without regard to ASCII case).
  static Subtype subtypeOf(ByteSpan firstBytes);
  // How many bytes from a unit's start must be text for a run to open there: MinTextFileSize,
  // but at least 1 and no more than the unit and its look-ahead hold.
  static std::size_t startTestLength(std::uint32_t unitSize);

 private:
  // The subtype of a run starting at data; with exact lengths a UTF-8 byte order mark before the
  // markup is passed over.
  static Subtype subtypeAt(const std::uint8_t* data, std::uint32_t unitSize, bool exact);
  bool opensRun(const std::uint8_t* data, std::uint32_t unitSize) const;
  void openRun(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize);
  // The offset at which the run ends in this available unit, or nothing when it goes on.
  std::optional<std::size_t> runEndInUnit(const std::uint8_t* data, std::uint32_t unitSize);

  CarvedFile run_;
  std::uint8_t subtype_ = kPlain;
  bool exact_ = false;  // the run is followed by the exact rules
  ExactTextRun exactRun_;
};

}  // namespace tarvosk
