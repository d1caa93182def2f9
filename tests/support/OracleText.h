// Reading the text files in which fixture scripts keep what the oracle tools said.
#pragma once

#include <string>
#include <vector>

namespace tarvosk::test {

// Every line of the file; throws when it is missing.
std::vector<std::string> oracleLines(const std::string& path);
// The tab-separated fields of a line.
std::vector<std::string> splitTabs(const std::string& line);

}  // namespace tarvosk::test
