// Fuzz target for the INI reader and writer. The first three bytes pick a
// section, a key and a value; the rest is the file. A write must read back,
// repeat to the same bytes, leave other keys alone and keep every other line
// byte for byte.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

constexpr const char* kSections[] = {"general", "GENERAL", "updating", "a"};
constexpr const char* kKeys[] = {"left", "Left", "act_time", "k"};
constexpr const char* kValues[] = {"", "1", "-5", "0x1E", "a b=c"};

template <std::size_t N>
const char* Pick(const char* const (&names)[N], std::uint8_t byte) {
  return names[byte % N];
}

// Lines with their endings, split at CR LF, a lone CR and a lone LF.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) {
      end = text.size();
    } else if (text[end] == '\r' && end + 1 < text.size() &&
               text[end + 1] == '\n') {
      end += 2;
    } else {
      end += 1;
    }
    lines.push_back(text.substr(at, end - at));
    at = end;
  }
  return lines;
}

bool HasEnding(std::string_view line) {
  return !line.empty() && (line.back() == '\r' || line.back() == '\n');
}

// Outside one changed stretch, every line of the input is in the output
// with its ending. The stretch holds at most one input line: a line rewritten
// in place with its ending kept, or an unended last line that gained an
// ending before the new lines (at most two) that follow it.
void CheckOtherLinesKept(std::string_view before, std::string_view after) {
  const auto a = Lines(before);
  const auto b = Lines(after);
  std::size_t prefix = 0;
  while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix]) {
    ++prefix;
  }
  std::size_t suffix = 0;
  while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
         a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix]) {
    ++suffix;
  }
  const std::size_t a_mid = a.size() - prefix - suffix;
  const std::size_t b_mid = b.size() - prefix - suffix;
  Check(a_mid <= 1 && b_mid <= 3);
  if (a_mid == 0) {
    Check(b_mid <= 2);
    return;
  }
  Check(b_mid >= 1);
  const std::string_view old_line = a[prefix];
  const std::string_view new_line = b[prefix];
  if (b_mid == 1) {
    const std::size_t old_end =
        std::min(old_line.find_first_of("\r\n"), old_line.size());
    const std::size_t new_end =
        std::min(new_line.find_first_of("\r\n"), new_line.size());
    Check(old_line.substr(old_end) == new_line.substr(new_end));
  } else {
    Check(!HasEnding(old_line) && new_line.starts_with(old_line));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using rivolet::GetIniValue;
  using rivolet::SetIniValue;
  if (size < 3) return 0;
  const char* section = Pick(kSections, data[0]);
  const char* key = Pick(kKeys, data[1]);
  const char* value = Pick(kValues, data[2]);
  const std::string_view text(reinterpret_cast<const char*>(data) + 3,
                              size - 3);

  GetIniValue(text, section, key);
  const std::string written = SetIniValue(text, section, key, value);
  Check(GetIniValue(written, section, key) == std::string(value));
  Check(SetIniValue(written, section, key, value) == written);
  CheckOtherLinesKept(text, written);

  // Writing another key leaves this one's value alone.
  const char* other_section = Pick(kSections, data[0] + 1);
  const char* other_key = Pick(kKeys, data[1] + 2);
  const std::string both = SetIniValue(written, other_section, other_key, "9");
  Check(GetIniValue(both, other_section, other_key) == std::string("9"));
  Check(GetIniValue(both, section, key) == std::string(value));
  return 0;
}
