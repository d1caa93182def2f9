// The search's name patterns over hostile patterns and names (UTF-16, split at the first 0):
// besides not crashing or hanging, the matcher must keep the rules a glob has.
#include <string>

#include "FuzzTarget.h"
#include "platform/ByteOrder.h"
#include "search/NamePattern.h"

using namespace tarvosk;

namespace {

bool hasWildcards(std::u16string_view text) { return text.find_first_of(u"*?[") != std::u16string_view::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(le16(ByteSpan(data, size), i)));
  const std::size_t split = text.find(u'\0');
  const std::u16string pattern = text.substr(0, split);
  const std::u16string name = split == std::u16string::npos ? std::u16string() : text.substr(split + 1);

  const bool matches = MatchNamePattern(pattern, name);
  fuzz::require(MatchNamePattern(u"*", name), "\"*\" matches every name");
  fuzz::require(MatchNamePattern(std::u16string(name.size(), u'?'), name), "one \"?\" per character matches");
  if (!hasWildcards(name)) fuzz::require(MatchNamePattern(name, name), "a plain name matches itself");
  if (matches) {
    fuzz::require(MatchNamePattern(u"*" + pattern, name), "a leading \"*\" keeps a match");
    fuzz::require(MatchNamePattern(pattern + u"*", name), "a trailing \"*\" keeps a match");
  }
  return 0;
}
