// Windows-1250 <-> Unicode tables and the UTF-8 conversion of feed text.
#include "common/codepage.h"

#include <array>
#include <cstdint>
#include <unordered_set>

#include "common/text.h"

namespace rivolet {
namespace {

// Code points of the bytes 80..FF. The five bytes the code page leaves
// undefined (81, 83, 88, 90, 98) map to the C1 control of the same value, so
// that every byte survives a round trip through Unicode.
constexpr std::array<char16_t, 128> kHighHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

// Reverse table for the whole Basic Multilingual Plane; 0 marks a code point
// the code page lacks (U+0000 itself is handled before the lookup).
struct ReverseTable {
  std::array<unsigned char, 0x10000> bytes{};
  ReverseTable() {
    for (unsigned b = 0; b < 0x80; ++b)
      bytes[b] = static_cast<unsigned char>(b);
    for (unsigned b = 0; b < 0x80; ++b) {
      bytes[kHighHalf[b]] = static_cast<unsigned char>(0x80 + b);
    }
  }
};

const ReverseTable& Reverse() {
  static const ReverseTable table;
  return table;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Windows-1250 lower case of every byte; bytes without a case map to
// themselves.
constexpr std::array<unsigned char, 256> MakeLowerTable() {
  std::array<unsigned char, 256> t{};
  for (int b = 0; b < 256; ++b) t[b] = static_cast<unsigned char>(b);
  for (int b = 'A'; b <= 'Z'; ++b) t[b] = static_cast<unsigned char>(b + 32);
  // Š Ś Ť Ž Ź, Ł, Ą, Ş, Ż, Ľ and the accented block (× has no pair).
  constexpr std::array<std::array<int, 2>, 10> kPairs = {{{0x8A, 0x9A},
                                                          {0x8C, 0x9C},
                                                          {0x8D, 0x9D},
                                                          {0x8E, 0x9E},
                                                          {0x8F, 0x9F},
                                                          {0xA3, 0xB3},
                                                          {0xA5, 0xB9},
                                                          {0xAA, 0xBA},
                                                          {0xAF, 0xBF},
                                                          {0xBC, 0xBE}}};
  for (const auto& p : kPairs) t[p[0]] = static_cast<unsigned char>(p[1]);
  for (int b = 0xC0; b <= 0xDE; ++b) {
    if (b != 0xD7) t[b] = static_cast<unsigned char>(b + 0x20);
  }
  return t;
}

constexpr std::array<unsigned char, 256> kLower = MakeLowerTable();

}  // namespace

char32_t Cp1250ToUnicode(unsigned char byte) {
  return byte < 0x80 ? byte : kHighHalf[byte - 0x80];
}

char UnicodeToCp1250(char32_t code_point) {
  if (code_point == 0) return '\0';
  if (code_point > 0xFFFF) return '?';
  const unsigned char byte = Reverse().bytes[code_point];
  return byte == 0 ? '?' : static_cast<char>(byte);
}

std::u16string Cp1250ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) {
    out +=
        static_cast<char16_t>(Cp1250ToUnicode(static_cast<unsigned char>(c)));
  }
  return out;
}

std::string Utf16ToCp1250(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() &&
        text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      // A surrogate pair is one character outside the code page.
      out += '?';
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      out += '?';
    } else {
      out += UnicodeToCp1250(unit);
    }
  }
  return out;
}

std::string Utf16LeToCp1250(std::string_view le_bytes) {
  std::u16string units;
  units.reserve(le_bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < le_bytes.size(); i += 2) {
    units += static_cast<char16_t>(
        static_cast<unsigned char>(le_bytes[i]) |
        (static_cast<unsigned>(static_cast<unsigned char>(le_bytes[i + 1]))
         << 8));
  }
  return Utf16ToCp1250(units);
}

std::string Utf8ToCp1250Lenient(std::string_view text) {
  static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    const int extra = (b & 0xE0) == 0xC0   ? 1
                      : (b & 0xF0) == 0xE0 ? 2
                      : (b & 0xF8) == 0xF0 ? 3
                                           : 0;
    char32_t cp = b & (0x3F >> extra);
    bool ok = extra > 0 && text.size() - i > static_cast<std::size_t>(extra);
    for (int k = 1; ok && k <= extra; ++k) {
      const auto cont = static_cast<unsigned char>(text[i + k]);
      ok = IsContinuation(cont);
      cp = (cp << 6) | (cont & 0x3F);
    }
    if (ok && cp >= kSmallest[extra] && !(cp >= 0xD800 && cp <= 0xDFFF)) {
      out += UnicodeToCp1250(cp);
      i += 1 + static_cast<std::size_t>(extra);
    } else {
      out += '?';
      ++i;
    }
  }
  return out;
}

char LowerCp1250(char c) {
  return static_cast<char>(kLower[static_cast<unsigned char>(c)]);
}

std::string FoldLetterCase(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = LowerCp1250(c);
  return folded;
}

std::string Cp1250ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (char c : text)
    AppendUtf8(out, Cp1250ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

namespace {

constexpr std::size_t kMaxLostLines = 20;
constexpr std::size_t kMaxShownCharacters = 80;

// The first `count` characters of UTF-8 `text`, and an ellipsis when there
// were more.
std::string FirstCharacters(std::string_view text, std::size_t count) {
  std::size_t at = 0;
  for (std::size_t seen = 0; at < text.size(); ++at) {
    if (IsContinuation(static_cast<unsigned char>(text[at]))) continue;
    if (seen++ == count) return std::string(text.substr(0, at)) + "\u2026";
  }
  return std::string(text);
}

}  // namespace

std::string LostLetterLines(const std::vector<TypedText>& texts) {
  std::string lines;
  std::size_t listed = 0;
  std::size_t left_out = 0;
  std::unordered_set<std::string> seen;
  for (const TypedText& text : texts) {
    const std::string kept = Cp1250ToUtf8(text.stored);
    if (kept == text.typed) continue;
    std::string line = "\u201C" +
                       FirstCharacters(text.typed, kMaxShownCharacters) +
                       "\u201D \u2192 \u201C" +
                       FirstCharacters(kept, kMaxShownCharacters) + "\u201D";
    if (!seen.insert(line).second) continue;
    if (listed == kMaxLostLines) {
      ++left_out;
      continue;
    }
    ++listed;
    lines += line + "\n";
  }
  if (left_out > 0) lines += "\u2026 (+" + std::to_string(left_out) + ")\n";
  return lines;
}

bool IsUtf8Document(std::string_view text) {
  // "utf-8" or "UTF-8" anywhere, in one pass: each "-8" is looked behind.
  // (Two searches would read a whole document for the first spelling when
  // it declares the second.)
  constexpr std::size_t kBefore = 3;
  for (std::size_t at = text.find("-8", kBefore); at != std::string_view::npos;
       at = text.find("-8", at + 1)) {
    const std::string_view before = text.substr(at - kBefore, kBefore);
    if (before == "utf" || before == "UTF") return true;
  }
  return false;
}

std::string Utf8ToCp1250(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::string out;
  out.reserve(n);
  std::size_t i = 0;
  while (i < n) {
    const unsigned char lead = p[i];
    if (lead < 0x80) {
      out += static_cast<char>(lead);
      ++i;
      continue;
    }
    // Four-byte characters are always outside the code page.
    if (lead >= 0xF0 && lead <= 0xF7 && i + 3 < n && IsContinuation(p[i + 1]) &&
        IsContinuation(p[i + 2]) && IsContinuation(p[i + 3])) {
      out += '?';
      i += 4;
      continue;
    }
    const std::size_t length = (lead & 0x20) ? 3 : 2;
    if (i + length > n) return {};
    for (std::size_t k = 1; k < length; ++k) {
      if (!IsContinuation(p[i + k])) return {};
    }
    // The length rule above accepts sequences that encode no character: a
    // continuation byte or F8..FF as lead, overlong forms and surrogates.
    // Such a sequence becomes '?' rather than a byte it only pretends to be.
    char32_t cp = 0;
    bool valid = false;
    if (length == 2) {
      cp = static_cast<char32_t>(((lead & 0x1F) << 6) | (p[i + 1] & 0x3F));
      valid = lead >= 0xC2 && lead <= 0xDF;
    } else {
      cp = static_cast<char32_t>(((lead & 0x0F) << 12) |
                                 ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F));
      valid = lead >= 0xE0 && lead <= 0xEF && cp >= 0x800 &&
              !(cp >= 0xD800 && cp <= 0xDFFF);
    }
    out += valid ? UnicodeToCp1250(cp) : '?';
    i += length;
  }
  return out;
}

}  // namespace rivolet
