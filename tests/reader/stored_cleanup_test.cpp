// Tests of the clean-up passes: the tag table, the entity table with its
// variants and UTF-8 form, and the one-pass engine against the plain one.
#include "reader/stored_cleanup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "bench/sample_feed.h"
#include "common/codepage.h"
#include "reader/stored_cleanup_tables.h"
#include "tests/support/temp_dir.h"

namespace rivolet {
namespace {

struct Case {
  const char* name;
  std::string in;
  std::string out;
};

TEST(StripTagsTest, Table) {
  const Case cases[] = {
      {"bold in both cases", "<b>a</b> <B>b</B>", "a b"},
      {"mixed-case bold stays", "<b>a</B> <B>b</b> <b>c</b>", "a b c"},
      {"mixed case stays", "<Bo><bO>x", "<Bo><bO>x"},
      {"mixed-case tag", "<P>x</P>", "<P>x</P>"},
      {"escaped paragraph keeps its words", "&lt;p&gt;Hi&lt;/p&gt;", "pHi/p"},
      {"escaped bold goes whole", "&lt;B&gt;x&lt;/B&gt;", "x"},
      {"cdata unwrapped", "<![CDATA[<p>text</p>]]>", "text"},
      {"stray end of cdata", "a]]>b", "ab"},
      {"line breaks: only the exact form", "a<br />b<br/>c<br>d",
       "ab<br/>c<br>d"},
      {"tags with attributes stay", "<p class=\"x\">t</p>", "<p class=\"x\">t"},
      {"table tags", "<table><tr><td>1</td></tr></table>", "1"},
      {"italic and underline", "<i>a</i><u>b</u>", "ab"},
      {"no trimming", "  <b>x</b>  ", "  x  "},
      // A deletion can join text into a later step's searched text, but a
      // step never rescans its own output.
      {"deletion joins a later step", "&l<b>t;x", "x"},
      {"no rescan within a step", "<<b>b>x", "<b>x"},
      {"an earlier step does not run again", "<<p>table>", "<table>"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(StripTags(c.in), c.out) << c.name;
}

TEST(DecodeEntitiesTest, ReaderTable) {
  const Case cases[] = {
      {"amp then quot gives a quote", "&amp;quot;", "\""},
      {"amp then amp gives one amp", "&amp;amp;", "&amp;"},
      {"typographic quotes", "&#8222;cytat&#8221;", "\"cytat\""},
      {"left quotes and apostrophes", "&#8220;a&#8216;b&#8217;&apos;",
       "\"a'b''"},
      {"letter reference trimmed", "  &#261;  ", "\xB9"},
      {"all upper-case letters",
       "&#260;&#262;&#280;&#321;&#323;&#211;&#346;&#377;&#379;",
       "\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF"},
      {"all lower-case letters",
       "&#261;&#263;&#281;&#322;&#324;&#243;&#347;&#378;&#380;",
       "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF"},
      {"plus-minus becomes a with ogonek", "x\xB1y", "x\xB9y"},
      {"ISO-8859-2 bytes", "\xA1\xA6\xAC\xB6\xB1\xBC",
       "\xA5\x8C\x8F\x9C\xB9\x9F"},
      {"dash, quote, deleted references", "a&#8211;b&#34;c&#9632;d&#13;e",
       "a-b\"cde"},
      {"hex and other references stay", "&#x105; &#260 &#262x; &lt; &#8212;",
       "&#x105; &#260 &#262x; &lt; &#8212;"},
      {"case-sensitive", "&AMP; &Quot;", "&AMP; &Quot;"},
      {"blank text becomes empty", " \t\r\n \x01", ""},
      {"inner blanks stay", "\n a \t b \n", "a \t b"},
      {"no-break space is not trimmed", "\xA0x", "\xA0x"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeEntities(c.in), c.out) << c.name;
}

TEST(DecodeEntitiesTest, Utf8FormThenConversion) {
  const std::string turtle = "\xC5\xBC\xC3\xB3\xC5\x82w";  // żółw in UTF-8
  // The single-byte table mends ISO-8859-2 and so damages UTF-8: ż
  // (C5 BC) comes out as C5 9F, and a letter reference inserts a lone byte
  // that makes the whole text malformed.
  EXPECT_EQ(DecodeEntities(turtle), "\xC5\x9F\xC3\xB3\xC5\x82w");
  EXPECT_EQ(Utf8ToCp1250(DecodeEntities("a &#261; b")), "");

  const auto utf8 = [](std::string_view text) {
    return Utf8ToCp1250(DecodeEntities(text, TextForm::kUtf8));
  };
  EXPECT_EQ(utf8(turtle), "\xBF\xF3\xB3w");
  EXPECT_EQ(utf8("&#261;"), "\xB9");
  EXPECT_EQ(utf8("a &#261; b"), "a \xB9 b");
  EXPECT_EQ(utf8("&#260;&#262;&#280;&#321;&#323;&#211;&#346;&#377;&#379;"
                 "&#261;&#263;&#281;&#322;&#324;&#243;&#347;&#378;&#380;"),
            "\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF\xB9\xE6\xEA\xB3\xF1\xF3\x9C"
            "\x9F\xBF");
  // ü (C3 BC) and á (C3 A1) keep their continuation bytes.
  EXPECT_EQ(utf8("\xC3\xBC\xC3\xA1\xC3\xB1"), "\xFC\xE1?");
  // The other steps and the trimming are unchanged.
  EXPECT_EQ(utf8(" &amp;quot;&#8222;x&#8221; "), "\"\"x\"");
}

TEST(DecodeEntitiesTest, HandedOverTextGivesTheSameResult) {
  // A temporary string is cleaned in its own buffer.
  const std::string text = " <p>&amp;quot;\xB1</p>&#8222;x&#8221; \n";
  const std::string expected =
      DecodeEntities(StripTags(std::string_view(text)));
  EXPECT_EQ(expected, "\"\xB9\"x\"");
  EXPECT_EQ(DecodeEntities(StripTags(std::string(text))), expected);
  std::string moved = text;
  EXPECT_EQ(DecodeEntities(StripTags(std::move(moved)), TextForm::kSingleByte),
            expected);
}

TEST(CleanupTablesTest, LetterStepsAgreeWithTheCodePage) {
  // The UTF-8 form's letters must decode to the single-byte form's bytes.
  const auto& single = EntitySteps(TextForm::kSingleByte).steps();
  const auto& utf8 = EntitySteps(TextForm::kUtf8).steps();
  ASSERT_EQ(single.size(), 36u);
  ASSERT_EQ(utf8.size(), 30u);
  for (const Step& u : utf8) {
    for (const Step& s : single) {
      if (s.from == u.from) {
        EXPECT_EQ(Utf8ToCp1250(u.to), s.to) << s.from;
      }
    }
  }
  EXPECT_EQ(TagSteps().steps().size(), 23u);
}

// Every table, one-pass engine against the plain step-by-step engine.
void ExpectEnginesAgree(std::string_view text, const std::string& what) {
  for (const StepTable* table : AllStepTables()) {
    ASSERT_EQ(table->Apply(text), ApplyStepsOneByOne(text, table->steps()))
        << what;
  }
}

TEST(StepEngineTest, AgreesWithPlainEngineOnFeeds) {
  ExpectEnginesAgree(MakeSampleFeed(), "sample feed");
  const std::string once = StripTags(MakeSampleFeed());
  ExpectEnginesAgree(once, "stripped sample feed");
  for (const auto& entry :
       std::filesystem::directory_iterator(RIVOLET_CORPUS_DIR)) {
    ExpectEnginesAgree(testing::ReadFileBytes(entry.path()),
                       entry.path().string());
  }
}

TEST(StepEngineTest, AgreesWithPlainEngineOnDenseMixtures) {
  // Short texts made of pieces of the searched texts, so that deletions and
  // replacements keep forming new matches.
  const std::string pieces[] = {
      "<",    ">",     "/",     "b",         "B",   "&",     "lt;",
      "gt;",  "amp;",  "quot;", "#",         "26",  "1;",    "8222",
      ";",    "]]",    "]",     "<![CDATA[", "p>",  "br",    " ",
      "\xB1", "\xA1",  "\xBC",  " Jan ",     "Mar", "x",     "&#",
      "13",   "table", "t",     "d>",        "<b>", "&amp;", "&lt;",
  };
  std::mt19937 random(7);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const int count = static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i)
      text += pieces[random() % std::size(pieces)];
    ExpectEnginesAgree(text, text);
  }
}

}  // namespace
}  // namespace rivolet
