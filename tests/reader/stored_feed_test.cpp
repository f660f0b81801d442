// Tests of the feed readers: exact bytes for the documented corners, the UTF-8
// repairs, and a comparison with the literal reference on generated documents.
#include "reader/stored_feed.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/reader/stored_feed_reference.h"

namespace rivolet {
namespace {

struct Row {
  std::string title, date, link, description;
};

void ExpectRows(const FeedReadResult& r, const std::vector<Row>& rows) {
  ASSERT_EQ(r.items.count, static_cast<int>(rows.size()));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE("record " + std::to_string(i));
    EXPECT_EQ(r.items.records[i].title, rows[i].title);
    EXPECT_EQ(r.items.records[i].date, rows[i].date);
    EXPECT_EQ(r.items.records[i].link, rows[i].link);
    EXPECT_EQ(r.items.records[i].description, rows[i].description);
  }
  for (std::size_t i = rows.size(); i < kItemTableSize; ++i) {
    const ItemRecord& rec = r.items.records[i];
    EXPECT_TRUE(rec.title.empty() && rec.date.empty() && rec.link.empty() &&
                rec.description.empty())
        << "record " << i << " should be empty";
  }
}

TEST(ExtractFieldTest, PairsFirstOpeningWithFirstClosing) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"a<t>field</t>b", "field"},
      {"<t></t>", ""},
      {"<t>no close", ""},
      // Opening tag missing: from byte L (here 3) up to the closing tag.
      {"abcdef</t>", "cdef"},
      {"nothing here", ""},
      {"</t> then <t>x", ""},
      {"<t>a<t>b</t>c</t>", "a<t>b"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractField(c.text, "<t>", "</t>"), c.expected) << c.text;
  }
}

TEST(CountItemsTest, DeletesSixBytesAtTheFirstClosingTagEachTime) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {
      {"", 0},
      {"<item>a</item>", 1},
      {"<item>a</item><item>b</item><item>c</item>", 3},
      {"</ITEM></item", 0},
      // The ">" left behind completes another closing tag.
      {"</item</item>>", 2},
      {"</item</item</item>>>x</item>", 4},
      {"</item</item> >", 2},
      {"</item </item>>", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CountItems(c.text), c.expected) << c.text;
  }
}

TEST(ReadFeedTest, DocumentCorners) {
  struct Case {
    const char* name;
    std::string doc;
    std::string window_title;
    int total;
    std::vector<Row> rows;
    std::string rest;
  } cases[] = {
      {"three items in document order",
       "<rss><channel><title>Chan &amp; Co</title>\n"
       "<item><title>One</title><link>http://a/1?x=1&amp;y=2</link>"
       "<description>D1 &lt;b&gt;x</description>"
       "<pubDate>Tue, 01 Mar 2005 12:00:00 GMT</pubDate></item>\n"
       "<item><title> Two </title><pubDate>1 Mar 2005</pubDate></item>\n"
       "<item><title>Three</title></item>\n</channel></rss>",
       "Rivolet - Chan & Co",
       3,
       {{"One", " 01.03.2005 12:00:00 GMT", "http://a/1?x=1&y=2", "D1 bx"},
        {"Two", "1.03.2005", "", ""},
        {"Three", "", "", ""}},
       "<rss><channel><title>Chan & Co</title>\n\n\n\n</channel></rss>"},
      {"items with attributes, plural items tag never matched",
       "<channel><title>R</title><items><rdf:Seq/></items></channel>"
       "<item rdf:about=\"u1\"><title>A</title>"
       "<dc:date>2005-03-01T12:00:00+01:00</dc:date></item>"
       "<item rdf:about=\"u2\"><title>B</title><pubDate>x</dc:date></item>",
       "Rivolet - R",
       2,
       {{"A", "2005-03-01T12:00:00+01:00", "", ""}, {"B", "x", "", ""}},
       "<channel><title>R</title><items><rdf:Seq/></items></channel>"},
      {"title opened but never closed, or closed but never opened",
       "<item><title>A<link>L</link></item><item><link>L</link>x</title></"
       "item>",
       "Rivolet - A<link>L</link></item><item><link>L</link>x",
       2,
       {{"", "", "L", ""}, {"<link>L</link>x", "", "L", ""}},
       ""},
      {"no items: the window title still comes from the first title",
       "<feed><title>Atom</title><entry><title>E</title></entry></feed>",
       "Rivolet - Atom",
       0,
       {},
       "<feed><title>Atom</title><entry><title>E</title></entry></feed>"},
      {"entities decoded by both passes",
       "<item><title>Say &amp;quot;hi&amp;quot; &amp;amp; &#8222;q&#8221;"
       "</title></item>",
       "Rivolet - Say \"hi\" & \"q\"",
       1,
       {{"Say \"hi\" & \"q\"", "", "", ""}},
       ""},
      {"dates are neither decoded nor trimmed",
       "<item><pubDate> 1 &amp;#261; 2 </pubDate></item>",
       "Rivolet - ",
       1,
       {{"", " 1 &#261; 2 ", "", ""}},
       ""},
      {"no item start: the document up to the first closing tag, n times",
       "<title>T</title><entry><title>A</title></item>Z<title>B</title></item>",
       "Rivolet - T",
       2,
       {{"T", "", "", ""}, {"T", "", "", ""}},
       "<title>T</title><entry><title>A</title></item>Z<title>B</title></"
       "item>"},
      {"first item with attributes, later ones without: all read in order",
       "<item a=\"1\"><title>A</title></item>\n<item><title>B</title></item>"
       "<item b=\"2\"><title>C</title></item>",
       "Rivolet - A",
       3,
       {{"A", "", "", ""}, {"B", "", "", ""}, {"C", "", "", ""}},
       "\n"},
      {"an item start made by joining the text around a cut",
       "<it<item>a</item>em><title>J</title></item>",
       "Rivolet - J",
       2,
       {{"", "", "", ""}, {"J", "", "", ""}},
       ""},
      {"Windows-1250 text: ISO-8859-2 letters repaired",
       "<title>\xB1</title><item><title>\xA1\xB6</title></item>",
       "Rivolet - \xB9",
       1,
       {{"\xA5\x9C", "", "", ""}},
       "<title>\xB9</title>"},
      {"mixed-case encoding name is not UTF-8",
       "<?xml encoding=\"Utf-8\"?><item><title>\xC5\xBC</title></item>",
       "Rivolet - \xC5\x9F",
       1,
       {{"\xC5\x9F", "", "", ""}},
       "<?xml encoding=\"Utf-8\"?>"},
      {"empty document", "", "Rivolet - ", 0, {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FeedReadResult r = ReadFeed(c.doc);
    EXPECT_EQ(r.window_title, c.window_title);
    EXPECT_EQ(r.total, c.total);
    ExpectRows(r, c.rows);
    EXPECT_EQ(r.rest, c.rest);
  }
}

TEST(ReadFeedTest, ReadsAtMostOneHundredItemsButCountsAll) {
  std::string doc = "<title>Many</title>";
  for (int i = 1; i <= 150; ++i) {
    doc += "<item><title>" + std::to_string(i) + "</title></item>";
  }
  const FeedReadResult r = ReadFeed(doc);
  EXPECT_EQ(r.total, 150);
  ASSERT_EQ(r.items.count, kItemTableSize);
  EXPECT_EQ(r.items.records[0].title, "1");
  EXPECT_EQ(r.items.records[99].title, "100");
  EXPECT_EQ(r.rest.find("<title>100</title>"), std::string::npos);
  EXPECT_TRUE(
      r.rest.starts_with("<title>Many</title><item><title>101</title>"));
}

// The document is UTF-8: every text converts, whatever the case of the
// declaration and wherever it stands; no byte step touches a UTF-8 letter.
TEST(ReadFeedTest, Utf8DocumentsConvertEverywhere) {
  const std::string doc =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss><channel>"
      "<title>Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 &#261;</title>"
      "<item><title>\xC5\xBC\xC3\xB3\xC5\x82w \xC3\xBC</title>"
      "<description>&#261; i \xF0\x9F\x98\x80 </description>"
      "<pubDate>Tue, 01 Mar 2005</pubDate></item>"
      "<item><title>&#379;&#322;</title></item></channel></rss>";
  const FeedReadResult r = ReadFeed(doc);
  EXPECT_EQ(r.window_title, "Rivolet - Za\xBF\xF3\xB3\xE6 \xB9");
  EXPECT_EQ(r.channel_title, "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 \xC4\x85");
  ExpectRows(r, {{"\xBF\xF3\xB3w \xFC", " 01.03.2005", "", "\xB9 i ?"},
                 {"\xAF\xB3", "", "", ""}});

  const FirstItemResult f = ReadFirstItem(doc);
  EXPECT_TRUE(f.has_row);
  EXPECT_EQ(f.caption, "Za\xBF\xF3\xB3\xE6 \xB9");
  EXPECT_EQ(f.channel_title, f.caption);
  EXPECT_EQ(f.title, "\xBF\xF3\xB3w \xFC");
  EXPECT_EQ(f.date, "01.03.2005");

  // Lower case counts the same, and the decision holds for every item even
  // when the only "utf-8" is cut out with the first one.
  const std::string lower =
      "<title>T</title><item><link>http://x/?ie=utf-8</link></item>"
      "<item><title>\xC5\xBC</title></item>";
  ExpectRows(ReadFeed(lower),
             {{"", "", "http://x/?ie=utf-8", ""}, {"\xBF", "", "", ""}});
}

TEST(ReadFeedTest, Utf8ItemThatBreaksTheDecodingRuleIsEmpty) {
  // A lone continuation-less lead byte empties the whole item, not its
  // neighbours.
  const std::string doc =
      "encoding=\"utf-8\"<title>T</title>"
      "<item><title>bad \xC5</title><link>L</link></item>"
      "<item><title>good</title></item>";
  ExpectRows(ReadFeed(doc), {{"", "", "", ""}, {"good", "", "", ""}});
  // Without an item start the item runs one byte past "</item>"; a UTF-8
  // letter there is cut in half.
  ExpectRows(ReadFeed("utf-8<title>A</title></item>\xC5\xBC"),
             {{"", "", "", ""}});
  ExpectRows(ReadFeed("utf-8<title>A</title></item>x"), {{"A", "", "", ""}});
}

TEST(ReadFirstItemTest, Corners) {
  struct Case {
    const char* name;
    std::string doc;
    std::string caption, title, date, rest;
  } cases[] = {
      {"plain RSS 2.0",
       "<title>C &amp; D</title><item><title>One</title>"
       "<pubDate>Tue, 01 Mar 2005 12:00:00 GMT</pubDate></item>"
       "<item><title>Two</title></item>",
       "C & D", "One", "01.03.2005 12:00:00 GMT",
       "<title>C & D</title><item><title>Two</title></item>"},
      {"RDF items with attributes and a dc:date",
       "<title>R</title><items/><item rdf:about=\"u\"><title>A</title>"
       "<dc:date>2005-03-01</dc:date></item>",
       "R", "A", "2005-03-01", "<title>R</title><items/>"},
      {"the first item carries attributes, the second does not",
       "<title>C</title><item a=\"1\"><title>A</title></item>"
       "<item><title>B</title></item>",
       "C", "A", "", "<title>C</title><item><title>B</title></item>"},
      {"no item at all: the first seven bytes are the item", "<title>T</title>",
       "T", "", "", "<title>T</title>"},
      {"the date is decoded and trimmed",
       "<item><pubDate> 1 &amp;#261; 2 </pubDate></item>", "", "", "1 \xB9 2",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FirstItemResult r = ReadFirstItem(c.doc);
    EXPECT_TRUE(r.has_row);
    EXPECT_EQ(r.caption, c.caption);
    EXPECT_EQ(r.channel_title, c.caption);
    EXPECT_EQ(r.title, c.title);
    EXPECT_EQ(r.date, c.date);
    EXPECT_EQ(r.rest, c.rest);
  }
}

// Documents built from pieces that make items start, end and join in odd
// ways; the fast cutter must agree byte for byte with the literal reader.
TEST(ReadFeedTest, AgreesWithTheLiteralReaderOnGeneratedDocuments) {
  static const char* const kPieces[] = {
      "<item>",
      "<item ",
      "</item>",
      "<it",
      "em>",
      "</it",
      "<ite",
      "m ",
      "<item",
      ">",
      " ",
      "x",
      "<title>",
      "</title>",
      "<pubDate>",
      "</pubDate>",
      "<dc:date>",
      "</dc:date>",
      " Mar ",
      "Tue,",
      "<link>",
      "</link>",
      "<description>",
      "</description>",
      "&amp;",
      "<b>",
      "&lt;",
      "\xC5\xBC",
      "&#261;",
      "\xB1",
      "\xF0\x9F\x98\x80",
      "\xC5",
      "<items>",
      "</item</item>>",
  };
  std::mt19937 rng(20240607);
  std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> length(0, 60);
  std::uniform_int_distribution<int> coin(0, 3);
  for (int round = 0; round < 3000; ++round) {
    std::string doc = coin(rng) == 0 ? "utf-8" : "";
    const int pieces = length(rng);
    for (int i = 0; i < pieces; ++i) doc += kPieces[piece(rng)];
    SCOPED_TRACE(doc);

    ASSERT_EQ(testing::DifferenceFromReference(doc), "");
  }
}

}  // namespace
}  // namespace rivolet
