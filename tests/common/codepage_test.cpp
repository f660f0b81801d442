// Checks the Windows-1250 tables against the system's iconv and the UTF-8
// conversion's decoding rule.
#include "common/codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace rivolet {
namespace {

// The five bytes Windows-1250 leaves undefined; we map them to the C1 control
// of the same value and back.
constexpr unsigned char kUndefined[] = {0x81, 0x83, 0x88, 0x90, 0x98};

bool IsUndefinedByte(unsigned b) {
  for (unsigned char u : kUndefined) {
    if (u == b) return true;
  }
  return false;
}

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Converts the whole input; false when iconv rejects it.
  bool Convert(const std::string& in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out.assign(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    char* dst = out.data();
    std::size_t dst_left = out.size();
    if (iconv(cd_, &src, &src_left, &dst, &dst_left) ==
        static_cast<std::size_t>(-1)) {
      return false;
    }
    out.resize(out.size() - dst_left);
    return true;
  }

 private:
  iconv_t cd_;
};

std::string Utf32Le(char32_t cp) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((cp >> (8 * i)) & 0xFF);
  return s;
}

TEST(CodePageTest, EveryByteMatchesIconv) {
  Iconv to_unicode("UTF-32LE", "CP1250");
  ASSERT_TRUE(to_unicode.ok());
  for (unsigned b = 0; b < 256; ++b) {
    std::string out;
    const bool converted =
        to_unicode.Convert(std::string(1, static_cast<char>(b)), out);
    if (IsUndefinedByte(b)) {
      EXPECT_FALSE(converted) << "byte " << b;
      EXPECT_EQ(Cp1250ToUnicode(static_cast<unsigned char>(b)), char32_t(b));
      continue;
    }
    ASSERT_TRUE(converted) << "byte " << b;
    ASSERT_EQ(out.size(), 4u);
    char32_t expected = 0;
    for (int i = 3; i >= 0; --i) {
      expected = (expected << 8) | static_cast<unsigned char>(out[i]);
    }
    EXPECT_EQ(Cp1250ToUnicode(static_cast<unsigned char>(b)), expected)
        << "byte " << b;
  }
}

TEST(CodePageTest, EveryBmpCharacterMatchesIconv) {
  Iconv to_cp1250("CP1250", "UTF-32LE");
  ASSERT_TRUE(to_cp1250.ok());
  for (char32_t cp = 1; cp <= 0xFFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    std::string out;
    const char ours = UnicodeToCp1250(cp);
    if (to_cp1250.Convert(Utf32Le(cp), out)) {
      ASSERT_EQ(out.size(), 1u) << "U+" << std::hex << unsigned(cp);
      EXPECT_EQ(ours, out[0]) << "U+" << std::hex << unsigned(cp);
    } else if (cp < 0x100 && IsUndefinedByte(cp)) {
      EXPECT_EQ(static_cast<unsigned char>(ours), cp);
    } else {
      EXPECT_EQ(ours, '?') << "U+" << std::hex << unsigned(cp);
    }
  }
  EXPECT_EQ(UnicodeToCp1250(0), '\0');
  EXPECT_EQ(UnicodeToCp1250(0x1F600), '?');
}

TEST(CodePageTest, WholeTextConversionsRoundTrip) {
  std::string all;
  for (unsigned b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf16ToCp1250(Cp1250ToUtf16(all)), all);
  EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(all)), all);
  // A surrogate pair is one character the code page lacks; a lone one too.
  EXPECT_EQ(Utf16ToCp1250(u"a\U0001F600b"), "a?b");
  EXPECT_EQ(Utf16ToCp1250(std::u16string(1, char16_t(0xD800)) + u"x"), "?x");
}

TEST(CodePageTest, IsUtf8DocumentIsCaseSensitive) {
  EXPECT_TRUE(IsUtf8Document("<?xml encoding=\"utf-8\"?>"));
  EXPECT_TRUE(IsUtf8Document("text UTF-8 text"));
  EXPECT_FALSE(IsUtf8Document("encoding=\"Utf-8\""));
  EXPECT_FALSE(IsUtf8Document("utf8"));
  EXPECT_TRUE(IsUtf8Document("utf-8"));
  EXPECT_TRUE(IsUtf8Document("2024-8 x-8 UTF-8"));
  EXPECT_FALSE(IsUtf8Document("tf-8 uTF-8 UTF-"));
  EXPECT_FALSE(IsUtf8Document(""));
}

TEST(Utf8ToCp1250Test, DecodingRule) {
  struct Case {
    const char* name;
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"ascii", "plain text", "plain text"},
      {"polish", "\xC5\xBC\xC3\xB3\xC5\x82w \xC4\x85\xC4\x99 \xC5\x9A\xC5\xB9",
       "\xBF\xF3\xB3w \xB9\xEA \x8C\x8F"},
      {"three-byte in the code page",
       "\xE2\x80\x9E"
       "cytat\xE2\x80\x9D",
       "\x84"
       "cytat\x94"},
      {"outside the code page", "\xE2\x82\xAC\xE2\x82\xBD", "\x80?"},
      {"emoji is one question mark",
       "a\xF0\x9F\x98\x80"
       "b",
       "a?b"},
      {"truncated two-byte", "ab\xC5", ""},
      {"truncated three-byte", "ab\xE2\x80", ""},
      {"bad continuation",
       "\xC5"
       "A rest of the text",
       ""},
      {"bad second continuation",
       "x\xE2\x80"
       "A",
       ""},
      {"four-byte lead without three continuations reads as three bytes",
       "\xF0\x9F\x98"
       "A",
       "?A"},
      {"four-byte lead at the end of a short text", "\xF0\x9F\x98", "?"},
      {"four-byte lead, truncated", "\xF0\x9F", ""},
      {"stray continuation byte leads a pair", "\x80\x80z", "?z"},
      {"lead with bit 20 set takes two more", "\xA0\x80\x80z", "?z"},
      {"overlong slash", "\xC0\xAF", "?"},
      {"surrogate", "\xED\xA0\x80", "?"},
      {"F8 lead takes two more", "\xF8\x80\x80", "?"},
      {"undefined byte round trip", "\xC2\x81", "\x81"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToCp1250(c.in), c.out) << c.name;
  }
}

TEST(CodepageTest, LostLetterLinesNameOnlyTextsThatLoseLetters) {
  // Polish letters and a typed "?" are kept; Cyrillic is named once.
  EXPECT_EQ(LostLetterLines({{"\xC5\xBC\xC3\xB3\xC5\x82?", "\xBF\xF3\xB3?"},
                             {"\xD0\xAF", "?"},
                             {"\xD0\xAF", "?"}}),
            "\u201C\xD0\xAF\u201D \u2192 \u201C?\u201D\n");
  // What a box shows of hostile input is capped: 80 characters a text,
  // 20 lines, then how many more.
  std::vector<TypedText> many;
  for (int i = 0; i < 23; ++i) {
    many.push_back({std::to_string(i) + std::string(100, 'a') + "\xD0\xAF",
                    std::to_string(i) + std::string(100, 'a') + "?"});
  }
  const std::string lines = LostLetterLines(many);
  const std::string cut = "0" + std::string(79, 'a') + "\u2026";
  const std::string first =
      "\u201C" + cut + "\u201D \u2192 \u201C" + cut + "\u201D\n";
  EXPECT_EQ(lines.substr(0, first.size()), first);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 21);
  EXPECT_TRUE(lines.ends_with("\u201D\n\u2026 (+3)\n"));
}

}  // namespace
}  // namespace rivolet
