// The wide printf formatter: parses each conversion, takes its typed argument and renders it the
// way the system's wide printf functions do.
#include "platform/Format.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "platform/CodePage.h"

namespace tarvosk {

namespace {

// Widths and precisions above this are clamped: a stray "%999999999d" must not allocate a
// gigabyte of padding.
constexpr int kMaxFieldWidth = 1 << 16;

std::int64_t doubleToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 9223372036854775807.0) return std::numeric_limits<std::int64_t>::max();
  if (v <= -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(v);
}

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The size a length modifier gives to an integer conversion.
enum class Length { None, Char, Short, Long, LongLong, Wide, Pointer };

struct Conversion {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool zero = false;
  bool alt = false;
  int width = 0;
  int precision = -1;  // -1: none given
  Length length = Length::None;
};

int integerBits(Length length) {
  switch (length) {
    case Length::Char:
      return 8;
    case Length::Short:
      return 16;
    case Length::LongLong:
    case Length::Pointer:
      return 64;
    case Length::None:
    case Length::Long:
    case Length::Wide:
      break;
  }
  return 32;
}

class Formatter {
 public:
  Formatter(std::u16string_view fmt, const FormatArg* args, std::size_t count)
      : fmt_(fmt), args_(args), count_(count) {}

  std::u16string run() {
    std::size_t i = 0;
    while (i < fmt_.size()) {
      const char16_t c = fmt_[i];
      if (c != u'%') {
        out_.push_back(c);
        ++i;
        continue;
      }
      i = conversion(i);
    }
    return std::move(out_);
  }

 private:
  // The next argument, or nullptr when the caller gave fewer than the format asks for.
  const FormatArg* take() {
    if (next_ < count_) return &args_[next_++];
    ++next_;
    return nullptr;
  }

  // A '*' width or precision: the argument read as a 32-bit int.
  int takeStar() {
    const FormatArg* a = take();
    const std::uint64_t raw = a ? a->bits() : 0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(raw));
  }

  static int clampField(long long v) {
    return v > kMaxFieldWidth ? kMaxFieldWidth : static_cast<int>(v);
  }

  // Reads a run of decimal digits starting at i.
  int digits(std::size_t& i) const {
    long long v = 0;
    while (i < fmt_.size() && fmt_[i] >= u'0' && fmt_[i] <= u'9') {
      if (v <= kMaxFieldWidth) v = v * 10 + (fmt_[i] - u'0');
      ++i;
    }
    return clampField(v);
  }

  // Handles the conversion whose '%' is at start and returns the index after it.
  std::size_t conversion(std::size_t start) {
    std::size_t i = start + 1;
    Conversion conv;
    for (; i < fmt_.size(); ++i) {
      const char16_t f = fmt_[i];
      if (f == u'-') {
        conv.left = true;
      } else if (f == u'+') {
        conv.plus = true;
      } else if (f == u' ') {
        conv.space = true;
      } else if (f == u'0') {
        conv.zero = true;
      } else if (f == u'#') {
        conv.alt = true;
      } else {
        break;
      }
    }
    if (i < fmt_.size() && fmt_[i] == u'*') {
      ++i;
      const int w = takeStar();
      if (w < 0) {
        conv.left = true;
        conv.width = w == std::numeric_limits<int>::min() ? kMaxFieldWidth : clampField(-static_cast<long long>(w));
      } else {
        conv.width = clampField(w);
      }
    } else {
      conv.width = digits(i);
    }
    if (i < fmt_.size() && fmt_[i] == u'.') {
      ++i;
      if (i < fmt_.size() && fmt_[i] == u'*') {
        ++i;
        const int p = takeStar();
        conv.precision = p < 0 ? -1 : clampField(p);
      } else {
        conv.precision = digits(i);
      }
    }
    i = lengthModifier(i, conv.length);
    if (i >= fmt_.size()) {
      // The format ends inside a conversion: keep the text as it was written.
      out_.append(fmt_.substr(start));
      return fmt_.size();
    }
    const char16_t type = fmt_[i];
    switch (type) {
      case u'd':
      case u'i':
      case u'u':
      case u'x':
      case u'X':
      case u'o':
        putInteger(conv, type, take());
        break;
      case u'f':
      case u'F':
      case u'e':
      case u'E':
      case u'g':
      case u'G':
      case u'a':
      case u'A':
        putDouble(conv, type, take());
        break;
      case u's':
      case u'S':
        putString(conv, take());
        break;
      case u'c':
      case u'C':
        putChar(conv, narrowChar(type, conv.length), take());
        break;
      case u'p':
        putPointer(conv, take());
        break;
      case u'%':
        out_.push_back(u'%');
        break;
      default:
        // Not a conversion the system knows: copied as written.
        out_.append(fmt_.substr(start, i + 1 - start));
        break;
    }
    return i + 1;
  }

  std::size_t lengthModifier(std::size_t i, Length& length) const {
    if (i >= fmt_.size()) return i;
    const std::u16string_view rest = fmt_.substr(i);
    if (rest.starts_with(u"I64")) {
      length = Length::LongLong;
      return i + 3;
    }
    if (rest.starts_with(u"I32")) {
      length = Length::Long;
      return i + 3;
    }
    if (rest.starts_with(u"ll")) {
      length = Length::LongLong;
      return i + 2;
    }
    if (rest.starts_with(u"hh")) {
      length = Length::Char;
      return i + 2;
    }
    switch (rest[0]) {
      case u'h':
        length = Length::Short;
        return i + 1;
      case u'l':
        length = Length::Long;
        return i + 1;
      case u'w':
        length = Length::Wide;
        return i + 1;
      case u'L':
        length = Length::LongLong;
        return i + 1;
      case u'I':
      case u'z':
      case u'j':
      case u't':
        length = Length::Pointer;
        return i + 1;
      default:
        return i;
    }
  }

  // %C and %hc take a narrow character; %c, %lc and %wc a wide one.
  static bool narrowChar(char16_t type, Length length) {
    if (length == Length::Short) return true;
    if (length == Length::Long || length == Length::Wide) return false;
    return type == u'C';
  }

  void pad(int count, char16_t fill) {
    if (count > 0) out_.append(static_cast<std::size_t>(count), fill);
  }

  // Writes body in a field of the conversion's width, spaces on the side the '-' flag says.
  void field(const Conversion& conv, std::u16string_view body) {
    const int padding = conv.width - static_cast<int>(body.size());
    if (!conv.left) pad(padding, u' ');
    out_.append(body);
    if (conv.left) pad(padding, u' ');
  }

  void putInteger(const Conversion& conv, char16_t type, const FormatArg* arg) {
    const std::uint64_t raw = arg ? arg->bits() : 0;
    const int bits = integerBits(conv.length);
    const bool isSigned = type == u'd' || type == u'i';
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (isSigned) {
      std::int64_t v = 0;
      switch (bits) {
        case 8:
          v = static_cast<std::int8_t>(static_cast<std::uint8_t>(raw));
          break;
        case 16:
          v = static_cast<std::int16_t>(static_cast<std::uint16_t>(raw));
          break;
        case 32:
          v = static_cast<std::int32_t>(static_cast<std::uint32_t>(raw));
          break;
        default:
          v = static_cast<std::int64_t>(raw);
          break;
      }
      negative = v < 0;
      magnitude = negative ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    } else {
      magnitude = bits == 64 ? raw : raw & ((std::uint64_t{1} << bits) - 1);
    }

    const unsigned base = (type == u'x' || type == u'X') ? 16 : type == u'o' ? 8 : 10;
    const char* digitSet = type == u'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    std::u16string body;
    for (std::uint64_t m = magnitude; m != 0; m /= base) body.insert(body.begin(), static_cast<char16_t>(digitSet[m % base]));
    if (magnitude == 0 && conv.precision != 0) body = u"0";
    if (conv.precision > static_cast<int>(body.size())) {
      body.insert(0, static_cast<std::size_t>(conv.precision) - body.size(), u'0');
    }
    if (type == u'o' && conv.alt && (body.empty() || body[0] != u'0')) body.insert(body.begin(), u'0');

    std::u16string prefix;
    if (isSigned) {
      if (negative) {
        prefix = u"-";
      } else if (conv.plus) {
        prefix = u"+";
      } else if (conv.space) {
        prefix = u" ";
      }
    } else if (base == 16 && conv.alt && magnitude != 0) {
      prefix = type == u'X' ? u"0X" : u"0x";
    }

    if (conv.zero && !conv.left && conv.precision < 0) {
      const int zeros = conv.width - static_cast<int>(prefix.size() + body.size());
      if (zeros > 0) body.insert(0, static_cast<std::size_t>(zeros), u'0');
    }
    field(conv, prefix + body);
  }

  void putDouble(const Conversion& conv, char16_t type, const FormatArg* arg) {
    const double value = arg ? arg->asDouble() : 0.0;
    std::string directive = "%";
    if (conv.left) directive += '-';
    if (conv.plus) directive += '+';
    if (conv.space) directive += ' ';
    if (conv.zero) directive += '0';
    if (conv.alt) directive += '#';
    directive += '*';
    if (conv.precision >= 0) directive += ".*";
    directive += static_cast<char>(type);
    std::string text(64, '\0');
    for (;;) {
      const int n = conv.precision >= 0
                        ? std::snprintf(text.data(), text.size(), directive.c_str(), conv.width, conv.precision, value)
                        : std::snprintf(text.data(), text.size(), directive.c_str(), conv.width, value);
      if (n < 0) return;
      if (static_cast<std::size_t>(n) < text.size()) {
        text.resize(static_cast<std::size_t>(n));
        break;
      }
      text.resize(static_cast<std::size_t>(n) + 1);
    }
    for (const char ch : text) out_.push_back(static_cast<char16_t>(static_cast<unsigned char>(ch)));
  }

  void putString(const Conversion& conv, const FormatArg* arg) {
    // The argument's own type decides how its characters are read, whichever of %s and %S
    // the format asked for.
    std::u16string text;
    if (arg == nullptr) {
      // Missing argument: an empty string.
    } else if (arg->isNull() || (arg->kind() != FormatArg::Kind::Wide && arg->kind() != FormatArg::Kind::Narrow)) {
      text = u"(null)";
    } else if (arg->kind() == FormatArg::Kind::Wide) {
      text = arg->wide();
    } else {
      text = ansiToWide(arg->narrow());
    }
    if (conv.precision >= 0 && static_cast<std::size_t>(conv.precision) < text.size()) {
      std::size_t cut = static_cast<std::size_t>(conv.precision);
      if (cut > 0 && isHighSurrogate(text[cut - 1]) && isLowSurrogate(text[cut])) --cut;
      text.resize(cut);
    }
    field(conv, text);
  }

  void putChar(const Conversion& conv, bool narrow, const FormatArg* arg) {
    std::u16string text;
    if (arg != nullptr) {
      if (arg->kind() == FormatArg::Kind::Wide) {
        if (!arg->wide().empty()) text = arg->wide().substr(0, 1);
      } else if (arg->kind() == FormatArg::Kind::Narrow) {
        if (!arg->narrow().empty()) text = ansiToWide(arg->narrow().substr(0, 1));
      } else if (narrow) {
        const char byte = static_cast<char>(static_cast<unsigned char>(arg->bits()));
        text = byte == '\0' ? std::u16string(1, u'\0') : ansiToWide(std::string_view(&byte, 1));
      } else {
        text.push_back(static_cast<char16_t>(arg->bits()));
      }
    }
    field(conv, text);
  }

  void putPointer(const Conversion& conv, const FormatArg* arg) {
    const std::uint64_t value = arg ? arg->bits() : 0;
    std::u16string body;
    for (int shift = static_cast<int>(sizeof(void*)) * 8 - 4; shift >= 0; shift -= 4) {
      body.push_back(static_cast<char16_t>("0123456789ABCDEF"[(value >> shift) & 0xF]));
    }
    field(conv, body);
  }

  std::u16string_view fmt_;
  const FormatArg* args_;
  std::size_t count_;
  std::size_t next_ = 0;
  std::u16string out_;
};

}  // namespace

std::uint64_t FormatArg::bits() const {
  switch (kind_) {
    case Kind::Signed:
      return static_cast<std::uint64_t>(signed_);
    case Kind::Unsigned:
    case Kind::Pointer:
      return unsigned_;
    case Kind::Double:
      return static_cast<std::uint64_t>(doubleToInt(double_));
    case Kind::Wide:
    case Kind::Narrow:
      break;
  }
  return 0;
}

double FormatArg::asDouble() const {
  switch (kind_) {
    case Kind::Signed:
      return static_cast<double>(signed_);
    case Kind::Unsigned:
    case Kind::Pointer:
      return static_cast<double>(unsigned_);
    case Kind::Double:
      return double_;
    case Kind::Wide:
    case Kind::Narrow:
      break;
  }
  return 0.0;
}

std::u16string formatArgs(std::u16string_view fmt, const FormatArg* args, std::size_t count) {
  return Formatter(fmt, args, count).run();
}

std::size_t formatIntoArgs(char16_t* buffer, std::size_t capacity, std::u16string_view fmt,
                           const FormatArg* args, std::size_t count) {
  if (buffer == nullptr || capacity == 0) return 0;
  const std::u16string text = formatArgs(fmt, args, count);
  std::size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
  // A pair cut in two would leave a lone high surrogate at the end: drop it as well.
  if (n < text.size() && n > 0 && isHighSurrogate(text[n - 1]) && isLowSurrogate(text[n])) --n;
  text.copy(buffer, n);
  buffer[n] = u'\0';
  return n;
}

}  // namespace tarvosk
