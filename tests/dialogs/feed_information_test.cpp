// Tests of what the Feed information dialog reads out of a feed document.
#include "dialogs/feed_information.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/file_io.h"

namespace rivolet {
namespace {

std::vector<std::string> Fields(const FeedInformation& info) {
  return {info.title,     info.link,     info.description,
          info.copyright, info.language, info.last_build_date};
}

TEST(ReadFeedInformationTest, TagFallbacksAndOddPairs) {
  struct Case {
    const char* name;
    std::string document;
    std::string FeedInformation::*field;
    std::string expected;
  };
  const std::vector<Case> cases = {
      // The opening length follows the closing tag found: 9 for </dc:date>,
      // even when the opening came from <lastBuildDate>.
      {"lastBuildDate closed by dc:date", "<lastBuildDate>Mon, 1 Jan</dc:date>",
       &FeedInformation::last_build_date, "dDate>Mon, 1 Jan"},
      {"dc:date opened, lastBuildDate closed",
       "<dc:date>2024-01-01</dc:date><x>0123456</lastBuildDate>",
       &FeedInformation::last_build_date, "1-01</dc:date><x>0123456"},
      {"copyright opened, dc:rights closed", "<copyright>(c) me</dc:rights>",
       &FeedInformation::copyright, "(c) me"},
      {"dc:rights opened, copyright closed", "<dc:rights>(c) me</copyright>",
       &FeedInformation::copyright, "(c) me"},
      // Titles with attributes do not match; the text runs from position 7.
      {"title with attributes only", "<rss><title type=\"text\">T</title>",
       &FeedInformation::title, "title type=\"text\">T"},
      {"missing closing tag", "<title>T", &FeedInformation::title, ""},
      {"closing before opening", "</link><link>x", &FeedInformation::link, ""},
      {"first occurrence wins",
       "<language>pl</language><language>en</language>",
       &FeedInformation::language, "pl"},
      {"channel lacks it, first item has it",
       "<channel><title>C</title><item><link>http://i/</link></item>",
       &FeedInformation::link, "http://i/"},
      {"dc:rights with the copyright sign",
       "<dc:rights>&#169; Blog</dc:rights>", &FeedInformation::copyright,
       "\xA9 Blog"},
      // Only the right single quote becomes an apostrophe here.
      {"typographic quotes", "<title>&#8216;Q&#8217;</title>",
       &FeedInformation::title, "&#8216;Q'"},
      // No tags are stripped in this dialog.
      {"markup kept", "<description><![CDATA[<b>a</b>]]></description>",
       &FeedInformation::description, "<![CDATA[<b>a</b>]]>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadFeedInformation(c.document).*c.field, c.expected) << c.name;
  }
}

TEST(ReadFeedInformationTest, EncodingIsDecidedOnTheDocumentAsReceived) {
  // Upper case counts too; a single-byte document keeps its byte steps
  // (ISO-8859-2 ± becomes Windows-1250 ą).
  EXPECT_EQ(
      ReadFeedInformation("<?xml encoding=\"UTF-8\"?><title>\xC5\xBC</title>")
          .title,
      "\xBF");
  EXPECT_EQ(
      ReadFeedInformation("<?xml encoding=\"iso-8859-2\"?><title>\xB1</title>")
          .title,
      "\xB9");
  // In UTF-8 text the letter references are inserted as UTF-8 and the byte
  // steps are left out, so every letter comes through; the copyright sign
  // may come as its UTF-8 bytes or as "&#169;", and both end as byte A9.
  EXPECT_EQ(ReadFeedInformation("<?xml encoding=\"utf-8\"?><description>"
                                "\xC3\xA1 \xC5\xBC &#261;x</description>")
                .description,
            "\xE1 \xBF \xB9x");
  EXPECT_EQ(ReadFeedInformation("<?xml encoding=\"utf-8\"?><copyright>"
                                "\xC2\xA9 &#169; Gaz\xC3\xA9ta</copyright>")
                .copyright,
            "\xA9 \xA9 Gaz\xE9ta");
  // Text that breaks the UTF-8 decoding leaves every field empty.
  const FeedInformation broken = ReadFeedInformation(
      "<?xml encoding=\"utf-8\"?><title>caf\xE9</title><link>http://x/</link>");
  EXPECT_EQ(Fields(broken), std::vector<std::string>(6));
}

TEST(ReadFeedInformationTest, RealRdfFeedWithDublinCoreFields) {
  const std::string document = ReadWholeFile(
      RIVOLET_CORPUS_DIR "/rdf_craigslist_dcdate_dcrights_hexrefs.xml",
      64u * 1024 * 1024);
  const FeedInformation info = ReadFeedInformation(document);
  // Inner blanks are kept: only the whole document is trimmed.
  EXPECT_EQ(info.title,
            "craigslist SF bay area | apts/housing for rent search ");
  EXPECT_EQ(info.link, "https://sfbay.craigslist.org/search/apa");
  EXPECT_EQ(info.description, "");
  EXPECT_EQ(info.copyright, "copyright 2017 craiglist");
  EXPECT_EQ(info.language, "");  // <dc:language> is not looked for
  EXPECT_EQ(info.last_build_date, "2017-06-21T10:33:10-07:00");
}

TEST(ShouldOpenTitleLinkTest, OnlyAbsoluteWebLinks) {
  EXPECT_TRUE(ShouldOpenTitleLink("https://example.org/a?b=c"));
  EXPECT_TRUE(ShouldOpenTitleLink("http://example.org"));
  for (const char* link :
       {"", "http:", "http://", "https://", "file:///etc/passwd", "/etc/passwd",
        "javascript:alert(1)", "example.org/page", "ftp://example.org/"}) {
    EXPECT_FALSE(ShouldOpenTitleLink(link)) << link;
  }
}

}  // namespace
}  // namespace rivolet
