// Reference resolution (RFC 3986, 5.2).
#include "common/uri.h"

#include "common/ascii.h"

namespace rivolet {
namespace {

struct Parts {
  std::optional<std::string_view> scheme, authority, query, fragment;
  std::string_view path;
};

// RFC 3986, appendix B: scheme ":", "//" authority, path, "?" query,
// "#" fragment.
Parts Split(std::string_view text) {
  Parts parts;
  const std::size_t colon = text.find_first_of(":/?#");
  if (colon != std::string_view::npos && colon > 0 && text[colon] == ':' &&
      IsAsciiLetter(text[0])) {
    bool scheme_chars = true;
    for (char c : text.substr(0, colon)) {
      scheme_chars = scheme_chars && (IsAsciiLetter(c) || IsAsciiDigit(c) ||
                                      c == '+' || c == '-' || c == '.');
    }
    if (scheme_chars) {
      parts.scheme = text.substr(0, colon);
      text.remove_prefix(colon + 1);
    }
  }
  const std::size_t hash = text.find('#');
  if (hash != std::string_view::npos) {
    parts.fragment = text.substr(hash + 1);
    text = text.substr(0, hash);
  }
  const std::size_t question = text.find('?');
  if (question != std::string_view::npos) {
    parts.query = text.substr(question + 1);
    text = text.substr(0, question);
  }
  if (text.starts_with("//")) {
    const std::size_t slash = text.find('/', 2);
    parts.authority =
        text.substr(2, slash == std::string_view::npos ? std::string_view::npos
                                                       : slash - 2);
    text = slash == std::string_view::npos ? std::string_view()
                                           : text.substr(slash);
  }
  parts.path = text;
  return parts;
}

// RFC 3986, 5.2.4, in one pass: each segment is pushed onto or popped off
// the output.
std::string RemoveDotSegments(std::string_view path) {
  std::string out;
  std::size_t i = 0;
  while (i < path.size()) {
    const std::string_view rest = path.substr(i);
    if (rest.starts_with("../")) {
      i += 3;
    } else if (rest.starts_with("./")) {
      i += 2;
    } else if (rest.starts_with("/./")) {
      i += 2;
    } else if (rest == "/.") {
      out += '/';
      break;
    } else if (rest.starts_with("/../") || rest == "/..") {
      const std::size_t last = out.rfind('/');
      out.resize(last == std::string::npos ? 0 : last);
      if (rest == "/..") {
        out += '/';
        break;
      }
      i += 3;
    } else if (rest == "." || rest == "..") {
      break;
    } else {
      const std::size_t next = path.find('/', i + (path[i] == '/' ? 1 : 0));
      const std::size_t end =
          next == std::string_view::npos ? path.size() : next;
      out.append(path.substr(i, end - i));
      i = end;
    }
  }
  return out;
}

std::string Join(const Parts& parts, const std::string& path) {
  std::string out;
  if (parts.scheme) {
    out.append(*parts.scheme);
    out += ':';
  }
  if (parts.authority) {
    out += "//";
    out.append(*parts.authority);
  }
  out += path;
  if (parts.query) {
    out += '?';
    out.append(*parts.query);
  }
  if (parts.fragment) {
    out += '#';
    out.append(*parts.fragment);
  }
  return out;
}

}  // namespace

std::optional<std::string> ResolveReference(std::string_view base,
                                            std::string_view reference) {
  const Parts r = Split(reference);
  if (r.scheme) return Join(r, RemoveDotSegments(r.path));
  const Parts b = Split(base);
  if (!b.scheme) return std::nullopt;
  Parts t;
  t.scheme = b.scheme;
  t.fragment = r.fragment;
  std::string path;
  if (r.authority) {
    t.authority = r.authority;
    path = RemoveDotSegments(r.path);
    t.query = r.query;
  } else {
    t.authority = b.authority;
    if (r.path.empty()) {
      path = std::string(b.path);
      t.query = r.query ? r.query : b.query;
    } else {
      if (r.path.starts_with('/')) {
        path = RemoveDotSegments(r.path);
      } else {
        // Merge (5.2.3): the base's path up to its last "/", or "/" for a
        // base with an authority and no path.
        std::string merged;
        if (b.authority && b.path.empty()) {
          merged = "/";
        } else {
          const std::size_t slash = b.path.rfind('/');
          if (slash != std::string_view::npos) {
            merged = std::string(b.path.substr(0, slash + 1));
          }
        }
        merged.append(r.path);
        path = RemoveDotSegments(merged);
      }
      t.query = r.query;
    }
  }
  return Join(t, path);
}

}  // namespace rivolet
