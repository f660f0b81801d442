// Link checks.
#include "common/links.h"

#include <cctype>
#include <string>

namespace rivolet {

bool IsWebLink(std::string_view link) {
  std::string lower;
  for (char c : link.substr(0, 8)) {
    lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  std::size_t host_start;
  if (lower.rfind("http://", 0) == 0) {
    host_start = 7;
  } else if (lower.rfind("https://", 0) == 0) {
    host_start = 8;
  } else {
    return false;
  }
  if (link.size() <= host_start) return false;
  const char first = link[host_start];
  if (first == '/' || first == ':' || first == '?' || first == '#')
    return false;
  for (unsigned char c : link) {
    if (c <= ' ' || c == 0x7F) return false;
  }
  return true;
}

}  // namespace rivolet
