// The longest-match lookup of named character references.
#include "reader/shown_entities.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace rivolet {
namespace {

constexpr std::size_t kLongestName = 32;

bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9');
}

const NamedReference* Find(std::string_view name) {
  const std::span<const NamedReference> all = NamedReferences();
  const auto it =
      std::lower_bound(all.begin(), all.end(), name,
                       [](const NamedReference& entry, std::string_view key) {
                         return std::string_view(entry.name) < key;
                       });
  if (it == all.end() || std::string_view(it->name) != name) return nullptr;
  return &*it;
}

}  // namespace

const NamedReference* MatchNamedReference(std::string_view after_ampersand,
                                          std::size_t& length) {
  std::size_t run = 0;
  while (run < after_ampersand.size() && run < kLongestName &&
         IsNameCharacter(after_ampersand[run])) {
    ++run;
  }
  if (run == 0) return nullptr;
  if (run < after_ampersand.size() && after_ampersand[run] == ';') {
    if (const NamedReference* found =
            Find(after_ampersand.substr(0, run + 1))) {
      length = run + 1;
      return found;
    }
  }
  // The legacy names have no semicolon and match as a prefix of the run.
  for (std::size_t k = run; k > 0; --k) {
    if (const NamedReference* found = Find(after_ampersand.substr(0, k))) {
      length = k;
      return found;
    }
  }
  return nullptr;
}

}  // namespace rivolet
