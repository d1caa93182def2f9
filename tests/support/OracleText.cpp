#include "support/OracleText.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tarvosk::test {

std::vector<std::string> oracleLines(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("missing oracle file " + path);
  std::vector<std::string> all;
  for (std::string line; std::getline(in, line);) all.push_back(line);
  return all;
}

std::vector<std::string> splitTabs(const std::string& line) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream s(line);
  while (std::getline(s, part, '\t')) parts.push_back(part);
  return parts;
}

}  // namespace tarvosk::test
