// Tests of the Catalogue dialog's rules: the record grammar, the category
// list and the Add rule.
#include "dialogs/catalogue.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "common/error.h"
#include "common/file_io.h"
#include "common/links.h"
#include "tests/support/temp_dir.h"

namespace rivolet {
namespace {

using Entries = std::vector<CatalogueEntry>;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

TEST(ParseCatalogueTest, RecordGrammar) {
  struct Case {
    const char* name;
    std::string document;
    Entries entries;
  } cases[] = {
      {"one line, blanks around the separators",
       "<c> Gazeta || News ||http://g/rss || http://g/ </c>",
       {{"Gazeta", "News", "http://g/rss", "http://g/"}}},
      {"several lines, text between records ignored",
       "head\r\n<c>\r\n\tA ||\r\n "
       "B||\r\nu1||s1\r\n</c>junk\n<c>C||D||u2||s2</c>",
       {{"A", "B", "u1", "s1"}, {"C", "D", "u2", "s2"}}},
      {"fourth field keeps further separators",
       "<c>A||B||u||http://s/?a||b</c>",
       {{"A", "B", "u", "http://s/?a||b"}}},
      {"empty fields", "<c>||||||</c><c></c>", {{}, {}}},
      {"fewer than three separators: the rest is the site URL",
       "<c>A||B</c><c> only </c>",
       {{"A", "", "", "B"}, {"", "", "", "only"}}},
      {"markers are case-sensitive", "<C>A||B||u||s</C>", {}},
      {"no record at all", "plain text || with || bars", {}},
      {"unterminated record at the end",
       "<c>A||B||u||s</c><c>C||D||v||t",
       {{"A", "B", "u", "s"}}},
      {"a record ends at the first </c>, a later <c> inside is content",
       "<c>A<c>B||c||u||s</c></c>",
       {{"A<c>B", "c", "u", "s"}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseCatalogue(c.document), c.entries) << c.name;
  }
}

TEST(ParseCatalogueTest, CapsRecordsAndFieldSizesInLinearTime) {
  // Far more records than the cap: the first ones up to the cap are kept.
  std::string many;
  for (std::size_t i = 0; i < kMaxCatalogueRecords + 50000; ++i) {
    many += "<c>n||c||u||s</c>";
  }
  EXPECT_EQ(ParseCatalogue(many).size(), kMaxCatalogueRecords);

  // An overlong field drops its record, not its neighbours.
  const std::string long_url(kMaxCatalogueFieldSize + 1, 'u');
  const Entries kept =
      ParseCatalogue("<c>A||B||" + long_url + "||s</c><c>C||D||v||t</c>");
  EXPECT_EQ(kept, (Entries{{"C", "D", "v", "t"}}));

  // Megabytes of opening markers without a closing one end at once.
  std::string opens;
  for (int i = 0; i < 500000; ++i) opens += "<c>||";
  EXPECT_TRUE(ParseCatalogue(opens).empty());
}

TEST(CategoryListTest, GrowsSortedWithOneItemPerCaseInsensitiveCategory) {
  // Windows-1250 letters fold too: both spell Lodz with its Polish letters.
  const std::string lodz = "\xA3\xF3\x64\x9F";
  const std::string lodz_other_case = "\xB3\xD3\x44\x8F";
  std::vector<std::string> cat_list = {"Sport"};
  MergeCategories(cat_list, {{"a", "news", "", ""},
                             {"b", "Rivolet", "", ""},
                             {"c", "NEWS", "", ""},
                             {"d", lodz, "", ""},
                             {"e", lodz_other_case, "", ""},
                             {"f", "apple", "", ""},
                             {"g", "SPORT", "", ""}});
  EXPECT_EQ(cat_list, (std::vector<std::string>{"apple", lodz, "news",
                                                "Rivolet", "Sport"}));
  // A later opening adds only what is new.
  MergeCategories(cat_list, {{"h", "Banks", "", ""}, {"i", "rivolet", "", ""}});
  EXPECT_EQ(cat_list, (std::vector<std::string>{"apple", "Banks", lodz, "news",
                                                "Rivolet", "Sport"}));
  EXPECT_EQ(FindCategory(cat_list, kPreselectedCategory), 4u);
  EXPECT_EQ(FindCategory(cat_list, lodz_other_case), 2u);
  EXPECT_FALSE(FindCategory(cat_list, "Tech"));
}

TEST(CategoryListTest, SortsAsASortedListBoxWithEachLetterInItsAlphabet) {
  // In order: ..., Ącki, Lodz, Łódź, ..., Świat, zoo, Źdźbło, Żaba.
  const std::vector<std::string> sorted = {
      "1 Sport", "Azja",  "\245cki",  "Lodz", "\243\363d\237",   "News",
      "news",    "Sport", "\214wiat", "zoo",  "\217d\237b\263o", "\257aba"};
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    for (std::size_t j = 0; j < sorted.size(); ++j)
      EXPECT_EQ(CategoryListLess(sorted[i], sorted[j]), i < j) << i << j;
  }
}

TEST(CategoryListTest, ACategoryShowsEntriesOfEveryLetterCase) {
  const Entries entries = {{"a", "News", "", ""},
                           {"b", "Tech", "", ""},
                           {"c", "news", "", ""},
                           {"d", "RIVOLET", "", ""}};
  EXPECT_EQ(EntriesOfCategory(entries, "News"),
            (std::vector<std::size_t>{0, 2}));
  EXPECT_EQ(EntriesOfCategory(entries, kPreselectedCategory),
            (std::vector<std::size_t>{3}));
  EXPECT_TRUE(EntriesOfCategory(entries, "Sport").empty());
}

TEST(AddCatalogueFeedTest, UrlContainmentOnlyAndAnEmptyPeriod) {
  FeedList list;
  list.Append("Old", "x", "60", "http://site/feed.xml?page=2");
  struct Case {
    const char* url;
    bool added;
  } cases[] = {
      {"http://new/rss", true},
      {"http://new/rss", false},        // the second Add
      {"http://site/feed.xml", false},  // inside a stored URL
      {"HTTP://SITE/feed.xml", true},   // case-sensitive
  };
  for (const Case& c : cases) {
    const std::size_t before = list.Count();
    EXPECT_EQ(AddCatalogueFeed({"Name", "Cat", c.url, "http://site/"}, list),
              c.added)
        << c.url;
    EXPECT_EQ(list.Count(), before + (c.added ? 1 : 0)) << c.url;
  }
  EXPECT_EQ(list.Entry(1).name, "Name");
  EXPECT_EQ(list.Entry(1).fields,
            (std::vector<std::string>{"Cat", "", "http://new/rss"}));
}

TEST(CatalogueSourceTest, TheSettingsAddressElseTheShippedFile) {
  struct Case {
    const char* settings;  // nullptr: no rivolet.ini
    const char* url;       // empty: the shipped file
  } cases[] = {
      {nullptr, ""},
      {"[general]\r\nremember_pos=1\r\n", ""},
      {"[General]\ncatalogue_url = https://h/c.txt \n", "https://h/c.txt"},
      {"[updating]\ncatalogue_url=http://h/c.txt\n", ""},
      {"[general]\ncatalogue_url=\n", ""},
  };
  for (const Case& c : cases) {
    TempDir dir;
    if (c.settings) WriteFileBytes(dir / "rivolet.ini", c.settings);
    const CatalogueSource source =
        FindCatalogueSource(PortableFolders(dir.path()));
    EXPECT_EQ(source.url, c.url) << c.url;
    if (source.url.empty()) {
      EXPECT_EQ(source.file, dir / "rss_pl.txt");
    }
    // Read, never written.
    if (c.settings) {
      EXPECT_EQ(ReadFileBytes(dir / "rivolet.ini"), c.settings);
    }
  }
}

TEST(CatalogueSourceTest, TheFileIsCappedAndAPipeNeverBlocks) {
  TempDir dir;
  WriteFileBytes(dir / "rss_pl.txt", "<c>A||B||u||s</c>");
  EXPECT_EQ(ReadCatalogueFile(dir / "rss_pl.txt"), "<c>A||B||u||s</c>");
  EXPECT_THROW(ReadCatalogueFile(dir / "rss_pl.txt", 10), Error);
  EXPECT_THROW(ReadCatalogueFile(dir / "missing.txt"), Error);
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  EXPECT_THROW(ReadCatalogueFile(dir / "pipe"), Error);
}

TEST(ShippedCatalogueTest, EveryRecordIsCompleteWithWebAddresses) {
  const std::string document =
      ReadWholeFile(RIVOLET_SOURCE_DIR "/resources/rss_pl.txt");
  const Entries entries = ParseCatalogue(document);
  ASSERT_GE(entries.size(), 30u);
  std::size_t records = 0;
  for (std::size_t at = 0; (at = document.find("<c>", at)) != std::string::npos;
       ++at) {
    ++records;
  }
  EXPECT_EQ(entries.size(), records);  // no record dropped
  for (const CatalogueEntry& e : entries) {
    EXPECT_FALSE(e.name.empty() || e.category.empty()) << e.feed_url;
    EXPECT_TRUE(IsWebLink(e.feed_url)) << e.feed_url;
    EXPECT_TRUE(IsWebLink(e.site_url)) << e.site_url;
    // Add refuses a feed whose address lies inside a stored one.
    for (const CatalogueEntry& other : entries) {
      if (&other != &e) {
        EXPECT_EQ(other.feed_url.find(e.feed_url), std::string::npos)
            << e.feed_url;
      }
    }
  }
  // Windows-1250 text: "Wiadomo\x9C\x63i" is the news category.
  std::vector<std::string> categories;
  MergeCategories(categories, entries);
  EXPECT_TRUE(FindCategory(categories,
                           "Wiadomo\x9C"
                           "ci"));
}

}  // namespace
}  // namespace rivolet
