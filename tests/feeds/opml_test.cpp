// OPML in and out: files shaped like other readers' exports give every feed
// with its category, hostile files are refused whole, and our own export
// comes back as the list it was written from.
#include "feeds/opml.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/error_text.h"
#include "tests/support/temp_dir.h"

namespace rivolet {
namespace {

using Feeds = std::vector<OpmlFeed>;

// A body of `n` outlines, one inside the other or one after the other.
std::string Body(std::size_t n, bool nested) {
  std::string doc = "<opml><body>";
  for (std::size_t i = 0; i < n; ++i)
    doc += nested ? "<outline>" : "<outline/>";
  for (std::size_t i = 0; nested && i < n; ++i) doc += "</outline>";
  return doc + "</body></opml>";
}

TEST(OpmlTest, ReadsFeedsAndTheirFoldersAndRefusesWhatIsNotOpml) {
  const std::string long_name(300, 'n');
  const struct {
    const char* what;
    std::string document;
    std::optional<Feeds> feeds;
  } cases[] = {
      {"folders, names and types",
       R"(<?xml version="1.0" encoding="UTF-8"?>
<opml version="1.0"><head><title>Subscriptions</title></head><body>
 <outline text="Top" type="rss" xmlUrl="http://a.example/rss" htmlUrl="http://a.example/"/>
 <outline title="News">
  <outline text="Tech"><outline title="Deep" type="atom" xmlUrl="https://b.example/?x=1&amp;y=2"/></outline>
  <outline text="" title=""><outline text="Plain" xmlURL="http://c.example/"/></outline>
 </outline>
 <outline text=" "><outline xmlUrl="http://d.example/"/></outline>
 <outline text="Link" type="link" url="http://e.example/"/>
 <outline text="Blank" xmlUrl=" "/>
</body></opml>)",
       Feeds{{"Top", "No Name", "http://a.example/rss", {}},
             {"Deep", "Tech", "https://b.example/?x=1&y=2", {}},
             {"Plain", "News", "http://c.example/", {}},
             {"http://d.example/", "No Name", "http://d.example/", {}}}},
      {"UTF-8 with a byte order mark and CR LF; what loses letters",
       "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<opml>"
       "<body>\r\n<outline text=\"Wiadomo\xC5\x9B\x63i \xD0\xAF\">\r\n"
       "<outline text=\"Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 \xE6\x97\xA5\" "
       "xmlUrl=\"http://p.example/\"/>\r\n<outline text=\"Ok\" "
       "xmlUrl=\"http://q.example/\"/></outline></body></opml>\r\n",
       Feeds{{"Za\xBF\xF3\xB3\xE6 ?",
              "Wiadomo\x9C"
              "ci ?",
              "http://p.example/",
              {},
              "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 \xE6\x97\xA5",
              "Wiadomo\xC5\x9B\x63i \xD0\xAF"},
             {"Ok",
              "Wiadomo\x9C"
              "ci ?",
              "http://q.example/",
              {},
              "",
              "Wiadomo\xC5\x9B\x63i \xD0\xAF"}}},
      {"declared Windows-1250",
       "<?xml version=\"1.0\" encoding=\"windows-1250\"?><opml><body>"
       "<outline text=\"\xA3\xF3\x64\x9F\" xmlUrl=\"http://l.example/\"/>"
       "</body></opml>",
       Feeds{{"\xA3\xF3\x64\x9F", "No Name", "http://l.example/", {}}}},
      {"another single-byte encoding",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?><opml><body>"
       "<outline text=\"\xA3\xF3\x64\xBC\" xmlUrl=\"http://l.example/\"/>"
       "</body></opml>",
       Feeds{{"\xA3\xF3\x64\x9F", "No Name", "http://l.example/", {}}}},
      {"our own period, and no other",
       R"(<opml xmlns:r="urn:rivolet:opml" xmlns:o="urn:other"><body>
<outline text="a" xmlUrl="http://a/" r:period=""/>
<outline text="b" xmlUrl="http://b/" r:period="15"/>
<outline text="c" xmlUrl="http://c/" o:period="5" period="5"/></body></opml>)",
       Feeds{{"a", "No Name", "http://a/", ""},
             {"b", "No Name", "http://b/", "15"},
             {"c", "No Name", "http://c/", {}}}},
      {"long texts are kept whole (the import refuses them)",
       "<opml><body><outline text=\"" + long_name +
           "\" xmlUrl=\"http://x/\"/></body></opml>",
       Feeds{{long_name, "No Name", "http://x/", {}}}},
      {"empty", "", std::nullopt},
      {"another root", "<rss><channel/></rss>", std::nullopt},
      {"not well-formed", "<opml><body><outline></body></opml>", std::nullopt},
      {"an entity declaration",
       "<!DOCTYPE opml [<!ENTITY a \"aaaaaaaa\">]><opml><body>"
       "<outline text=\"&a;\" xmlUrl=\"http://a/\"/></body></opml>",
       std::nullopt},
      {"a document type of its own, which could give every outline an "
       "address",
       "<!DOCTYPE opml [<!ATTLIST outline xmlUrl CDATA \"javascript:x\">]>"
       "<opml><body><outline text=\"a\"/></body></opml>",
       std::nullopt},
      {"an unknown encoding",
       "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><opml/>", std::nullopt},
      {"nesting at the cap", Body(kMaxOpmlDepth - 2, true), Feeds{}},
      {"beyond it", Body(kMaxOpmlDepth - 1, true), std::nullopt},
      {"outlines at the cap", Body(kMaxOpmlOutlines, false), Feeds{}},
      {"beyond it", Body(kMaxOpmlOutlines + 1, false), std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseOpml(c.document), c.feeds) << c.what;
  }
}

TEST(OpmlTest, OurExportComesBackAsTheListItWasWrittenFrom) {
  FeedList list;
  list.Append("Tom & \"Jerry\" <1>", "Tech", "60", "http://a/?x=1&y=2");
  list.Append("\xA3\xF3\x64\x9F\tx\x81", "Tech", "", "http://b/");
  list.Append("c", "tech", "15", "http://c/");
  const std::string written = WriteOpml(list);
  EXPECT_NE(written.find("<outline type=\"rss\" text=\"c\" title=\"c\" "
                         "xmlUrl=\"http://c/\" rivolet:period=\"15\"/>"),
            std::string::npos);

  FeedList read;
  const std::optional<Feeds> feeds = ParseOpml(written);
  ASSERT_TRUE(feeds);
  const auto any = [](std::string_view) { return true; };
  EXPECT_EQ(AddOpmlFeeds(*feeds, "99", read, any).added, 3u);
  EXPECT_EQ(read.entries(), list.entries());

  // Addresses already there are skipped by the Catalogue's rule, and feeds
  // without our period get the one asked for.
  const OpmlImportCounts counts = AddOpmlFeeds({{"n", "c", "http://a/", {}},
                                                {"n", "c", "http://new/", {}},
                                                {"n", "c", "http://new/", {}}},
                                               "", read, any);
  EXPECT_EQ(counts.added, 1u);
  EXPECT_EQ(counts.already_there, 2u);
  EXPECT_EQ(read.entries().back().fields,
            (std::vector<std::string>{"c", "", "http://new/"}));
}

TEST(OpmlTest, FilesThatCannotBeReadOrWrittenChangeNothing) {
  testing::TempDir dir;
  const std::filesystem::path large = dir / "large.opml";
  testing::WriteFileBytes(large, "<opml/>");
  std::filesystem::resize_file(large, kMaxOpmlFileSize + 1);
  FeedList list;
  for (const std::filesystem::path& file : {dir / "missing.opml", large}) {
    EXPECT_EQ(testing::ErrorText([&] {
                ImportOpmlFile(file, "60", list,
                               [](std::string_view) { return true; });
              }),
              "This is not an OPML file: " + file.string());
  }
  const std::filesystem::path many = dir / "many.opml";
  testing::WriteFileBytes(many, Body(kMaxOpmlOutlines + 1, false));
  EXPECT_EQ(testing::ErrorText([&] {
              ImportOpmlFile(many, "60", list,
                             [](std::string_view) { return true; });
            }),
            "This OPML file has too many outlines: " + many.string());
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_THROW(ExportOpmlFile(list, dir / "no" / "such.opml"), Error);
}

}  // namespace
}  // namespace rivolet
