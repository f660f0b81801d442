// The shown reading of every real document in the corpus: the same items as
// the stored reading, descriptions shown as text (no markup, every word
// kept), Atom entries listed, and each script's letters shown.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/codepage.h"
#include "common/links.h"
#include "reader/shown_feed.h"
#include "reader/shown_text.h"
#include "reader/stored_feed.h"
#include "tests/support/temp_dir.h"

namespace rivolet {
namespace {

const std::filesystem::path kCorpus = RIVOLET_CORPUS_DIR;

bool IsLetter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// How often "<" is followed by a letter or "/", where `lt` stands for "<".
std::size_t TagLike(std::string_view text, std::string_view lt) {
  std::size_t count = 0;
  for (std::size_t at = text.find(lt); at != std::string_view::npos;
       at = text.find(lt, at + 1)) {
    const std::size_t next = at + lt.size();
    if (next < text.size() && (IsLetter(text[next]) || text[next] == '/')) {
      ++count;
    }
  }
  return count;
}

// A piece of an escaped end tag whose brackets were removed, as in
// "contempt/ppDonald"; empty when there is none.
std::string Remnant(std::string_view plain) {
  static const std::string_view kNames[] = {
      "p", "a", "div", "span", "li", "ul", "ol", "b", "i", "em", "strong"};
  std::size_t start = 0;
  while (start < plain.size()) {
    std::size_t end = plain.find_first_of(" \n", start);
    if (end == std::string_view::npos) end = plain.size();
    const std::string_view token = plain.substr(start, end - start);
    start = end + 1;
    if (token.find("://") != std::string_view::npos ||
        token.find("www.") != std::string_view::npos) {
      continue;
    }
    for (std::size_t at = token.find('/', 1); at != std::string_view::npos;
         at = token.find('/', at + 1)) {
      const char before = token[at - 1];
      if (!(before >= 'a' && before <= 'z') &&
          std::string_view(".!?,;:)").find(before) == std::string_view::npos) {
        continue;
      }
      for (std::string_view name : kNames) {
        const std::size_t after = at + 1 + name.size();
        if (token.compare(at + 1, name.size(), name) == 0 &&
            (after == token.size() ||
             (token[after] >= 'A' && token[after] <= 'Z') ||
             (name == "p" && token[after] == 'p'))) {
          return std::string(token);
        }
      }
    }
  }
  return {};
}

// The words of an HTML source, found without a parser: comments and the
// elements whose text is never shown go, every tag becomes a blank.
std::vector<std::string> SourceWords(std::string html) {
  for (const char* dropped : {"script", "style", "iframe", "noscript"}) {
    const std::string open = std::string("<") + dropped;
    const std::string close = std::string("</") + dropped + ">";
    for (std::size_t at = html.find(open); at != std::string::npos;
         at = html.find(open, at)) {
      const std::size_t end = html.find(close, at);
      html.erase(at, end == std::string::npos ? std::string::npos
                                              : end + close.size() - at);
    }
  }
  std::string text;
  for (std::size_t i = 0; i < html.size(); ++i) {
    if (html.compare(i, 4, "<!--") == 0) {
      const std::size_t end = html.find("-->", i);
      i = end == std::string::npos ? html.size() : end + 2;
      text += ' ';
    } else if (html[i] == '<' && i + 1 < html.size() &&
               (IsLetter(html[i + 1]) || html[i + 1] == '/')) {
      const std::size_t end = html.find('>', i);
      i = end == std::string::npos ? html.size() : end;
      text += ' ';
    } else {
      text += html[i];
    }
  }
  text = DecodeCharacterReferences(text);
  // The parser shows C1 controls, which no feed means, as U+FFFD.
  for (std::size_t at = text.find('\xC2'); at != std::string::npos;
       at = text.find('\xC2', at + 1)) {
    if (at + 1 < text.size() &&
        static_cast<unsigned char>(text[at + 1]) < 0xA0) {
      text.replace(at, 2, "  ");
    }
  }
  std::vector<std::string> words;
  std::string word;
  for (char c : text + " ") {
    if (IsLetter(c) || (c >= '0' && c <= '9') ||
        static_cast<unsigned char>(c) >= 0x80) {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  return words;
}

TEST(ShownCorpusTest, EveryDocumentShowsItsItemsAsText) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kCorpus)) {
    if (entry.path().extension() == ".md") continue;
    ++files;
    const std::string doc = testing::ReadFileBytes(entry.path());
    SCOPED_TRACE(entry.path().filename().string());
    const ShownFeed shown = ReadShownFeed(doc, "http://feeds.example/feed");
    const FeedReadResult stored = ReadFeed(doc);
    if (shown.read_by_entries) {
      EXPECT_GT(shown.items.size(), 0u);
    } else {
      // Row for row the stored items: the same count and the same web
      // links (an item without one may take its guid).
      EXPECT_EQ(shown.total, stored.total);
      ASSERT_EQ(static_cast<int>(shown.items.size()), stored.items.count);
      for (int k = 0; k < stored.items.count; ++k) {
        if (!IsWebLink(stored.items.records[k].link)) continue;
        EXPECT_EQ(Utf8ToCp1250Lenient(shown.items[k].link),
                  stored.items.records[k].link)
            << k;
      }
    }
    for (const ShownItem& item : shown.items) {
      if (shown.read_by_entries) {
        EXPECT_FALSE(item.title.empty() || item.link.empty() ||
                     item.date.empty())
            << item.title;
      }
      const std::string plain = FormatShownItem(item).plain;
      EXPECT_TRUE(IsValidUtf8(plain) && IsValidUtf8(item.title));
      std::string source = item.description_kind == MarkupKind::kXhtml
                               ? item.description
                               : XmlText(item.description);
      for (const char* wrapper : {"<![CDATA[", "]]>"}) {
        for (std::size_t at = source.find(wrapper); at != std::string::npos;
             at = source.find(wrapper, at)) {
          source.erase(at, std::string_view(wrapper).size());
        }
      }
      // A "<" before a letter must be text the feed escaped once more.
      std::size_t allowed = TagLike(source, "<");
      if (item.description_kind != MarkupKind::kText) {
        allowed = 0;
        for (const char* lt : {"&lt;", "&#60;", "&#x3c;", "&#x3C;"}) {
          for (std::size_t at = source.find(lt); at != std::string::npos;
               at = source.find(lt, at + 1)) {
            ++allowed;
          }
        }
      }
      EXPECT_LE(TagLike(plain, "<"), allowed) << plain.substr(0, 200);
      EXPECT_EQ(Remnant(plain), "");
      if (plain.ends_with("...") && source.size() > kShownTextLimit) continue;
      const std::vector<std::string> words =
          item.description_kind == MarkupKind::kText
              ? std::vector<std::string>()
              : SourceWords(source);
      for (const std::string& word : words) {
        EXPECT_NE(plain.find(word), std::string::npos) << word;
      }
    }
  }
  EXPECT_GE(files, 39);
}

TEST(ShownCorpusTest, EachScriptShowsItsLetters) {
  const std::pair<const char*, const char*> cases[] = {
      {"rss2_citydog_by_cyrillic_utf8_bom_no_encoding_decl.xml",
       "\xD0\x9D\xD0\xBE\xD0\xB2"},                             // Cyrillic
      {"rss2_ibash_ru_windows-1251.xml", "\xD0\xB0"},           // Cyrillic
      {"rss091_stadtfeuerwehr_de_iso-8859-1.xml", "\xC3\xA4"},  // ä
      {"rss2_jn_pt_iso-8859-1_crlf.xml", "\xC3\xA3"},           // ã
      {"rss091_objektivhir_hu_windows-1250.xml", "\xC5\x91"},   // ő
      {"atom_ugyanmar_hu_iso-8859-2.xml", "\xC3\xA1"},          // á
      {"rss2_urdu_utf8_rtl.xml", "\xD8\xA7"},                   // alef
  };
  for (const auto& [file, letters] : cases) {
    const ShownFeed feed =
        ReadShownFeed(testing::ReadFileBytes(kCorpus / file));
    std::string shown = feed.window_title;
    for (const ShownItem& item : feed.items) {
      shown += item.title + FormatShownItem(item).plain;
    }
    EXPECT_NE(shown.find(letters), std::string::npos) << file;
  }
}

}  // namespace
}  // namespace rivolet
