// URI references as RFC 3986 reads them: split into their parts, and
// resolved against a base (section 5). Redirects and the links of feeds and
// of their descriptions are often relative.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rivolet {

// The five parts of a URI reference; a part that is absent is not the same as
// an empty one ("http://a/b?" has an empty query, "http://a/b" none).
struct UriParts {
  std::optional<std::string_view> scheme;
  std::optional<std::string_view> authority;
  std::string_view path;
  std::optional<std::string_view> query;
  std::optional<std::string_view> fragment;
};

// Splits any text as a URI reference; a scheme is recognised only when it is
// well formed (a letter, then letters, digits, "+", "-" or "."), so "a b:c"
// is a relative path.
UriParts SplitUri(std::string_view reference);

// The address `reference` stands for when found at `base`: RFC 3986
// reference resolution, with "." and ".." segments removed. Nothing is
// decoded or re-encoded.
std::string ResolveUriReference(std::string_view base,
                                std::string_view reference);

// The same, but nothing when the result is not absolute (a relative
// reference with no absolute base to resolve it against). The caller
// decides whether the result may be opened (IsWebLink).
std::optional<std::string> ResolveReference(std::string_view base,
                                            std::string_view reference);

}  // namespace rivolet
