// URI references: their parts and their resolution (RFC 3986).
#include "common/uri.h"

#include <algorithm>

#include "common/ascii.h"

namespace rivolet {
namespace {

bool IsSchemeChar(char c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '+' || c == '-' ||
         c == '.';
}

}  // namespace

UriParts SplitUri(std::string_view reference) {
  UriParts parts;
  std::string_view rest = reference;
  const std::size_t colon = rest.find_first_of(":/?#");
  if (colon != std::string_view::npos && rest[colon] == ':' &&
      IsAsciiLetter(rest[0]) &&
      std::all_of(rest.begin(), rest.begin() + colon, IsSchemeChar)) {
    parts.scheme = rest.substr(0, colon);
    rest.remove_prefix(colon + 1);
  }
  if (const std::size_t hash = rest.find('#'); hash != std::string_view::npos) {
    parts.fragment = rest.substr(hash + 1);
    rest = rest.substr(0, hash);
  }
  if (const std::size_t mark = rest.find('?'); mark != std::string_view::npos) {
    parts.query = rest.substr(mark + 1);
    rest = rest.substr(0, mark);
  }
  if (rest.starts_with("//")) {
    const std::size_t end = std::min(rest.find('/', 2), rest.size());
    parts.authority = rest.substr(2, end - 2);
    rest.remove_prefix(end);
  }
  parts.path = rest;
  return parts;
}

namespace {

// Drops "." and ".." segments the way RFC 3986 (5.2.4) does: ".." takes away
// the segment before it, and never climbs above the root.
std::string RemoveDotSegments(std::string_view in) {
  std::string out;
  auto drop_last_segment = [&out] {
    const std::size_t slash = out.rfind('/');
    out.erase(slash == std::string::npos ? 0 : slash);
  };
  while (!in.empty()) {
    if (in.starts_with("../")) {
      in.remove_prefix(3);
    } else if (in.starts_with("./") || in.starts_with("/./")) {
      in.remove_prefix(2);
    } else if (in == "/.") {
      in = "/";
    } else if (in.starts_with("/../")) {
      in.remove_prefix(3);
      drop_last_segment();
    } else if (in == "/..") {
      in = "/";
      drop_last_segment();
    } else if (in == "." || in == "..") {
      in = {};
    } else {
      const std::size_t end = in.find('/', 1);
      out += in.substr(0, end);
      in.remove_prefix(std::min(end, in.size()));
    }
  }
  return out;
}

}  // namespace

std::string ResolveUriReference(std::string_view base,
                                std::string_view reference) {
  const UriParts b = SplitUri(base);
  const UriParts r = SplitUri(reference);
  std::optional<std::string_view> authority = b.authority;
  std::optional<std::string_view> query = r.query;
  std::string path;
  if (r.scheme || r.authority) {
    authority = r.authority;
    path = RemoveDotSegments(r.path);
  } else if (r.path.empty()) {
    path = b.path;
    if (!query) query = b.query;
  } else {
    // A relative path replaces the last segment of the base's path.
    std::string merged;
    if (r.path.front() != '/') {
      const std::size_t slash = b.path.rfind('/');
      if (slash != std::string_view::npos) {
        merged = b.path.substr(0, slash + 1);
      } else if (b.authority) {
        merged = "/";
      }
    }
    path = RemoveDotSegments(merged += r.path);
  }

  std::string result;
  if (const auto scheme = r.scheme ? r.scheme : b.scheme) {
    (result += *scheme) += ':';
  }
  if (authority) (result += "//") += *authority;
  result += path;
  if (query) (result += '?') += *query;
  if (r.fragment) (result += '#') += *r.fragment;
  return result;
}

std::optional<std::string> ResolveReference(std::string_view base,
                                            std::string_view reference) {
  std::string resolved = ResolveUriReference(base, reference);
  if (!SplitUri(resolved).scheme) return std::nullopt;
  return resolved;
}

}  // namespace rivolet
