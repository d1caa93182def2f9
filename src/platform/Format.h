// The formatter for the Windows printf syntax that the system's messages are written in.
//
// Wide format strings as the system's wide printf functions read them: %s and %ws take a wide
// string, %S and %hs a narrow one (ANSI code page), %c a wide and %C a narrow character, %d %i %u
// %x %X %o take 32-bit integers (%ld and %lu too: long is 32 bits), %I64d %I64u %I64x and %lld
// 64-bit ones, %f %e %g doubles, %p a pointer, %% a percent sign. Flags (- + space 0 #), field
// widths and precision (also given as *) work as in printf.
//
// Arguments are typed, so a mismatch cannot read the wrong bytes: an integer given where %s is
// asked prints as "(null)"-like text instead of crashing; a 64-bit value given for %d is cut to
// its low 32 bits, as a 32-bit argument slot of a printf argument list would hold it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace tarvosk {

class FormatArg {
 public:
  enum class Kind { Signed, Unsigned, Double, Wide, Narrow, Pointer };

  template <class T>
    requires(std::is_integral_v<T> && std::is_signed_v<T> && !std::is_same_v<T, char> &&
             !std::is_same_v<T, bool>)
  FormatArg(T v) : kind_(Kind::Signed), signed_(v) {}
  template <class T>
    requires(std::is_integral_v<T> && std::is_unsigned_v<T> && !std::is_same_v<T, char16_t> &&
             !std::is_same_v<T, bool>)
  FormatArg(T v) : kind_(Kind::Unsigned), unsigned_(v) {}
  FormatArg(bool v) : kind_(Kind::Signed), signed_(v ? 1 : 0) {}
  FormatArg(char c) : kind_(Kind::Signed), signed_(static_cast<unsigned char>(c)) {}
  FormatArg(char16_t c) : kind_(Kind::Unsigned), unsigned_(c) {}
  template <class T>
    requires std::is_enum_v<T>
  FormatArg(T v) : FormatArg(static_cast<std::underlying_type_t<T>>(v)) {}
  FormatArg(double v) : kind_(Kind::Double), double_(v) {}
  FormatArg(const char16_t* s) : kind_(Kind::Wide), wide_(s ? std::u16string_view(s) : std::u16string_view()), null_(s == nullptr) {}
  FormatArg(char16_t* s) : FormatArg(static_cast<const char16_t*>(s)) {}
  FormatArg(const std::u16string& s) : kind_(Kind::Wide), wide_(s) {}
  FormatArg(std::u16string_view s) : kind_(Kind::Wide), wide_(s) {}
  FormatArg(const char* s) : kind_(Kind::Narrow), narrow_(s ? std::string_view(s) : std::string_view()), null_(s == nullptr) {}
  FormatArg(char* s) : FormatArg(static_cast<const char*>(s)) {}
  FormatArg(const std::string& s) : kind_(Kind::Narrow), narrow_(s) {}
  FormatArg(std::string_view s) : kind_(Kind::Narrow), narrow_(s) {}
  FormatArg(const void* p) : kind_(Kind::Pointer), unsigned_(reinterpret_cast<std::uintptr_t>(p)) {}

  Kind kind() const { return kind_; }
  // The value as the integer conversions read it (64 bits; callers cut to 32 where asked).
  std::uint64_t bits() const;
  double asDouble() const;
  bool isNull() const { return null_; }
  std::u16string_view wide() const { return wide_; }
  std::string_view narrow() const { return narrow_; }

 private:
  Kind kind_;
  union {
    std::int64_t signed_;
    std::uint64_t unsigned_;
    double double_;
  };
  std::u16string_view wide_;
  std::string_view narrow_;
  bool null_ = false;
};

// Formats fmt with args. Missing arguments format as if they were 0 or an empty string.
std::u16string formatArgs(std::u16string_view fmt, const FormatArg* args, std::size_t count);

template <class... A>
std::u16string format(std::u16string_view fmt, const A&... args) {
  const FormatArg list[] = {FormatArg(args)..., FormatArg(0)};
  return formatArgs(fmt, list, sizeof...(A));
}

// Formats into a fixed buffer of capacity units (terminator included), cutting what does not
// fit, never in the middle of a surrogate pair. Returns the number of units written.
std::size_t formatIntoArgs(char16_t* buffer, std::size_t capacity, std::u16string_view fmt,
                           const FormatArg* args, std::size_t count);

template <class... A>
std::size_t formatInto(char16_t* buffer, std::size_t capacity, std::u16string_view fmt,
                       const A&... args) {
  const FormatArg list[] = {FormatArg(args)..., FormatArg(0)};
  return formatIntoArgs(buffer, capacity, fmt, list, sizeof...(A));
}

}  // namespace tarvosk
