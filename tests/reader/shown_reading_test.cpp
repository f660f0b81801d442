// The shown reading: documents decoded by their encoding, character
// references, descriptions reduced to the rich-text subset, and items and
// entries found with their attributes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reader/shown_feed.h"
#include "reader/shown_html.h"
#include "reader/shown_text.h"
#include "reader/stored_feed.h"

namespace rivolet {
namespace {

using namespace std::string_literals;

TEST(ShownReadingTest, DocumentsShowEveryCharacterOfTheirEncoding) {
  const std::string decl = "<?xml version=\"1.0\" encoding=";
  const std::pair<std::string, std::string> cases[] = {
      {"\xEF\xBB\xBF<title>B \xC5\x9B</title>", "B \xC5\x9B"},
      {"\xFF\xFE<\0t\0i\0t\0l\0e\0>\0\x5B\x01<\0/\0t\0i\0t\0l\0e\0>\0"s,
       "\xC5\x9B"},
      {"\0<\0?\0x\0m\0l\0?\0>\0<\0t\0i\0t\0l\0e\0>\x03\xB1\0<\0/\0t\0i\0t\0l\0e"
       "\0>"s,
       "\xCE\xB1"},
      // Read as Windows-1252, so the quotes survive.
      {decl + "\"ISO-8859-1\"?><title>\xE9t\xE9 \x93q\x94</title>",
       "\xC3\xA9t\xC3\xA9 \xE2\x80\x9Cq\xE2\x80\x9D"},
      {decl + "'iso-8859-2'?><title>\xB1\xB6\xBC</title>",
       "\xC4\x85\xC5\x9B\xC5\xBA"},
      {decl + "\"ISO-8859-15\"?><title>\xA4</title>", "\xE2\x82\xAC"},
      {decl + "\"windows-1250\"?><title>\x9C\x81</title>",
       "\xC5\x9B\xEF\xBF\xBD"},
      {decl + "\"windows-1251\"?><title>\xCC\xE8\xF0</title>",
       "\xD0\x9C\xD0\xB8\xD1\x80"},
      {decl + "\"KOI8-R\"?><title>\xED\xC9\xD2</title>",
       "\xD0\x9C\xD0\xB8\xD1\x80"},
      {decl + "\"ISO-8859-7\"?><title>\xE1\xE2\xE3</title>",
       "\xCE\xB1\xCE\xB2\xCE\xB3"},
      {decl + "\"Shift_JIS\"?><title>\x93\xFA\x96\x7B</title>",
       "\xE6\x97\xA5\xE6\x9C\xAC"},
      // No usable declaration: UTF-8 when valid, else Windows-1250.
      {"<title>caf\xC3\xA9</title>", "caf\xC3\xA9"},
      {"<title>caf\xE9 \x9C</title>", "caf\xC3\xA9 \xC5\x9B"},
      {decl + "\"x-unknown\"?><title>caf\xE9</title>", "caf\xC3\xA9"},
      {decl + "\"utf-16\"?><title>caf\xC3\xA9</title>", "caf\xC3\xA9"},
      // A declared UTF-8 text: each bad byte costs one character.
      {decl + "\"UTF-8\"?><title>a\xE9\xE9 b</title>",
       "a\xEF\xBF\xBD\xEF\xBF\xBD b"},
      // Seven-bit encodings carry their shifts in ASCII.
      {decl + "\"ISO-2022-JP\"?><title>\x1B$BF|K\\\x1B(B</title>",
       "\xE6\x97\xA5\xE6\x9C\xAC"},
      {decl + "\"UTF-7\"?><title>Hi +AOk-</title>", "Hi \xC3\xA9"},
  };
  for (const auto& [document, title] : cases) {
    EXPECT_EQ(ReadShownChannelTitle(document), title) << document;
  }
  // A wide encoding under any of its names cannot be what bytes declared in
  // ASCII are in.
  for (const char* wide :
       {"UTF16", "utf16le", "UCS2", "UNICODELITTLE", "UNICODEBIG", "WCHAR_T",
        "UCS4", "UTF32", "ISO-10646/UCS2", "CSUNICODE"}) {
    EXPECT_EQ(ReadShownChannelTitle(decl + "\"" + wide +
                                    "\"?><title>T\xC3\xA9</title>"),
              "T\xC3\xA9")
        << wide;
  }
  // A bad code unit in UTF-16 costs one character, not the units after it.
  std::string wide = "\xFF\xFE";
  for (char c : std::string("<rss><channel><item><title>1</title></item>"
                            "<item><title>2?</title></item><item><title>3"
                            "</title></item></channel></rss>")) {
    wide += c == '?' ? "\x00\xD8"s : std::string{c, '\0'};
  }
  const ShownFeed feed = ReadShownFeed(wide);
  ASSERT_EQ(feed.items.size(), 3u);
  EXPECT_EQ(feed.items[1].title, "2\xEF\xBF\xBD");
  EXPECT_EQ(feed.items[2].title, "3");
}

TEST(ShownReadingTest, EveryCharacterReferenceIsDecoded) {
  const std::pair<std::string, std::string> cases[] = {
      {"&eacute;&hellip;&#8230;&#x2014;&#X41;&nbsp;|",
       "\xC3\xA9\xE2\x80\xA6\xE2\x80\xA6\xE2\x80\x94"
       "A\xC2\xA0|"},
      // Legacy names need no semicolon; the longest name wins.
      {"&copy2024 &notit; &notin;",
       "\xC2\xA9"
       "2024 \xC2\xACit; \xE2\x88\x89"},
      {"&NotNestedGreaterGreater;", "\xE2\xAA\xA2\xCC\xB8"},
      {"&#0;&#xD800;&#x110000;&#99999999999;",
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"&#150;&#128;", "\xE2\x80\x93\xE2\x82\xAC"},
      {"&unknown; &#; &#x; & &amp;lt;", "&unknown; &#; &#x; & &lt;"},
  };
  for (const auto& [text, decoded] : cases) {
    EXPECT_EQ(DecodeCharacterReferences(text), decoded) << text;
  }
  EXPECT_EQ(XmlText("a<![CDATA[<b>&amp;]]>&lt;i&gt;<!-- c -->&amp;eacute;"),
            "a<b>&amp;<i>&eacute;");
}

TEST(ShownReadingTest, DescriptionsBecomeTheSafeSubset) {
  struct Case {
    MarkupKind kind;
    std::string content, plain, rich;
  } cases[] = {
      {MarkupKind::kHtml,
       "&lt;p&gt;One &lt;b style=\"x\"&gt;two&lt;/b&gt;&lt;/p&gt;&lt;p "
       "class=\"c\"&gt;Three&lt;/p&gt;",
       "One two\n\nThree", "<p>One <b>two</b></p><p>Three</p>"},
      {MarkupKind::kHtml,
       "<![CDATA[<h2>H</h2><em>e</em><strong>s</strong><u>u</u><blockquote>"
       "q</blockquote><pre> a\n  b</pre>]]>",
       "H\n\nesu\n\nq\n\n a\n  b",
       "<h2>H</h2><i>e</i><b>s</b><u>u</u><blockquote>q</blockquote>"
       "<pre style=\"white-space: pre-wrap\"> a\n  b</pre>"},
      // Scripts and styles go with their text, other elements leave theirs.
      {MarkupKind::kHtml,
       "<![CDATA[a<script>x()</script><style>p{}</style><span>b</span>"
       "<iframe>f</iframe><form><label>c</label><input></form>]]>",
       "ab\nc", "ab<br>c"},
      {MarkupKind::kHtml,
       "<![CDATA[<a href=\"https://x.org/?a=1&amp;b=2\" "
       "onclick=\"e\">web</a> <a href=\"javascript:e()\">js</a> "
       "<a href=\"/rel\">rel</a> <img src=\"i.png\" alt=\"Alt\">img]]>",
       "web js rel Alt img",
       "<a href=\"https://x.org/?a=1&amp;b=2\">web</a> js rel Alt img"},
      {MarkupKind::kHtml,
       "<![CDATA[<div>A</div><div>B</div><table><tr><td>1</td><td>2</td>"
       "</tr><tr><td>3</td></tr></table><ul><li>x</li><li>y</li></ul>]]>",
       "A\nB\n\n1 2\n3\n\nx\ny",
       "A<br>B<br>1 2<br>3<ul><li>x</li><li>y</li></ul>"},
      // Inline tags written inside a block are closed with it.
      {MarkupKind::kHtml, "<![CDATA[<b>x<p>y</p>z</b>]]>", "x\n\ny\n\nz",
       "<b>x</b><p><b>y</b></p><b>z</b>"},
      // No markup: text with its line breaks.
      {MarkupKind::kHtml, "  Line &amp;amp; one\r\nline 2 &lt; 3  ",
       "Line & one\nline 2 < 3", "Line &amp; one<br>line 2 &lt; 3"},
      {MarkupKind::kText, "&lt;b&gt;as written&lt;/b&gt;", "<b>as written</b>",
       "&lt;b&gt;as written&lt;/b&gt;"},
      {MarkupKind::kXhtml,
       "<div xmlns=\"http://www.w3.org/1999/xhtml\"><p>A &amp; "
       "&lt;B&gt;</p></div>",
       "A & <B>", "<p>A &amp; &lt;B&gt;</p>"},
      // Hostile nesting: the parser sees the first 4,096 tags only.
      {MarkupKind::kXhtml,
       [] {
         std::string deep;
         for (int i = 0; i < 100000; ++i) deep += "<div>";
         return deep + "x";
       }(),
       "...", "..."},
  };
  for (const Case& c : cases) {
    const ShownMarkup shown = FormatShownContent(c.content, c.kind);
    EXPECT_EQ(shown.plain, c.plain) << c.content.substr(0, 80);
    EXPECT_EQ(shown.rich, c.rich) << c.content.substr(0, 80);
  }
  // The display cap cuts the text, then "..." and the open tags close.
  std::string many;
  for (int i = 0; i < 20000; ++i)
    many += "<p><b>word</b> " + std::string(40, 'w') + "</p>";
  const ShownMarkup capped = FormatHtml(many);
  EXPECT_LE(capped.rich.size(), kShownTextLimit + 16);
  EXPECT_TRUE(capped.rich.ends_with("...</p>")) << capped.rich.substr(65000);
  EXPECT_TRUE(capped.plain.ends_with("w...")) << capped.plain.substr(40000);

  // A huge content is read only as far as it shows, and shows the same:
  // what a comment, leading blanks or references take up costs no text.
  const std::string ampersands(50000, '&');
  std::string references;
  for (int i = 0; i < 50000; ++i) references += "&amp;";
  const std::string tail(100000, 'x');
  const std::string shown =
      ampersands + tail.substr(0, kShownTextLimit - ampersands.size()) + "...";
  for (const std::string& content :
       {"<!--" + std::string(3000000, '-') + "-->" + references + tail,
        std::string(1000000, ' ') + "<![CDATA[" + ampersands + "]]>" + tail}) {
    EXPECT_TRUE(FormatShownContent(content, MarkupKind::kText).plain == shown);
    EXPECT_TRUE(FormatShownContent(content, MarkupKind::kHtml).plain == shown);
  }
}

TEST(ShownReadingTest, ItemsAndEntriesAreFoundWithTheirAttributes) {
  struct Case {
    std::string document;
    std::string channel;
    int total;
    std::vector<std::vector<std::string>> items;  // title, date, link, text
    std::string address = {};  // where the document was read from
  } cases[] = {
      {"<rdf:RDF><channel><title xml:lang=\"hu\">C &amp; D</title></channel>"
       "<item rdf:about=\"u\"><title xml:lang=\"hu\">T1</title>"
       "<link>http://a/1?x=1&amp;y=2</link><dc:date>2005-06-27T04:44:06Z"
       "</dc:date><description xml:lang=\"hu\">D1</description></item>"
       "<item><title/><pubDate>Tue, 01 Mar 2005 12:00:00 GMT</pubDate>"
       "<description><![CDATA[a </description> b]]></description></item>",
       "C & D",
       2,
       {{"T1", "2005-06-27T04:44:06Z", "http://a/1?x=1&y=2", "D1"},
        {"", "01.03.2005 12:00:00 GMT", "", "a b"}}},
      // A closing tag never pairs with a missing opening one.
      {"<rss><channel><title>C</title><item>no title</title>"
       "<description>d</description></item></channel></rss>",
       "C",
       1,
       {{"", "", "", "d"}}},
      // Tags the clean-up joins, and text it joins across a cut, make the
      // same items for both readings.
      {"<title>C</title><item><title>1</title></item><it<b>em><title>2"
       "</title></item><it<item><title>3</title></item>em><title>4</title>"
       "</item>",
       "C",
       4,
       {{"1", "", "", ""},
        {"2", "", "", ""},
        {"3", "", "", ""},
        {"4", "", "", ""}}},
      {"<?xml version=\"1.0\" encoding=\"utf-8\"?><feed xml:lang=\"de\">"
       "<title type=\"html\">&lt;b&gt;F&lt;/b&gt;</title>"
       "<link rel=\"self\" href=\"http://f/s\"/><entry><title>E1</title>"
       "<link rel=\"edit\" href=\"http://e/edit\"/><link href=\"http://e/1\"/>"
       "<published>2005-07-31T12:29:29.25-07:00</published>"
       "<updated>2005-08-01T10:00:00Z</updated><summary>S</summary>"
       "<content type=\"xhtml\"><div><p>X</p></div></content></entry>"
       "<entry><title type=\"text\">&lt;E2&gt;</title>"
       "<link rel=\"alternate\" href=\"http://e/2\"/>"
       "<published>2005-07-31T12:29:29.25-07:00</published>"
       "<content src=\"http://e/2.html\"/><summary type=\"html\">"
       "&lt;i&gt;S2&lt;/i&gt;</summary></entry></feed>",
       "F",
       2,
       {{"E1", "01.08.2005 10:00:00 Z", "http://e/1", "X"},
        {"<E2>", "31.07.2005 12:29:29 -07:00", "http://e/2", "S2"}}},
      {"<feed version=\"0.3\"><title mode=\"escaped\" type=\"text/html\">"
       "A&amp;amp;B</title><entry><title>E</title><modified>2006-01-02"
       "</modified><content type=\"application/xhtml+xml\"><div>C<br/>D"
       "</div></content></entry></feed>",
       "A&B",
       1,
       {{"E", "02.01.2006", "", "C\nD"}}},
      // Each field comes from the entry's own elements: not from its source,
      // nor from a picture inside its content.
      {"<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>F</title><entry>"
       "<source><title>Origin</title><link href=\"http://origin.example/\"/>"
       "<updated>2001-01-01T00:00:00Z</updated></source><title>Entry</title>"
       "<link href=\"http://e.example/1\"/><updated>2002-02-02T00:00:00Z"
       "</updated><content type=\"xhtml\"><div xmlns=\"http://www.w3.org/"
       "1999/xhtml\"><svg><title>tip</title><desc>d</desc><metadata>m"
       "</metadata><text>Seen</text></svg> body</div></content></entry></feed>",
       "F",
       1,
       {{"Entry", "02.02.2002 00:00:00 Z", "http://e.example/1", "Seen body"}}},
      // The channel's and the items' own titles, the guid as the link, and
      // the text wherever the item keeps it; relative links resolve against
      // where the document was read from.
      {"<rss xmlns:content=\"http://purl.org/rss/1.0/modules/content/\" "
       "xmlns:media=\"http://search.yahoo.com/mrss/\" xmlns:itunes=\"http://"
       "www.itunes.com/dtds/podcast-1.0.dtd\" xmlns:dc=\"http://purl.org/dc/"
       "elements/1.1/\"><channel><image><title>Logo</title></image><title>"
       "News</title><item><image><title>Picture</title></image><title>One"
       "</title><guid>http://g.example/1</guid><content:encoded><![CDATA[<p>"
       "Full <a href=\"/p.html\">text</a></p>]]></content:encoded></item><item>"
       "<title>Two</title><guid isPermaLink=\"false\">http://g.example/2"
       "</guid><media:group><media:description>Video</media:description>"
       "</media:group></item><item><title>Three</title><link>3.html</link>"
       "<itunes:summary>Episode</itunes:summary></item><item><title>Four"
       "</title><description> </description><dc:description>Dublin"
       "</dc:description></item></channel></rss>",
       "News",
       4,
       {{"One", "", "http://g.example/1", "Full text"},
        {"Two", "", "", "Video"},
        {"Three", "", "http://site.example/3.html", "Episode"},
        {"Four", "", "", "Dublin"}},
       "http://site.example/feed.xml"},
      // Namespaces by their address, whatever the prefix; nested xml:base.
      {"<a:feed xmlns:a=\"http://www.w3.org/2005/Atom\" xml:base=\"http://"
       "base.example/dir/\"><a:title>P</a:title><a:entry xml:base=\"sub/\">"
       "<a:title>E</a:title><a:link href=\"x\"/></a:entry><a:entry><x:title "
       "xmlns:x=\"http://other.example/\">No</x:title><a:title>Yes</a:title>"
       "<a:link href=\"/root\"/></a:entry></a:feed>",
       "P",
       2,
       {{"E", "", "http://base.example/dir/sub/x", ""},
        {"Yes", "", "http://base.example/root", ""}}},
      {"<r:RDF xmlns:r=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
       "xmlns:s=\"http://purl.org/rss/1.0/\"><s:channel><s:title>R</s:title>"
       "<s:link>http://r.example/</s:link></s:channel><s:item><s:title>I"
       "</s:title><s:link>a.html</s:link></s:item></r:RDF>",
       "R",
       1,
       {{"I", "", "http://r.example/a.html", ""}}},
      // Text constructs by their type, with or without entries.
      {"<feed xmlns=\"http://www.w3.org/2005/Atom\"><title type=\"text\">"
       "Less &lt;than&gt; sign</title></feed>",
       "Less <than> sign",
       0,
       {}},
      {"<feed version=\"0.3\" xmlns=\"http://purl.org/atom/ns#\"><title "
       "mode=\"xml\">Example <b>Atom</b></title><entry><title>B</title>"
       "<content type=\"text/html\" mode=\"base64\">PGI+Qm9sZDwvYj4gJmFtcDs="
       "</content></entry><entry><title>Bin</title><content type=\"image/png\" "
       "mode=\"base64\">iVBORw0KGgo=</content></entry></feed>",
       "Example Atom",
       2,
       {{"B", "", "", "Bold &"}, {"Bin", "", "", ""}}},
      // An entry ends where the next begins; Atom links are always empty.
      {"<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>U</title><entry>"
       "<title>1</title><link rel=\"x\"><link rel=\"x\"><link href=\"http://"
       "u.example/1\"><entry><title>2</title></feed>",
       "U",
       2,
       {{"1", "", "http://u.example/1", ""}, {"2", "", "", ""}}},
      // Control characters show nothing.
      {"<rss><channel><title>C</title><item><title>T</title><description>"
       "a\xC2\x85"
       "b &#x81;c\x01</description></item><item><title>H</title><description>"
       "<![CDATA[<p>a\xC2\x8F\x01"
       "b</p>]]></description></item></channel></rss>",
       "C",
       2,
       {{"T", "", "", "ab c"}, {"H", "", "", "ab"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.document);
    const ShownFeed feed = ReadShownFeed(c.document, c.address);
    EXPECT_EQ(feed.channel_title, c.channel);
    EXPECT_EQ(feed.window_title, "Rivolet - " + c.channel);
    EXPECT_EQ(feed.total, c.total);
    ASSERT_EQ(feed.items.size(), c.items.size());
    for (std::size_t k = 0; k < c.items.size(); ++k) {
      const ShownItem& item = feed.items[k];
      EXPECT_EQ(std::vector<std::string>({item.title, item.date, item.link,
                                          FormatShownItem(item).plain}),
                c.items[k]);
    }
    if (!feed.read_by_entries) {
      const FeedReadResult stored = ReadFeed(c.document);
      EXPECT_EQ(stored.total, feed.total);
      EXPECT_EQ(stored.items.count, static_cast<int>(feed.items.size()));
    }
  }
}

TEST(ShownReadingTest, ChannelInformationComesFromTheChannel) {
  const ShownChannel rss = ReadShownChannel(
      "<rss><channel><item><title>I</title><copyright>i</copyright></item>"
      "<title>T</title><link>http://s/</link><description>&lt;p&gt;D"
      "&lt;/p&gt;</description><dc:rights>&#169; R</dc:rights>"
      "<dc:language>pl</dc:language><dc:date>2005-01-01</dc:date>"
      "</channel></rss>");
  EXPECT_EQ(std::vector<std::string>({rss.title, rss.link, rss.description,
                                      rss.copyright, rss.language,
                                      rss.last_build_date}),
            std::vector<std::string>(
                {"T", "http://s/", "D", "\xC2\xA9 R", "pl", "2005-01-01"}));
  const ShownChannel atom = ReadShownChannel(
      "<feed version=\"0.3\" xml:lang=\"en\"><title>T</title>"
      "<link rel=\"self\" href=\"http://f/\"/>"
      "<link rel=\"alternate\" href=\"http://s/\"/><tagline>D</tagline>"
      "<copyright>C</copyright><modified>2005-01-01T00:00:00Z</modified>"
      "<entry><link href=\"http://e/\"/></entry></feed>");
  EXPECT_EQ(std::vector<std::string>({atom.title, atom.link, atom.description,
                                      atom.copyright, atom.language,
                                      atom.last_build_date}),
            std::vector<std::string>(
                {"T", "http://s/", "D", "C", "en", "2005-01-01T00:00:00Z"}));
}

TEST(ShownReadingTest, RowsAndTabsCountCharacters) {
  const std::string letters = "\xC5\xBC\xC3\xB3\xC5\x82w";  // four letters
  std::string title;
  for (int i = 0; i < 11; ++i) title += letters;  // 44 characters
  EXPECT_EQ(ShownTabCaption(title.substr(0, title.size() - 1)),
            title.substr(0, title.size() - 1));
  EXPECT_EQ(ShownTabCaption(title), title.substr(0, title.size() - 1) + "...");
  EXPECT_EQ(ShownRowText("One\r\nTwo"), "One");
  EXPECT_EQ(ShownDisplayText(std::string(70000, 'a') + "\xC5\xBC").size(),
            65536u + 3);
}

}  // namespace
}  // namespace rivolet
