// A generated RSS 2.0 document for benchmarks: about 2 MB of UTF-8 with 1,000
// items whose descriptions carry CDATA sections and HTML, the way today's
// news feeds look. Deterministic, so runs can be compared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace rivolet {

inline std::string MakeSampleFeed() {
  constexpr int kItems = 1000;
  constexpr std::size_t kTargetSize = 2 * 1024 * 1024;
  constexpr std::size_t kItemSize = kTargetSize / kItems - 100;

  // Sentences mix plain ASCII, Polish letters in UTF-8 and the references
  // and markup feeds really contain.
  static const char* const kSentences[] = {
      "Rz\xC4\x85"
      "d przyj\xC4\x85\xC5\x82 projekt ustawy o "
      "\xC5\xBC\xC3\xB3\xC5\x82wiach b\xC5\x82otnych. ",
      "The committee met on Tuesday to discuss the budget for next year. ",
      "Zesp\xC3\xB3\xC5\x82 z Gda\xC5\x84ska wygra\xC5\x82 mecz 3:1, a "
      "kibice \xC5\x9Bpiewali do p\xC3\xB3\xC5\xBAna. ",
      "Prices rose by 2.5% in the third quarter, analysts said. ",
      "\xC5\xBB\xC3\xB3\xC5\x82ta \xC5\x82\xC3\xB3"
      "d\xC5\xBA "
      "p\xC5\x82yn\xC4\x99\xC5\x82"
      "a po \xC5\x9Bwie\xC5\xBC"
      "ej wodzie. ",
      "Read the full interview with the minister on our website. ",
      "Nowe przepisy wejd\xC4\x85 w \xC5\xBCycie od 1 stycznia. ",
      "Weather: sunny, 23 degrees, light wind from the west. ",
  };
  constexpr int kSentenceCount = sizeof(kSentences) / sizeof(kSentences[0]);

  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };

  std::string feed;
  feed.reserve(kTargetSize + 64 * 1024);
  feed +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
      "<channel>\n"
      "<title>Wiadomo\xC5\x9B\x63i &amp; News \xE2\x80\x93 "
      "przegl\xC4\x85"
      "d dnia</title>\n"
      "<link>https://news.example.com/</link>\n"
      "<description>Najnowsze wiadomo\xC5\x9B\x63i z kraju i ze "
      "\xC5\x9Bwiata</description>\n"
      "<language>pl</language>\n";

  static const char* const kDays[] = {"Mon", "Tue", "Wed", "Thu",
                                      "Fri", "Sat", "Sun"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr",
                                        "May", "Jun", "Jul", "Aug",
                                        "Sep", "Oct", "Nov", "Dec"};

  for (int i = 0; i < kItems; ++i) {
    const std::size_t item_start = feed.size();
    const std::string n = std::to_string(i + 1);
    feed += "<item>\n<title>Wiadomo\xC5\x9B\xC4\x87 " + n +
            ": \xC5\xBC\xC3\xB3\xC5\x82w &amp; je\xC5\xBC &#8222;na "
            "\xC5\x82\xC4\x85"
            "ce&#8221;</title>\n";
    feed += "<link>https://news.example.com/article?id=" + n +
            "&amp;src=rss</link>\n";
    feed += "<guid isPermaLink=\"false\">news-" + n + "</guid>\n";
    feed += std::string("<pubDate>") + kDays[i % 7] + ", " +
            std::to_string(1 + i % 28) + " " + kMonths[i % 12] +
            " 2024 12:" + std::to_string(10 + i % 50) + ":00 +0100</pubDate>\n";
    feed += "<dc:creator>Redakcja</dc:creator>\n";

    const bool cdata = i % 2 == 0;
    feed += cdata ? "<description><![CDATA[<p><b>" : "<description>&lt;p&gt;";
    const std::size_t body_end = item_start + kItemSize;
    int paragraph = 0;
    while (feed.size() < body_end) {
      feed += kSentences[next() % kSentenceCount];
      const unsigned r = next() % 8;
      if (cdata) {
        if (r == 0) feed += "</b><br />";
        if (r == 1) feed += "<i>wa\xC5\xBCne</i> ";
        if (r == 2) {
          feed += "<a href=\"https://news.example.com/a?id=" + n +
                  "&amp;p=" + std::to_string(paragraph) +
                  "\">wi\xC4\x99"
                  "cej</a> ";
        }
        if (r == 3) feed += "</p>\n<p>";
        if (r == 4) feed += "<img src=\"https://img.example.com/x.jpg\" /> ";
      } else {
        if (r == 0) feed += "&lt;br /&gt;";
        if (r == 1) feed += "&lt;b&gt;&amp;quot;uwaga&amp;quot;&lt;/b&gt; ";
        if (r == 2) feed += "&amp;#8211; ";
        if (r == 3) feed += "&lt;/p&gt;\n&lt;p&gt;";
        if (r == 4) feed += "&#8216;cytat&#8217; ";
      }
      ++paragraph;
    }
    feed +=
        cdata ? "</b></p>]]></description>\n" : "&lt;/p&gt;</description>\n";
    feed += "<category>Kraj</category>\n</item>\n";
  }
  feed += "</channel>\n</rss>\n";
  return feed;
}

}  // namespace rivolet

// Callable with or without the namespace.
using rivolet::MakeSampleFeed;
