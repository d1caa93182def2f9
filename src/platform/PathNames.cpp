#include "platform/PathNames.h"

#include <vector>

#include "platform/CaseFolding.h"
#include "platform/CodePage.h"

namespace tarvosk {

namespace {

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

char16_t upperAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

bool isLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

std::u16string resolveInner(std::u16string_view rest) {
  std::vector<std::u16string> parts;
  for (std::u16string& part : pathComponents(rest)) {
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (part != u".") {
      parts.push_back(std::move(part));
    }
  }
  std::u16string out;
  for (const std::u16string& p : parts) {
    if (!out.empty()) out += u'\\';
    out += p;
  }
  return out;
}

}  // namespace

ParsedPath parsePath(std::u16string_view path) {
  ParsedPath out;
  if (path.empty()) return out;
  if (startsWithIgnoreCase(path, u"\\\\?\\")) path.remove_prefix(4);  // long-path prefix

  if (startsWithIgnoreCase(path, u"\\\\.\\")) {
    std::u16string_view device = path.substr(4);
    if (device.size() == 2 && isLetter(device[0]) && device[1] == u':') {
      out.kind = PathKind::Volume;
      out.letter = upperAscii(device[0]);
    } else if (startsWithIgnoreCase(device, u"PhysicalDrive") && device.size() > 13 && device.size() <= 16) {
      int n = 0;
      for (char16_t c : device.substr(13)) {
        if (c < u'0' || c > u'9') return out;
        n = n * 10 + (c - u'0');
      }
      out.kind = PathKind::PhysicalDrive;
      out.driveNumber = n;
    } else if (equalsIgnoreCase(device, u"VWIN32")) {
      out.kind = PathKind::Vwin32;
    }
    return out;
  }

  if (path.size() >= 2 && isLetter(path[0]) && path[1] == u':') {
    if (path.size() > 2 && !isSeparator(path[2])) return out;  // "C:file", relative to a drive's folder
    out.kind = PathKind::DrivePath;
    out.letter = upperAscii(path[0]);
    out.inner = resolveInner(path.substr(2));
    return out;
  }

  std::u16string host(path);
  for (char16_t& c : host)
    if (c == u'\\') c = u'/';
  out.kind = PathKind::Host;
  out.host = utf16ToUtf8(host);
  return out;
}

std::vector<std::u16string> pathComponents(std::u16string_view path, std::u16string_view separators) {
  std::vector<std::u16string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of(separators, start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

PathParts splitPath(std::u16string_view path) {
  PathParts parts;
  if (path.size() >= 2 && path[1] == u':') {
    parts.drive = path.substr(0, 2);
    path.remove_prefix(2);
  }
  std::size_t last = path.find_last_of(u"\\/");
  if (last != std::u16string_view::npos) {
    parts.folder = path.substr(0, last + 1);
    path.remove_prefix(last + 1);
  }
  std::size_t dot = path.find_last_of(u'.');
  if (dot != std::u16string_view::npos) {
    parts.extension = path.substr(dot);
    path = path.substr(0, dot);
  }
  parts.name = path;
  return parts;
}

bool hasInvalidNameCharacters(std::u16string_view component) {
  for (char16_t c : component) {
    if (c < 0x20) return true;
    switch (c) {
      case u'<': case u'>': case u':': case u'"': case u'|': case u'?': case u'*': return true;
      default: break;
    }
  }
  return false;
}

bool matchesWildcard(std::u16string_view pattern, std::u16string_view name) {
  if (pattern == u"*.*") pattern = u"*";
  // Iterative glob with one backtrack point: linear in practice, never recursive.
  std::size_t p = 0, n = 0, starP = std::u16string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || foldCase(pattern[p]) == foldCase(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (starP != std::u16string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

}  // namespace tarvosk
