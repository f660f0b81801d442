// The named character references of HTML: the generated table and the
// longest-match lookup browsers use in text.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace rivolet {

struct NamedReference {
  const char* name;  // without the ampersand; ends with ';' except legacy forms
  const char* text;  // UTF-8
};

// Every reference, sorted by name bytewise.
std::span<const NamedReference> NamedReferences();

// The reference that `after_ampersand` begins with, by the longest name that
// matches (a name with its semicolon, or a legacy name without one); nullptr
// when none does. `length` receives the bytes the name takes.
const NamedReference* MatchNamedReference(std::string_view after_ampersand,
                                          std::size_t& length);

}  // namespace rivolet
