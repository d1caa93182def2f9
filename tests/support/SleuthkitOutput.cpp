#include "support/SleuthkitOutput.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tarvosk::test {

namespace {

std::vector<std::string> splitTabs(const std::string& line) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream s(line);
  while (std::getline(s, part, '\t')) parts.push_back(part);
  return parts;
}

}  // namespace

std::vector<std::string> oracleLines(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("missing oracle file " + path);
  std::vector<std::string> all;
  for (std::string line; std::getline(in, line);) all.push_back(line);
  return all;
}

std::vector<FlsEntry> readFls(const std::string& image) {
  std::vector<FlsEntry> entries;
  for (const std::string& line : oracleLines(image + ".fls")) {
    auto parts = splitTabs(line);
    // "r/r * 4:", "-/d * 69-144-2:", "d/d 66-144-2:" (name type / meta type, deleted mark, address)
    if (parts.size() < 7 || parts[0].size() < 5 || parts[0][1] != '/') continue;
    char meta = parts[0][2];
    if (meta != 'r' && meta != 'd') continue;
    if (parts[1].find("(Volume Label Entry)") != std::string::npos) continue;
    if (parts[1].find(':') != std::string::npos) continue;  // a named stream
    FlsEntry e;
    e.folder = meta == 'd';
    std::string rest = parts[0].substr(4);
    if (rest.compare(0, 2, "* ") == 0) {
      e.deleted = true;
      rest = rest.substr(2);
    }
    e.inode = std::stoull(rest);
    e.path = parts[1];
    e.modified = parts[2].substr(0, parts[2].find(" ("));
    e.size = std::stoull(parts[6]);
    entries.push_back(e);
  }
  if (entries.empty()) throw std::runtime_error("no entries in " + image + ".fls");
  return entries;
}

std::map<std::uint64_t, IstatBlocks> readIstat(const std::string& image) {
  std::map<std::uint64_t, IstatBlocks> out;
  for (const std::string& line : oracleLines(image + ".istat")) {
    auto parts = splitTabs(line);
    if (parts.empty() || parts[0].empty()) continue;
    IstatBlocks& b = out[std::stoull(parts[0])];
    if (parts.size() < 2) continue;
    std::istringstream s(parts[1]);
    for (std::string word; s >> word;) {
      if (word == "resident") b.resident = true;
      else b.blocks.push_back(std::stoull(word));
    }
  }
  return out;
}

AllocatedBlocks::AllocatedBlocks(const std::string& image) {
  for (const std::string& line : oracleLines(image + ".alloc")) {
    std::istringstream s(line);
    std::uint64_t first = 0, last = 0;
    if (s >> first >> last) ranges_[first] = last;
  }
  if (ranges_.empty()) throw std::runtime_error("no allocated blocks in " + image + ".alloc");
}

bool AllocatedBlocks::allocated(std::uint64_t block) const {
  auto it = ranges_.upper_bound(block);
  if (it == ranges_.begin()) return false;
  --it;
  return block <= it->second;
}

}  // namespace tarvosk::test
