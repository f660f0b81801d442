// Tests of the text primitives: 1-based positions, cutting, trimming,
// replacing, containment, the whole-number conversion, and which help page
// a language reads.
#include "common/text.h"

#include <gtest/gtest.h>

#include <climits>

#include "common/error.h"
#include "common/links.h"

namespace rivolet {
namespace {

TEST(TextTest, Pos) {
  EXPECT_EQ(Pos("b", "abcb"), 2u);
  EXPECT_EQ(Pos("abc", "abc"), 1u);
  EXPECT_EQ(Pos("B", "abc"), 0u);
  EXPECT_EQ(Pos("", "abc"), 0u);
  EXPECT_EQ(Pos("abcd", "abc"), 0u);
  EXPECT_EQ(Pos(std::string_view("\0x", 2), std::string_view("a\0x", 3)), 2u);
}

TEST(TextTest, Substring) {
  struct Case {
    std::int64_t start, count;
    const char* out;
  };
  const Case cases[] = {
      {1, 3, "abc"},
      {2, 2, "bc"},
      {0, 2, "ab"},
      {-5, 2, "ab"},
      {4, 10, "def"},
      {6, 1, "f"},
      {7, 1, ""},
      {2, 0, ""},
      {2, -1, ""},
      {1, INT64_MAX, "abcdef"},
      {INT64_MIN, INT64_MAX, "abcdef"},
      {INT64_MAX, 1, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Substring("abcdef", c.start, c.count), c.out)
        << c.start << "," << c.count;
  }
  EXPECT_EQ(Substring("", 1, 1), "");
}

TEST(TextTest, Delete) {
  struct Case {
    std::int64_t start, count;
    const char* out;
  };
  const Case cases[] = {
      {1, 1, "bcdef"},    {2, 2, "adef"},           {5, 10, "abcd"},
      {6, 1, "abcde"},    {7, 1, "abcdef"},         {0, 2, "abcdef"},
      {-1, 2, "abcdef"},  {2, 0, "abcdef"},         {2, -3, "abcdef"},
      {1, INT64_MAX, ""}, {INT64_MAX, 1, "abcdef"},
  };
  for (const Case& c : cases) {
    std::string text = "abcdef";
    Delete(text, c.start, c.count);
    EXPECT_EQ(text, c.out) << c.start << "," << c.count;
  }
}

TEST(TextTest, TrimRemovesCodesUpTo32Only) {
  EXPECT_EQ(Trim(" \t\r\n\x01 a b \x1F\x20"), "a b");
  EXPECT_EQ(Trim(std::string_view("\0x\0", 3)), "x");
  EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");  // no-break space stays
  EXPECT_EQ(Trim(" \t\r\n "), "");
  EXPECT_EQ(Trim(""), "");
}

TEST(TextTest, ControlsBecomeBlanksOnOneLine) {
  EXPECT_EQ(ControlsAsBlanks("a\tb\r\nc\x1F\x7F\xA0"), "a b  c \x7F\xA0");
}

TEST(TextTest, ReplaceAll) {
  EXPECT_EQ(ReplaceAll("aaaa", "aa", "a"), "aa");  // no rescanning
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");   // no overlap
  EXPECT_EQ(ReplaceAll("&amp;amp;", "&amp;", "&"), "&amp;");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("abc", "d", "x"), "abc");
  EXPECT_EQ(ReplaceAll("xax", "x", "yy"), "yyayy");
}

TEST(TextTest, Contains) {
  EXPECT_TRUE(Contains("World News", "News"));
  EXPECT_FALSE(Contains("World News", "news"));
  EXPECT_FALSE(Contains("World News", ""));
  EXPECT_FALSE(Contains("", ""));
  EXPECT_FALSE(Contains("", "a"));
}

TEST(TextTest, StrToInt) {
  struct Case {
    const char* text;
    std::optional<std::int32_t> value;
  };
  const Case cases[] = {
      {"0", 0},
      {"42", 42},
      {"   42", 42},
      {"+7", 7},
      {"-7", -7},
      {"007", 7},
      {"$1F", 31},
      {"x1f", 31},
      {"X10", 16},
      {"0x10", 16},
      {"0X7FFFFFFF", INT32_MAX},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"0x80000000", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"42 ", std::nullopt},
      {"4 2", std::nullopt},
      {"\t42", std::nullopt},
      {"- 1", std::nullopt},
      {"+", std::nullopt},
      {"-$10", std::nullopt},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"0xG", std::nullopt},
      {"1.5", std::nullopt},
      {"12a", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TryStrToInt(c.text), c.value) << "'" << c.text << "'";
  }
  EXPECT_EQ(StrToInt(" 15"), 15);
  try {
    StrToInt("1 5");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "'1 5' is not a valid integer value");
  }
}

TEST(LinksTest, HelpPageOfTheChosenLanguage) {
  for (const char* name : {"Polski", "polish", " POLSKI "})
    EXPECT_EQ(HelpPage("d", HelpLanguageFor(name)), "d/pomoc.html") << name;
  for (const char* name : {"English", "", "Polski (stary)"})
    EXPECT_EQ(HelpPage("d", HelpLanguageFor(name)), "d/help.html") << name;
}

}  // namespace
}  // namespace rivolet
