// The readers on real feed documents: every corpus file is read by both
// readers and matches the literal reference; a few carry hand-checked values.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "reader/stored_feed.h"
#include "tests/reader/stored_feed_reference.h"
#include "tests/support/temp_dir.h"

namespace rivolet {
namespace {

const std::filesystem::path kCorpus = RIVOLET_CORPUS_DIR;

std::string Corpus(const std::string& name) {
  return testing::ReadFileBytes(kCorpus / name);
}

TEST(FeedReaderCorpusTest, EveryDocumentMatchesTheLiteralReader) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kCorpus)) {
    if (entry.path().extension() == ".md") continue;
    const std::string doc = testing::ReadFileBytes(entry.path());
    SCOPED_TRACE(entry.path().filename().string());
    ++files;

    EXPECT_EQ(testing::DifferenceFromReference(doc), "");
  }
  EXPECT_GE(files, 39);
}

// Values read off the documents by hand (the bytes are Windows-1250).
TEST(FeedReaderCorpusTest, KnownDocuments) {
  struct Case {
    const char* file;
    int total;
    int read;
    std::string window_title;
    std::string first_title;
    std::string first_date;
    std::string row_date;  // the notification row's date
  } cases[] = {
      {"rss2_rssboard_sample_no_encoding_decl.xml", 4, 4,
       "Rivolet - Liftoff News", "Star City", " 03.06.2003 09:39:21 GMT",
       "03.06.2003 09:39:21 GMT"},
      // Items open with attributes and date themselves with dc:date.
      {"rdf_orf_at_utf8_bom_50items.xml", 50, 50, "Rivolet - news.ORF.at",
       "US-Band New Edition mit Stern auf \x84Walk of Fame\x93 geehrt",
       "2017-01-23T21:54:55+01:00", "2017-01-23T21:54:55+01:00"},
      // "<title xml:lang=...>" is not "<title>": the field runs from byte 7
      // of the item up to its first "</title>".
      {"rdf_bbc_hungarian_windows-1250_59items.xml", 59, 59,
       "Rivolet - BBCHungarian.com | Nyit\xF3lap | Hungarian News index",
       "rdf:about=\"http://www.bbc.co.uk/go/wsy/pub/rss/1.0/-/hungarian/news/"
       "story/2005/06/050627_rumsfeldiraq.shtml\">\n      <title "
       "xml:lang=\"hu\">Rumsfeld: m\xE9g \xE9vekig tarthat a l\xE1zad\xE1s "
       "Irakban",
       "2005-06-27T04:44:06+00:00", "2005-06-27T04:44:06+00:00"},
      {"rss2_giantbomb_podcast_730items.xml", 730, 100,
       "Rivolet - Giant Bombcast", "Giant Bombcast 603: Call of Tuesday",
       " 01.10.2019 14:30:00 PST", "01.10.2019 14:30:00 PST"},
      {"rss2_japantimes_118items_no_item_dates.xml", 118, 100,
       "Rivolet - Japan Times latest articles",
       "'Trump shock' after Toyota tweet reverberates as Japan business "
       "community reacts with concern",
       "", ""},
      {"rss2_dailymail_channel_without_items.xml", 0, 0,
       "Rivolet - World News Articles | Mail Online", "", "", ""},
      // Items with and without attributes mixed: each starts at whichever
      // form comes first.
      {"rss2_wapo_item_with_attributes.xml", 29, 29,
       "Rivolet - Wellness: Health, Fitness, Nutrition & More - The "
       "Washington Post",
       "Schools minister to kids\x92 fitness and nutrition needs",
       " 21.08.2012 10:33:00 EST", "21.08.2012 10:33:00 EST"},
      {"odd_empty_file.xml", 0, 0, "Rivolet - ", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string doc = Corpus(c.file);
    const FeedReadResult r = ReadFeed(doc);
    EXPECT_EQ(r.total, c.total);
    EXPECT_EQ(r.items.count, c.read);
    EXPECT_EQ(r.window_title, c.window_title);
    EXPECT_EQ(r.items.records[0].title, c.first_title);
    EXPECT_EQ(r.items.records[0].date, c.first_date);

    const FirstItemResult f = ReadFirstItem(doc);
    EXPECT_EQ(f.caption, c.window_title.substr(10));
    EXPECT_EQ(f.title, c.first_title);
    EXPECT_EQ(f.date, c.row_date);
  }
  // The hundredth item is the last one read.
  EXPECT_EQ(ReadFeed(Corpus("rss2_giantbomb_podcast_730items.xml"))
                .items.records[99]
                .title,
            "Giant Bombcast 516: God-Damn ROMs");
}

}  // namespace
}  // namespace rivolet
