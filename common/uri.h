// Resolving a relative address against a base, as RFC 3986 (section 5)
// says: the links of feeds and of their descriptions are often relative.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rivolet {

// The target of `reference` resolved against `base`. An absolute reference
// (one with a scheme) stands as it is, its dot segments removed. Nothing
// when the reference is relative and `base` is not an absolute address.
// Bytes are kept as written; the caller decides whether the result may be
// opened (IsWebLink).
std::optional<std::string> ResolveReference(std::string_view base,
                                            std::string_view reference);

}  // namespace rivolet
