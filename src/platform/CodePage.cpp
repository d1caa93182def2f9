// Code pages of the process and the conversions between them and UTF-16: UTF-8 by hand, every
// other code page through iconv, with the system's rules for unmappable characters, bad bytes
// and buffer sizes.
#include "platform/CodePage.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>

#include "platform/WinError.h"

namespace {

constexpr DWORD kErrorNoUnicodeTranslation = 1113;
constexpr UINT kCpMacCp = 2;
constexpr UINT kCpThreadAcp = 3;
constexpr UINT kHomeCodePage = 936;
constexpr UINT kDefaultOemCodePage = 437;
constexpr char16_t kReplacement = 0xFFFD;

// UTF-16 in the host's byte order, so iconv's output can be copied straight into char16_t.
constexpr const char* kUtf16Name = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// A code page number from the environment, or 0 when the variable is unset or not a number.
// The pseudo code pages (0..3) cannot name the process's own page.
UINT codePageFromEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return 0;
  unsigned long n = 0;
  for (const char* p = value; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return 0;
    n = n * 10 + static_cast<unsigned long>(*p - '0');
    if (n > 65535) return 0;
  }
  return n > kCpThreadAcp ? static_cast<UINT>(n) : 0;
}

// The real code page behind a pseudo one, or 0 when codePage names none.
UINT resolveCodePage(UINT codePage) {
  switch (codePage) {
    case CP_ACP:
    case kCpThreadAcp:
      return GetACP();
    case CP_OEMCP:
      return GetOEMCP();
    case kCpMacCp:
      return 10000;
    default:
      return codePage;
  }
}

// iconv's name for a code page: "CP<N>" except for the pages glibc knows by another name.
std::string iconvName(UINT codePage) {
  switch (codePage) {
    case 10000:
      return "MACINTOSH";
    case 20127:
      return "ASCII";
    case 20866:
      return "KOI8-R";
    case 21866:
      return "KOI8-U";
    case 20932:
      return "EUC-JP";
    case 20936:
      return "GB2312";
    case 51949:
      return "EUC-KR";
    case 50220:
      return "ISO-2022-JP";
    case 54936:
      return "GB18030";
    default:
      break;
  }
  if (codePage >= 28591 && codePage <= 28599) return "ISO-8859-" + std::to_string(codePage - 28590);
  if (codePage == 28605) return "ISO-8859-15";
  return "CP" + std::to_string(codePage);
}

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1));

// The calling thread's iconv descriptors, opened on first use of each code page and kept.
class ConverterCache {
 public:
  ConverterCache() = default;
  ConverterCache(const ConverterCache&) = delete;
  ConverterCache& operator=(const ConverterCache&) = delete;
  ~ConverterCache() {
    for (auto& entry : entries_) {
      if (entry.second.decoder != kNoConverter) iconv_close(entry.second.decoder);
      if (entry.second.encoder != kNoConverter) iconv_close(entry.second.encoder);
    }
  }

  iconv_t decoder(UINT codePage) { return get(codePage).decoder; }
  iconv_t encoder(UINT codePage) { return get(codePage).encoder; }

 private:
  struct Entry {
    iconv_t decoder = kNoConverter;
    iconv_t encoder = kNoConverter;
  };

  Entry& get(UINT codePage) {
    auto found = entries_.find(codePage);
    if (found != entries_.end()) return found->second;
    Entry entry;
    const std::string name = iconvName(codePage);
    entry.decoder = iconv_open(kUtf16Name, name.c_str());
    entry.encoder = iconv_open(name.c_str(), kUtf16Name);
    return entries_.emplace(codePage, entry).first->second;
  }

  std::unordered_map<UINT, Entry> entries_;
};

ConverterCache& converters() {
  thread_local ConverterCache cache;
  return cache;
}

bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The well-formed UTF-8 sequence at text[i]: its length, and its code point in cp; 0 when the
// byte there starts none (overlong forms, surrogates and values past U+10FFFF are no characters).
std::size_t utf8SequenceAt(std::string_view text, std::size_t i, std::uint32_t& cp) {
  const auto b = static_cast<unsigned char>(text[i]);
  std::size_t len = 0;
  if (b < 0x80) {
    cp = b;
    return 1;
  }
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
    cp = b & 0x1Fu;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
    cp = b & 0x0Fu;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    cp = b & 0x07u;
  }
  if (len == 0 || text.size() - i < len) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto t = static_cast<unsigned char>(text[i + k]);
    if ((t & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (t & 0x3Fu);
  }
  if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return len;
}

// Decodes UTF-8; each byte that does not belong to a well-formed sequence becomes U+FFFD.
// Returns false when any did.
bool decodeUtf8(std::string_view text, std::u16string& out) {
  bool clean = true;
  std::size_t i = 0;
  while (i < text.size()) {
    std::uint32_t cp = 0;
    const std::size_t len = utf8SequenceAt(text, i, cp);
    if (len == 0) {
      out.push_back(kReplacement);
      clean = false;
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return clean;
}

// Encodes UTF-16 as UTF-8; a lone surrogate becomes U+FFFD. Returns false when any did.
bool encodeUtf8(std::u16string_view text, std::string& out) {
  bool clean = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t cp = text[i];
    if (isHigh(text[i]) && i + 1 < text.size() && isLow(text[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (isHigh(text[i]) || isLow(text[i])) {
      cp = kReplacement;
      clean = false;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return clean;
}

// Runs iconv over the whole input. When a piece cannot be converted, onBad is told the input
// offset; it appends its replacement to the output and returns how many input bytes to skip,
// or 0 to give up (then runIconv returns false).
template <class OnBad>
bool runIconv(iconv_t cd, const char* input, std::size_t size, std::string& out, OnBad onBad) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out.assign(size * 2 + 16, '\0');
  char* in = const_cast<char*>(input);
  std::size_t inLeft = size;
  std::size_t used = 0;
  for (;;) {
    char* outPtr = out.data() + used;
    std::size_t outLeft = out.size() - used;
    // Once all input is taken, one more call writes what a stateful page needs to end in its
    // initial shift state.
    const bool flushing = inLeft == 0;
    const std::size_t r = flushing ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                                   : iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    const int err = errno;
    used = static_cast<std::size_t>(outPtr - out.data());
    if (r != static_cast<std::size_t>(-1)) {
      if (flushing) break;
      continue;
    }
    if (err == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    if (err != EILSEQ && err != EINVAL) return false;
    out.resize(used);
    const std::size_t skip = onBad(static_cast<std::size_t>(in - input), out);
    if (skip == 0) return false;
    used = out.size();
    out.resize(used * 2 + 16);
    in += skip;
    inLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(used);
  return true;
}

// Multibyte text of a code page to UTF-16. Sets the last error and returns false for an
// unknown code page, or (strict) for bytes the code page cannot decode.
bool decodeText(UINT codePage, std::string_view text, bool strict, std::u16string& out) {
  const UINT cp = resolveCodePage(codePage);
  out.clear();
  if (cp == CP_UTF8) {
    if (!decodeUtf8(text, out) && strict) {
      SetLastError(kErrorNoUnicodeTranslation);
      return false;
    }
    return true;
  }
  const iconv_t cd = converters().decoder(cp);
  if (cd == kNoConverter) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::string bytes;
  const bool ok = runIconv(cd, text.data(), text.size(), bytes, [strict](std::size_t, std::string& sink) -> std::size_t {
    if (strict) return 0;
    const char16_t r = kReplacement;
    sink.append(reinterpret_cast<const char*>(&r), sizeof r);
    return 1;
  });
  if (!ok) {
    SetLastError(strict ? kErrorNoUnicodeTranslation : ERROR_INVALID_PARAMETER);
    return false;
  }
  out.resize(bytes.size() / 2);
  std::memcpy(out.data(), bytes.data(), out.size() * 2);
  return true;
}

// UTF-16 to the multibyte text of a code page. Characters the page cannot hold become
// defaultChar ("?" when null or empty) and set usedDefault.
bool encodeText(UINT codePage, std::u16string_view text, LPCSTR defaultChar, bool& usedDefault, std::string& out) {
  const UINT cp = resolveCodePage(codePage);
  usedDefault = false;
  out.clear();
  if (cp == CP_UTF8) {
    encodeUtf8(text, out);
    return true;
  }
  const iconv_t cd = converters().encoder(cp);
  if (cd == kNoConverter) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::string fallback = "?";
  if (defaultChar != nullptr && *defaultChar != '\0') fallback.assign(defaultChar, strnlen(defaultChar, 2));
  const char* input = reinterpret_cast<const char*>(text.data());
  const bool ok = runIconv(cd, input, text.size() * 2, out, [&](std::size_t offset, std::string& sink) -> std::size_t {
    const std::size_t unit = offset / 2;
    sink += fallback;
    usedDefault = true;
    // An astral character that the page lacks is one character: both halves go.
    if (unit + 1 < text.size() && isHigh(text[unit]) && isLow(text[unit + 1])) return 4;
    return 2;
  });
  if (!ok) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

}  // namespace

UINT GetACP() {
  const UINT cp = codePageFromEnv("TARVOSK_ACP");
  return cp != 0 ? cp : kHomeCodePage;
}

UINT GetOEMCP() {
  const UINT cp = codePageFromEnv("TARVOSK_OEMCP");
  if (cp != 0) return cp;
  return GetACP() == kHomeCodePage ? kHomeCodePage : kDefaultOemCodePage;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen, LPWSTR dst, int dstLen) {
  if (src == nullptr || srcLen == 0 || srcLen < -1 || dstLen < 0 || (dstLen > 0 && dst == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::size_t length = srcLen == -1 ? std::strlen(src) + 1 : static_cast<std::size_t>(srcLen);
  std::u16string wide;
  if (!decodeText(codePage, std::string_view(src, length), (flags & MB_ERR_INVALID_CHARS) != 0, wide)) return 0;
  if (wide.size() > static_cast<std::size_t>(INT_MAX)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const int needed = static_cast<int>(wide.size());
  if (dstLen == 0) return needed;
  if (needed > dstLen) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  wide.copy(dst, wide.size());
  return needed;
}

int WideCharToMultiByte(UINT codePage, DWORD /*flags*/, LPCWSTR src, int srcLen, LPSTR dst, int dstLen,
                        LPCSTR defaultChar, BOOL* usedDefaultChar) {
  if (src == nullptr || srcLen == 0 || srcLen < -1 || dstLen < 0 || (dstLen > 0 && dst == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::size_t length =
      srcLen == -1 ? std::char_traits<char16_t>::length(src) + 1 : static_cast<std::size_t>(srcLen);
  std::string bytes;
  bool usedDefault = false;
  if (!encodeText(codePage, std::u16string_view(src, length), defaultChar, usedDefault, bytes)) return 0;
  if (usedDefaultChar != nullptr) *usedDefaultChar = usedDefault ? TRUE : FALSE;
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const int needed = static_cast<int>(bytes.size());
  if (dstLen == 0) return needed;
  if (needed > dstLen) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  bytes.copy(dst, bytes.size());
  return needed;
}

namespace tarvosk {

std::u16string multiByteToWide(UINT codePage, std::string_view text) {
  std::u16string out;
  if (!decodeText(codePage, text, false, out)) return {};
  return out;
}

std::string wideToMultiByte(UINT codePage, std::u16string_view text) {
  std::string out;
  bool usedDefault = false;
  if (!encodeText(codePage, text, nullptr, usedDefault, out)) return {};
  return out;
}

bool isValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    std::uint32_t cp = 0;
    const std::size_t len = utf8SequenceAt(text, i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::u16string utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  decodeUtf8(text, out);
  return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  encodeUtf8(text, out);
  return out;
}

void appendUtf8(std::string& out, std::u16string_view text) { encodeUtf8(text, out); }

}  // namespace tarvosk
