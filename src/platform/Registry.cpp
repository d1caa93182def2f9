// HKEY_CURRENT_USER kept in a text file.
//
// The store file is UTF-8, one record a line, fields separated by a tab:
//
//   tarvosk-registry	1
//   key	Software\Vaskorel\Tarvosk
//   value	Software\Vaskorel\Tarvosk	LastFolder	REG_SZ	D:\恢复
//   value	Software\Vaskorel\Tarvosk	ShowRecoveryChanses	REG_DWORD	1
//   value	Software\Vaskorel\Tarvosk	Columns	REG_BINARY	0a00ff
//   value	Software\Vaskorel\Tarvosk	Odd	hex(1)	4100
//
// In every field '%', control characters (the tab among them) and DEL are written as %XX, and
// so is a space that ends a line, which editors like to strip. A REG_SZ that is not a well-formed
// terminated UTF-16 string, and any type without a text form of its own, is written as hex(type)
// with its bytes, so every value comes back exactly as it was set. Each value line names its key,
// so a damaged line costs only itself: lines that cannot be read are skipped.
//
// The whole store is loaded when a key is opened or created and rewritten after every change:
// into "registry.tmp" beside it, synced, then renamed over "registry".
#include "platform/Registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/CaseFolding.h"
#include "platform/CodePage.h"
#include "platform/PathNames.h"
#include "platform/UserFolders.h"
#include "platform/WinError.h"

namespace tarvosk {
namespace {

constexpr std::string_view kFormatName = "tarvosk-registry";
constexpr std::string_view kFormatVersion = "1";
constexpr std::size_t kMaxKeyNameLength = 255;

constexpr REGSAM kMaximumAllowed = 0x02000000;
constexpr REGSAM kGenericAll = 0x10000000;
constexpr REGSAM kGenericWrite = 0x40000000;
constexpr REGSAM kGenericRead = 0x80000000;

LONG result(DWORD code) { return static_cast<LONG>(code); }

// ---- The store in memory -------------------------------------------------------------------

struct Value {
  std::u16string name;  // as first written
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

struct Key {
  std::u16string path;  // as first written; empty for the root
  std::map<std::u16string, Value> values;  // by folded name
};

// Keys by folded path. The root, HKEY_CURRENT_USER itself, is "" and always present.
using Store = std::map<std::u16string, Key>;

Store emptyStore() {
  Store store;
  store.emplace(std::u16string(), Key{});
  return store;
}

// Splits "A\B\C" into its names; empty names (doubled or outer separators) are dropped. Only
// "\" separates: unlike a file name, a key name may hold "/", as in the system's registry.
bool splitKeyPath(std::u16string_view path, std::vector<std::u16string>& parts) {
  std::vector<std::u16string> names = pathComponents(path, u"\\");
  for (std::u16string& name : names) {
    if (name.size() > kMaxKeyNameLength) return false;
    parts.push_back(std::move(name));
  }
  return true;
}

std::u16string foldedPathOf(const std::vector<std::u16string>& parts) {
  std::u16string out;
  for (const auto& part : parts) {
    if (!out.empty()) out += u'\\';
    out += folded(part);
  }
  return out;
}

// The key at parts, created with any missing ancestors. Names already there keep their case.
Key& ensureKey(Store& store, const std::vector<std::u16string>& parts) {
  Key* key = &store[std::u16string()];
  std::u16string foldedPath;
  for (const auto& part : parts) {
    if (!foldedPath.empty()) foldedPath += u'\\';
    foldedPath += folded(part);
    auto it = store.find(foldedPath);
    if (it == store.end()) {
      std::u16string path = key->path.empty() ? part : key->path + u'\\' + part;
      it = store.emplace(foldedPath, Key{std::move(path), {}}).first;
    }
    key = &it->second;
  }
  return *key;
}

void putValue(Key& key, std::u16string_view name, DWORD type, std::vector<BYTE> data) {
  auto [it, inserted] = key.values.try_emplace(folded(name));
  if (inserted) it->second.name = std::u16string(name);
  it->second.type = type;
  it->second.data = std::move(data);
}

// ---- Text form of values -------------------------------------------------------------------

// True when units are well-formed UTF-16: every surrogate in a pair.
bool validUtf16(std::u16string_view units) {
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string escapeField(std::string_view text, bool endsLine) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool lastSpace = endsLine && c == ' ' && i + 1 == text.size();
    if (c == '%' || c < 0x20 || c == 0x7F || lastSpace) {
      out += '%';
      out += kUpperHexDigits[c >> 4];
      out += kUpperHexDigits[c & 0x0F];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::optional<std::string> unescapeField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '%') {
      out += field[i];
      continue;
    }
    if (field.size() - i < 3) return std::nullopt;
    const int high = hexValue(field[i + 1]);
    const int low = hexValue(field[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

std::string hexOf(const std::vector<BYTE>& data) {
  std::string out;
  out.reserve(data.size() * 2);
  for (BYTE b : data) {
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 0x0F];
  }
  return out;
}

std::optional<std::vector<BYTE>> bytesOfHex(std::string_view text) {
  if (text.size() % 2 != 0) return std::nullopt;
  std::vector<BYTE> out;
  out.reserve(text.size() / 2);
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = hexValue(text[i]);
    const int low = hexValue(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    out.push_back(static_cast<BYTE>(high * 16 + low));
  }
  return out;
}

// A 32-bit number written in decimal or as 0x followed by hex digits.
std::optional<DWORD> parseNumber(std::string_view text) {
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 10) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    const int digit = hexValue(c);
    if (digit < 0 || static_cast<unsigned>(digit) >= base) return std::nullopt;
    value = value * base + static_cast<unsigned>(digit);
  }
  if (value > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<DWORD>(value);
}

std::u16string unitsOf(const std::vector<BYTE>& data) {
  std::u16string units(data.size() / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), data.data(), units.size() * 2);
  return units;
}

std::vector<BYTE> bytesOfUnits(std::u16string_view units) {
  std::vector<BYTE> data(units.size() * 2);
  if (!data.empty()) std::memcpy(data.data(), units.data(), data.size());
  return data;
}

// REG_SZ data that the text form holds exactly: whole UTF-16 units, well formed, ending in the
// one terminator that the text form leaves out.
bool hasTextForm(const std::vector<BYTE>& data) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  const std::u16string units = unitsOf(data);
  const std::u16string_view text(units.data(), units.size() - 1);
  return units.back() == u'\0' && validUtf16(text);
}

// The type token and the (unescaped) data field of a value line.
std::pair<std::string, std::string> textOfValue(const Value& value) {
  if (value.type == REG_SZ && hasTextForm(value.data)) {
    std::u16string units = unitsOf(value.data);
    units.pop_back();
    return {"REG_SZ", utf16ToUtf8(units)};
  }
  if (value.type == REG_DWORD && value.data.size() == 4) {
    DWORD number;
    std::memcpy(&number, value.data.data(), 4);
    return {"REG_DWORD", std::to_string(number)};
  }
  if (value.type == REG_BINARY) return {"REG_BINARY", hexOf(value.data)};
  return {"hex(" + std::to_string(value.type) + ")", hexOf(value.data)};
}

std::optional<std::pair<DWORD, std::vector<BYTE>>> valueOfText(std::string_view typeToken,
                                                               const std::string& text) {
  if (typeToken == "REG_SZ") {
    std::u16string units = utf8ToUtf16(text);
    units.push_back(u'\0');
    return std::pair{REG_SZ, bytesOfUnits(units)};
  }
  if (typeToken == "REG_DWORD") {
    const auto number = parseNumber(text);
    if (!number) return std::nullopt;
    std::vector<BYTE> data(4);
    std::memcpy(data.data(), &*number, 4);
    return std::pair{REG_DWORD, std::move(data)};
  }
  DWORD type;
  if (typeToken == "REG_BINARY") {
    type = REG_BINARY;
  } else if (typeToken.size() > 5 && typeToken.substr(0, 4) == "hex(" && typeToken.back() == ')') {
    const auto number = parseNumber(typeToken.substr(4, typeToken.size() - 5));
    if (!number) return std::nullopt;
    type = *number;
  } else {
    return std::nullopt;
  }
  auto data = bytesOfHex(text);
  if (!data) return std::nullopt;
  return std::pair{type, std::move(*data)};
}

// ---- Reading and writing the store file ----------------------------------------------------

std::vector<std::string_view> splitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = line.find('\t', start);
    if (end == std::string_view::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, end - start));
    start = end + 1;
  }
}

// A field that holds a name: unescaped and valid UTF-8.
std::optional<std::u16string> nameField(std::string_view field) {
  auto text = unescapeField(field);
  if (!text || !isValidUtf8(*text)) return std::nullopt;
  return utf8ToUtf16(*text);
}

// Adds what one line of the store says; a line that cannot be read adds nothing.
void readLine(Store& store, std::string_view line) {
  for (char c : line) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\t') || u == 0x7F) return;
  }
  const std::vector<std::string_view> fields = splitFields(line);
  std::vector<std::u16string> parts;
  if (fields[0] == "key" && fields.size() == 2) {
    const auto path = nameField(fields[1]);
    if (!path || !splitKeyPath(*path, parts) || parts.empty()) return;
    ensureKey(store, parts);
  } else if (fields[0] == "value" && fields.size() == 5) {
    const auto path = nameField(fields[1]);
    const auto name = nameField(fields[2]);
    const auto text = unescapeField(fields[4]);
    if (!path || !name || !text || !splitKeyPath(*path, parts)) return;
    if (fields[3] == "REG_SZ" && !isValidUtf8(*text)) return;
    auto value = valueOfText(fields[3], *text);
    if (!value) return;
    putValue(ensureKey(store, parts), *name, value->first, std::move(value->second));
  }
  // Anything else (the format line, records of a later version, garbage) adds nothing.
}

Store parseStore(std::string_view text) {
  Store store = emptyStore();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) readLine(store, line);
    start = end + 1;
  }
  return store;
}

std::string textOfStore(const Store& store) {
  std::string out;
  out += kFormatName;
  out += '\t';
  out += kFormatVersion;
  out += '\n';
  for (const auto& [foldedPath, key] : store) {
    const std::string path = escapeField(utf16ToUtf8(key.path), false);
    if (!foldedPath.empty()) out += "key\t" + escapeField(utf16ToUtf8(key.path), true) + '\n';
    for (const auto& [foldedName, value] : key.values) {
      const auto [typeToken, data] = textOfValue(value);
      out += "value\t" + path + '\t' + escapeField(utf16ToUtf8(value.name), false) + '\t' +
             typeToken + '\t' + escapeField(data, true) + '\n';
    }
  }
  return out;
}

// Reads the whole file; returns 0 or an errno value.
int readWholeFile(const std::string& file, std::string& text) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      return err;
    }
    if (got == 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return 0;
}

// Creates folder and its missing parents (mode 0700); returns 0 or an errno value.
int makeFolders(const std::string& folder) {
  for (std::size_t i = 1; i <= folder.size(); ++i) {
    if (i != folder.size() && folder[i] != '/') continue;
    const std::string prefix = folder.substr(0, i);
    if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  return 0;
}

int writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t put = ::write(fd, text.data(), text.size());
    if (put < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    text.remove_prefix(static_cast<std::size_t>(put));
  }
  return 0;
}

// Replaces the store file with text: write "registry.tmp", sync it, rename it over the store,
// then sync the folder so the rename itself lasts. Returns 0 or an errno value.
int replaceStoreFile(const std::string& file, const std::string& text) {
  const std::string folder = file.substr(0, file.rfind('/'));
  if (const int err = makeFolders(folder)) return err;
  const std::string temporary = file + ".tmp";
  ::unlink(temporary.c_str());  // a stale one from an interrupted save
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  int err = writeAll(fd, text);
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temporary.c_str(), file.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temporary.c_str());
    return err;
  }
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
  return 0;
}

// $XDG_CONFIG_HOME/tarvosk/registry, or ~/.config/tarvosk/registry.
std::optional<std::string> storeFilePath() {
  const auto config = xdgFolder("XDG_CONFIG_HOME", "/.config");
  if (!config) return std::nullopt;
  return *config + "/tarvosk/registry";
}

// ---- Open keys -----------------------------------------------------------------------------

struct OpenKey {
  std::vector<std::u16string> parts;  // the key's path as it was opened
  std::u16string foldedPath;
  REGSAM access = 0;
};

struct Registry {
  std::mutex mutex;
  Store store = emptyStore();
  std::string file;  // the store file found at the last open
  std::unordered_map<std::uintptr_t, OpenKey> handles;
  std::uintptr_t nextHandle = 0x100;
};

Registry& registry() {
  static Registry instance;
  return instance;
}

bool isCurrentUser(HKEY key) { return key == HKEY_CURRENT_USER; }

OpenKey* findKey(Registry& reg, HKEY key) {
  static OpenKey currentUser{{}, {}, KEY_ALL_ACCESS};
  if (isCurrentUser(key)) return &currentUser;
  auto it = reg.handles.find(reinterpret_cast<std::uintptr_t>(key));
  return it == reg.handles.end() ? nullptr : &it->second;
}

REGSAM effectiveAccess(REGSAM sam) {
  if (sam & (kMaximumAllowed | kGenericAll)) return KEY_ALL_ACCESS;
  if (sam & kGenericRead) sam |= KEY_READ;
  if (sam & kGenericWrite) sam |= KEY_WRITE;
  return sam;
}

// Loads the store file into memory. A missing file or folder is an empty registry; a file that
// exists but cannot be read leaves the copy in memory when it is the same store.
DWORD loadStore(Registry& reg) {
  const auto file = storeFilePath();
  if (!file) return ERROR_PATH_NOT_FOUND;
  const bool sameFile = *file == reg.file;
  reg.file = *file;
  std::string text;
  const int err = readWholeFile(*file, text);
  if (err == 0) {
    reg.store = parseStore(text);
  } else if (err == ENOENT || err == ENOTDIR || !sameFile) {
    reg.store = emptyStore();
  }
  return ERROR_SUCCESS;
}

// Writes candidate as the store and, when that worked, makes it the store in memory.
DWORD commit(Registry& reg, Store candidate) {
  if (const int err = replaceStoreFile(reg.file, textOfStore(candidate)))
    return win32ErrorFromErrno(err);
  reg.store = std::move(candidate);
  return ERROR_SUCCESS;
}

HKEY issueHandle(Registry& reg, std::vector<std::u16string> parts, REGSAM access) {
  const std::uintptr_t id = reg.nextHandle;
  reg.nextHandle += 4;
  std::u16string foldedPath = foldedPathOf(parts);
  reg.handles.emplace(id, OpenKey{std::move(parts), std::move(foldedPath), access});
  return reinterpret_cast<HKEY>(id);
}

// The path of subKey below parent, or ERROR_INVALID_PARAMETER for a name that is too long.
DWORD childPath(const OpenKey& parent, LPCWSTR subKey, std::vector<std::u16string>& parts) {
  parts = parent.parts;
  if (subKey && !splitKeyPath(subKey, parts)) return ERROR_INVALID_PARAMETER;
  return ERROR_SUCCESS;
}

// What opening and creating a key share: the output handle cleared, the path of subKey below
// the open key, and the store loaded.
DWORD beginKeyOpen(Registry& reg, HKEY key, LPCWSTR subKey, PHKEY out, std::vector<std::u16string>& parts) {
  if (!out) return ERROR_INVALID_PARAMETER;
  *out = nullptr;
  const OpenKey* parent = findKey(reg, key);
  if (!parent) return ERROR_INVALID_HANDLE;
  if (DWORD err = childPath(*parent, subKey, parts)) return err;
  return loadStore(reg);
}

// The key behind an open handle in the store, or null when it is not there (any more).
Key* keyOf(Registry& reg, const OpenKey& open) {
  auto it = reg.store.find(open.foldedPath);
  return it == reg.store.end() ? nullptr : &it->second;
}

}  // namespace
}  // namespace tarvosk

using namespace tarvosk;

LONG RegCreateKeyW(HKEY key, LPCWSTR subKey, PHKEY out) {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  std::vector<std::u16string> parts;
  if (DWORD err = beginKeyOpen(reg, key, subKey, out, parts)) return result(err);
  if (!reg.store.contains(foldedPathOf(parts))) {
    Store candidate = reg.store;
    ensureKey(candidate, parts);
    if (DWORD err = commit(reg, std::move(candidate))) return result(err);
  }
  *out = issueHandle(reg, std::move(parts), KEY_ALL_ACCESS);
  return result(ERROR_SUCCESS);
}

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM sam, PHKEY out) {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  std::vector<std::u16string> parts;
  if (DWORD err = beginKeyOpen(reg, key, subKey, out, parts)) return result(err);
  if (!reg.store.contains(foldedPathOf(parts))) return result(ERROR_FILE_NOT_FOUND);
  *out = issueHandle(reg, std::move(parts), effectiveAccess(sam));
  return result(ERROR_SUCCESS);
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize) {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  const OpenKey* open = findKey(reg, key);
  if (!open) return result(ERROR_INVALID_HANDLE);
  if (reserved || (data && !dataSize)) return result(ERROR_INVALID_PARAMETER);
  if (!(open->access & KEY_QUERY_VALUE)) return result(ERROR_ACCESS_DENIED);
  // HKEY_CURRENT_USER used without an open reads the store as an open would.
  if (isCurrentUser(key))
    if (DWORD err = loadStore(reg)) return result(err);
  const Key* stored = keyOf(reg, *open);
  if (!stored) return result(ERROR_FILE_NOT_FOUND);
  auto it = stored->values.find(folded(valueName ? valueName : u""));
  if (it == stored->values.end()) return result(ERROR_FILE_NOT_FOUND);
  const Value& value = it->second;
  const DWORD size = static_cast<DWORD>(value.data.size());
  if (type) *type = value.type;
  if (!dataSize) return result(ERROR_SUCCESS);
  if (data && *dataSize < size) {
    *dataSize = size;
    return result(ERROR_MORE_DATA);
  }
  if (data && size) std::memcpy(data, value.data.data(), size);
  *dataSize = size;
  return result(ERROR_SUCCESS);
}

LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data,
                    DWORD dataSize) {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  const OpenKey* open = findKey(reg, key);
  if (!open) return result(ERROR_INVALID_HANDLE);
  if (!(open->access & KEY_SET_VALUE)) return result(ERROR_ACCESS_DENIED);
  if (type == REG_DWORD && dataSize != 4) return result(ERROR_INVALID_PARAMETER);
  if (!data && dataSize) return result(ERROR_NOACCESS);
  if (isCurrentUser(key))
    if (DWORD err = loadStore(reg)) return result(err);
  Store candidate = reg.store;
  // A key removed by another process since it was opened comes back with the value.
  Key& target = ensureKey(candidate, open->parts);
  putValue(target, valueName ? valueName : u"", type,
           std::vector<BYTE>(data, data + (data ? dataSize : 0)));
  return result(commit(reg, std::move(candidate)));
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  const OpenKey* open = findKey(reg, key);
  if (!open) return result(ERROR_INVALID_HANDLE);
  if (!(open->access & KEY_SET_VALUE)) return result(ERROR_ACCESS_DENIED);
  if (isCurrentUser(key))
    if (DWORD err = loadStore(reg)) return result(err);
  const Key* stored = keyOf(reg, *open);
  const std::u16string name = folded(valueName ? valueName : u"");
  if (!stored || !stored->values.contains(name)) return result(ERROR_FILE_NOT_FOUND);
  Store candidate = reg.store;
  candidate[open->foldedPath].values.erase(name);
  return result(commit(reg, std::move(candidate)));
}

LONG RegCloseKey(HKEY key) {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  if (isCurrentUser(key)) return result(ERROR_SUCCESS);
  return result(reg.handles.erase(reinterpret_cast<std::uintptr_t>(key)) ? ERROR_SUCCESS
                                                                          : ERROR_INVALID_HANDLE);
}
