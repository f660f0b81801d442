// Text as the windows show it: encodings, references and UTF-8 helpers.
#include "reader/shown_text.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "common/ascii.h"
#include "common/codepage.h"
#include "reader/shown_entities.h"

namespace rivolet {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::size_t kTabCaptionLimit = 43;
// How far into a document its XML declaration is looked for: past a
// leading blank line or a comment, not through the whole text.
constexpr std::size_t kDeclarationWindow = 1024;

iconv_t NoConverter() { return reinterpret_cast<iconv_t>(-1); }

// Length of the well-formed UTF-8 sequence at text[i], 0 when there is none
// (the ranges of the Unicode standard: no overlong forms, no surrogates,
// nothing beyond U+10FFFF).
std::size_t SequenceLength(const unsigned char* p, std::size_t i,
                           std::size_t n) {
  const unsigned char b = p[i];
  if (b < 0x80) return 1;
  auto in = [&](std::size_t k, unsigned char lo, unsigned char hi) {
    return i + k < n && p[i + k] >= lo && p[i + k] <= hi;
  };
  if (b >= 0xC2 && b <= 0xDF) return in(1, 0x80, 0xBF) ? 2 : 0;
  if (b >= 0xE0 && b <= 0xEF) {
    const unsigned char lo = b == 0xE0 ? 0xA0 : 0x80;
    const unsigned char hi = b == 0xED ? 0x9F : 0xBF;
    return in(1, lo, hi) && in(2, 0x80, 0xBF) ? 3 : 0;
  }
  if (b >= 0xF0 && b <= 0xF4) {
    const unsigned char lo = b == 0xF0 ? 0x90 : 0x80;
    const unsigned char hi = b == 0xF4 ? 0x8F : 0xBF;
    return in(1, lo, hi) && in(2, 0x80, 0xBF) && in(3, 0x80, 0xBF) ? 4 : 0;
  }
  return 0;
}

// Index of the first byte at or after `i` that is not ASCII.
std::size_t SkipAscii(const unsigned char* p, std::size_t i, std::size_t n) {
  while (i + 8 <= n) {
    std::uint64_t block;
    std::memcpy(&block, p + i, 8);
    if (block & 0x8080808080808080ull) break;
    i += 8;
  }
  while (i < n && p[i] < 0x80) ++i;
  return i;
}

bool IsAscii(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  return SkipAscii(p, 0, text.size()) == text.size();
}

// Windows-1252 for the C1 range of numeric references (0 where the code
// point stays as written).
constexpr std::array<char16_t, 32> kC1AsWindows1252 = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char32_t NumericReferenceValue(std::uint32_t value, bool overflow) {
  if (overflow || value == 0 || value > 0x10FFFF) return kReplacement;
  if (value >= 0xD800 && value <= 0xDFFF) return kReplacement;
  if (value >= 0x80 && value <= 0x9F && kC1AsWindows1252[value - 0x80] != 0)
    return kC1AsWindows1252[value - 0x80];
  return value;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') ||
         (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
  if (c <= '9') return c - '0';
  return (c | 0x20) - 'a' + 10;
}

// A numeric reference at text[i] ('&' then '#'); appends its character and
// returns the bytes it takes, or 0 when no digit follows.
std::size_t DecodeNumericReference(std::string_view text, std::size_t i,
                                   std::string& out) {
  std::size_t k = i + 2;
  const bool hex = k < text.size() && (text[k] == 'x' || text[k] == 'X');
  if (hex) ++k;
  const std::size_t digits_start = k;
  std::uint32_t value = 0;
  bool overflow = false;
  while (k < text.size() &&
         (hex ? IsHexDigit(text[k]) : IsAsciiDigit(text[k]))) {
    value = value * (hex ? 16 : 10) +
            static_cast<std::uint32_t>(hex ? HexValue(text[k]) : text[k] - '0');
    if (value > 0x10FFFF) {
      overflow = true;
      value = 0x110000;
    }
    ++k;
  }
  if (k == digits_start) return 0;
  if (k < text.size() && text[k] == ';') ++k;
  AppendUtf8(out, NumericReferenceValue(value, overflow));
  return k - i;
}

// Appends text[from, to) to `out`, turning the XML entities and numeric
// references into characters.
void AppendXmlDecoded(std::string_view text, std::string& out) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t amp = text.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(text.substr(i));
      return;
    }
    out.append(text.substr(i, amp - i));
    i = amp;
    const std::string_view rest = text.substr(amp + 1);
    struct Entity {
      std::string_view name;
      char c;
    };
    static constexpr Entity kEntities[] = {{"lt;", '<'},
                                           {"gt;", '>'},
                                           {"amp;", '&'},
                                           {"quot;", '"'},
                                           {"apos;", '\''}};
    bool done = false;
    for (const Entity& entity : kEntities) {
      if (rest.starts_with(entity.name)) {
        out += entity.c;
        i += 1 + entity.name.size();
        done = true;
        break;
      }
    }
    if (done) continue;
    if (rest.starts_with('#')) {
      const std::size_t used = DecodeNumericReference(text, amp, out);
      if (used != 0) {
        i += used;
        continue;
      }
    }
    out += '&';
    ++i;
  }
}

// The XML declaration near the start of the document, without its "?>";
// empty when there is none.
std::string_view Declaration(std::string_view document) {
  const std::string_view head = document.substr(0, kDeclarationWindow);
  const std::size_t start = head.find("<?xml");
  if (start == std::string_view::npos) return {};
  std::size_t end = head.find("?>", start);
  if (end == std::string_view::npos) end = head.size();
  return head.substr(start, end - start);
}

// The value of the declaration's `encoding` pseudo-attribute; empty when
// there is none.
std::string DeclaredEncoding(std::string_view declaration) {
  std::size_t at = declaration.find("encoding");
  while (at != std::string_view::npos) {
    std::size_t k = at + 8;
    while (k < declaration.size() && IsXmlSpace(declaration[k])) ++k;
    if (k < declaration.size() && declaration[k] == '=') {
      ++k;
      while (k < declaration.size() && IsXmlSpace(declaration[k])) ++k;
      if (k < declaration.size() &&
          (declaration[k] == '"' || declaration[k] == '\'')) {
        const std::size_t close = declaration.find(declaration[k], k + 1);
        if (close == std::string_view::npos) return {};
        return std::string(declaration.substr(k + 1, close - k - 1));
      }
    }
    at = declaration.find("encoding", at + 8);
  }
  return {};
}

ShownEncoding WithName(ShownEncoding::Kind kind, std::string name,
                       std::size_t bom) {
  ShownEncoding encoding;
  encoding.kind = kind;
  encoding.name = std::move(name);
  encoding.bom = bom;
  return encoding;
}

// A byte-order mark, or the first two characters "<?" of a declaration in a
// wide encoding without one.
bool WideStart(std::string_view d, ShownEncoding& encoding) {
  auto starts = [&](std::string_view bytes) { return d.starts_with(bytes); };
  using K = ShownEncoding::Kind;
  using namespace std::string_view_literals;
  if (starts("\xFF\xFE\x00\x00"sv)) {
    encoding = WithName(K::kWide, "UTF-32LE", 4);
  } else if (starts("\x00\x00\xFE\xFF"sv)) {
    encoding = WithName(K::kWide, "UTF-32BE", 4);
  } else if (starts("\xFF\xFE"sv)) {
    encoding = WithName(K::kWide, "UTF-16LE", 2);
  } else if (starts("\xFE\xFF"sv)) {
    encoding = WithName(K::kWide, "UTF-16BE", 2);
  } else if (starts("<\x00\x00\x00"sv)) {
    encoding = WithName(K::kWide, "UTF-32LE", 0);
  } else if (starts("\x00\x00\x00<"sv)) {
    encoding = WithName(K::kWide, "UTF-32BE", 0);
  } else if (starts("<\x00?\x00"sv)) {
    encoding = WithName(K::kWide, "UTF-16LE", 0);
  } else if (starts("\x00<\x00?"sv)) {
    encoding = WithName(K::kWide, "UTF-16BE", 0);
  } else {
    return false;
  }
  return true;
}

// True when `converter` turns `bytes` into the same text: the encoding
// reads them as ASCII reads them.
bool ReadsAsAscii(iconv_t converter, std::string_view bytes) {
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  std::string out(bytes.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  char* to = out.data();
  std::size_t to_left = out.size();
  if (iconv(converter, &in, &in_left, &to, &to_left) ==
          static_cast<std::size_t>(-1) ||
      iconv(converter, nullptr, nullptr, &to, &to_left) ==
          static_cast<std::size_t>(-1)) {
    return false;
  }
  out.resize(out.size() - to_left);
  return out == bytes;
}

// The decoder for a declared label; false when the label names nothing
// usable: an unknown name, or an encoding in which the declaration, just
// read as ASCII, does not read as written (UTF-16 or UTF-32 under any of
// their names), which the document therefore cannot be in.
bool FromLabel(const std::string& label, std::string_view declaration,
               ShownEncoding& encoding) {
  std::string lower = ToLowerAscii(label);
  using K = ShownEncoding::Kind;
  if (lower == "utf-8" || lower == "utf8") {
    encoding = WithName(K::kUtf8, "", 0);
    return true;
  }
  if (lower == "windows-1250" || lower == "cp1250" || lower == "x-cp1250") {
    encoding = WithName(K::kWindows1250, "", 0);
    return true;
  }
  if (lower == "iso-8859-1" || lower == "iso8859-1" || lower == "latin1" ||
      lower == "iso_8859-1" || lower == "us-ascii" || lower == "ascii" ||
      lower == "l1") {
    lower = "windows-1252";
  }
  const iconv_t probe = iconv_open("UTF-8", lower.c_str());
  if (probe == NoConverter()) return false;
  const bool readable = ReadsAsAscii(probe, declaration);
  iconv_close(probe);
  if (!readable) return false;
  encoding = WithName(K::kConverter, lower, 0);
  return true;
}

}  // namespace

ShownEncoding DetectShownEncoding(std::string_view document) {
  ShownEncoding encoding;
  if (WideStart(document, encoding)) return encoding;
  if (document.starts_with("\xEF\xBB\xBF")) {
    return WithName(ShownEncoding::Kind::kUtf8, "", 3);
  }
  const std::string_view declaration = Declaration(document);
  const std::string declared = DeclaredEncoding(declaration);
  if (!declared.empty() && FromLabel(declared, declaration, encoding)) {
    return encoding;
  }
  if (IsValidUtf8(document)) return encoding;
  return WithName(ShownEncoding::Kind::kWindows1250, "", 0);
}

ShownDecoder::ShownDecoder(const ShownEncoding& encoding)
    : kind_(encoding.kind) {
  if (kind_ == ShownEncoding::Kind::kConverter ||
      kind_ == ShownEncoding::Kind::kWide) {
    const iconv_t converter = iconv_open("UTF-8", encoding.name.c_str());
    if (converter == NoConverter()) {
      kind_ = ShownEncoding::Kind::kWindows1250;
      return;
    }
    converter_ = converter;
    if (kind_ == ShownEncoding::Kind::kWide) {
      ascii_is_itself_ = false;
      unit_ = encoding.name.starts_with("UTF-32") ? 4 : 2;
      return;
    }
    // Every ASCII byte read alone must read as itself; the shifts of
    // seven-bit encodings (ESC, "~", "+") do not.
    for (char c = 1; c < 0x7F && ascii_is_itself_; ++c) {
      ascii_is_itself_ = ReadsAsAscii(converter, std::string_view(&c, 1));
    }
  }
}

ShownDecoder::~ShownDecoder() {
  if (converter_ != nullptr) iconv_close(static_cast<iconv_t>(converter_));
}

std::string ShownDecoder::Decode(std::string_view bytes) {
  if (ascii_is_itself_ && IsAscii(bytes)) return std::string(bytes);
  switch (kind_) {
    case ShownEncoding::Kind::kUtf8:
      return Utf8WithReplacements(bytes);
    case ShownEncoding::Kind::kWindows1250: {
      std::string out;
      out.reserve(bytes.size() + bytes.size() / 2);
      for (char c : bytes) {
        const char32_t cp = Cp1250ToUnicode(static_cast<unsigned char>(c));
        // The five bytes the code page leaves undefined.
        AppendUtf8(out, cp >= 0x80 && cp < 0xA0 ? kReplacement : cp);
      }
      return out;
    }
    case ShownEncoding::Kind::kConverter:
    case ShownEncoding::Kind::kWide:
      break;
  }
  const auto converter = static_cast<iconv_t>(converter_);
  iconv(converter, nullptr, nullptr, nullptr, nullptr);  // initial state
  std::string out;
  std::array<char, 4096> buffer;
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  while (true) {
    char* to = buffer.data();
    std::size_t to_left = buffer.size();
    const std::size_t result = iconv(converter, &in, &in_left, &to, &to_left);
    out.append(buffer.data(), buffer.size() - to_left);
    if (result != static_cast<std::size_t>(-1)) {
      if (in_left == 0) {
        // Flush a stateful encoding's pending output.
        to = buffer.data();
        to_left = buffer.size();
        iconv(converter, nullptr, nullptr, &to, &to_left);
        out.append(buffer.data(), buffer.size() - to_left);
        break;
      }
      continue;
    }
    if (errno == E2BIG) continue;
    // EILSEQ or a sequence cut off at the end: one code unit is given up,
    // so that the units after it stay in step.
    AppendUtf8(out, kReplacement);
    const std::size_t skip = std::min(unit_, in_left);
    in += skip;
    in_left -= skip;
    if (in_left == 0) break;
  }
  return out;
}

std::string DecodeBase64(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 4 * 3);
  std::uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    int value;
    if (c >= 'A' && c <= 'Z') {
      value = c - 'A';
    } else if (c >= 'a' && c <= 'z') {
      value = c - 'a' + 26;
    } else if (c >= '0' && c <= '9') {
      value = c - '0' + 52;
    } else if (c == '+' || c == '-') {
      value = 62;
    } else if (c == '/' || c == '_') {
      value = 63;
    } else if (c == '=') {
      break;
    } else {
      continue;
    }
    bits = (bits << 6) | static_cast<std::uint32_t>(value);
    if (++count == 4) {
      out += static_cast<char>((bits >> 16) & 0xFF);
      out += static_cast<char>((bits >> 8) & 0xFF);
      out += static_cast<char>(bits & 0xFF);
      bits = 0;
      count = 0;
    }
  }
  if (count == 3) {
    out += static_cast<char>((bits >> 10) & 0xFF);
    out += static_cast<char>((bits >> 2) & 0xFF);
  } else if (count == 2) {
    out += static_cast<char>((bits >> 4) & 0xFF);
  }
  return out;
}

std::string WideDocumentToUtf8(std::string_view document,
                               const ShownEncoding& encoding) {
  ShownDecoder decoder(encoding);
  return decoder.Decode(document.substr(encoding.bom));
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = SkipAscii(p, 0, n);
  while (i < n) {
    const std::size_t length = SequenceLength(p, i, n);
    if (length == 0) return false;
    i = SkipAscii(p, i + length, n);
  }
  return true;
}

std::string Utf8WithReplacements(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::string out;
  out.reserve(n);
  std::size_t i = 0;
  while (i < n) {
    const std::size_t ascii_end = SkipAscii(p, i, n);
    out.append(text.substr(i, ascii_end - i));
    i = ascii_end;
    if (i == n) break;
    const std::size_t length = SequenceLength(p, i, n);
    if (length == 0) {
      AppendUtf8(out, kReplacement);
      ++i;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

std::size_t Utf8Length(std::string_view text) {
  std::size_t count = 0;
  for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

std::string_view Utf8Prefix(std::string_view text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  std::size_t cut = max_bytes;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
    --cut;
  return text.substr(0, cut);
}

std::string DecodeCharacterReferences(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t amp = text.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    out.append(text.substr(i, amp - i));
    i = amp + 1;
    if (i < text.size() && text[i] == '#') {
      const std::size_t used = DecodeNumericReference(text, amp, out);
      if (used != 0) {
        i = amp + used;
        continue;
      }
    }
    std::size_t length = 0;
    if (const NamedReference* reference =
            MatchNamedReference(text.substr(i), length)) {
      out += reference->text;
      i += length;
      continue;
    }
    out += '&';
  }
  return out;
}

std::string XmlText(std::string_view content) {
  std::string out;
  out.reserve(content.size());
  std::size_t i = 0;
  while (i < content.size()) {
    const std::size_t cdata = content.find("<![CDATA[", i);
    const std::size_t comment = content.find("<!--", i);
    const std::size_t next = std::min(cdata, comment);
    AppendXmlDecoded(content.substr(i, next - i), out);
    if (next == std::string_view::npos) break;
    if (next == cdata) {
      const std::size_t body = cdata + 9;
      const std::size_t end = content.find("]]>", body);
      out.append(content.substr(body, end - body));
      i = end == std::string_view::npos ? content.size() : end + 3;
    } else {
      const std::size_t end = content.find("-->", comment + 4);
      i = end == std::string_view::npos ? content.size() : end + 3;
    }
  }
  return out;
}

namespace {

// The length of the control character `text` holds at `i`, or 0.
std::size_t ControlAt(std::string_view text, std::size_t i) {
  const auto byte = static_cast<unsigned char>(text[i]);
  if (byte < 0x20) {
    return byte == '\t' || byte == '\n' || byte == '\f' || byte == '\r' ? 0 : 1;
  }
  if (byte == 0x7F) return 1;
  if (byte == 0xC2 && i + 1 < text.size() &&
      static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
    return 2;
  }
  return 0;
}

}  // namespace

bool HasControls(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (ControlAt(text, i) != 0) return true;
  }
  return false;
}

std::string WithoutControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t control = ControlAt(text, i);
    if (control != 0) {
      i += control - 1;
      continue;
    }
    out += text[i];
  }
  return out;
}

std::string CollapseWhitespace(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool blank = false;
  for (char c : text) {
    if (IsHtmlSpace(c) || c == '\v') {
      blank = !out.empty();
    } else {
      if (blank) out += ' ';
      blank = false;
      out += c;
    }
  }
  return out;
}

std::string ShownDisplayText(std::string_view text) {
  if (text.size() <= kShownTextLimit) return std::string(text);
  return std::string(Utf8Prefix(text, kShownTextLimit)) + "...";
}

std::string_view ShownRowText(std::string_view title) {
  const std::string_view head = Utf8Prefix(title, kShownTextLimit);
  return head.substr(0, head.find_first_of("\r\n"));
}

std::string ShownTabCaption(std::string_view title) {
  const std::string shown = ShownDisplayText(title);
  if (Utf8Length(shown) <= kTabCaptionLimit) return shown;
  std::size_t chars = 0;
  std::size_t cut = 0;
  while (cut < shown.size()) {
    if ((static_cast<unsigned char>(shown[cut]) & 0xC0) != 0x80) {
      if (chars == kTabCaptionLimit) break;
      ++chars;
    }
    ++cut;
  }
  return shown.substr(0, cut) + "...";
}

}  // namespace rivolet
