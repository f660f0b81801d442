// The Feed information dialog's reading of a feed document.
#include "dialogs/feed_information.h"

#include <cstdint>
#include <string>

#include "common/codepage.h"
#include "common/links.h"
#include "common/text.h"
#include "reader/shown_feed.h"
#include "reader/stored_cleanup.h"
#include "reader/stored_feed.h"

namespace rivolet {
namespace {

constexpr char kCopyrightSign[] = "\xA9";

// The dialog's scratch text: entities decoded with its own table (no tag
// stripping), UTF-8 text converted afterwards. Whether the document is UTF-8
// is decided once on the bytes as received, so that the byte steps of the
// table never touch UTF-8 sequences and letter references are inserted in
// the document's own encoding.
std::string CleanDocument(std::string_view document) {
  if (IsUtf8Document(document)) {
    return Utf8ToCp1250(
        DecodeEntities(document, EntityTable::kInformation, TextForm::kUtf8));
  }
  return DecodeEntities(document, EntityTable::kInformation,
                        TextForm::kSingleByte);
}

// The tag-pair rule with the opening length given: Substring(text, p1 + L,
// p2 - p1 - L), with 1-based positions and 0 for a missing tag.
std::string FieldBetween(std::string_view text, std::size_t p1, std::size_t p2,
                         std::size_t open_length) {
  const auto o = static_cast<std::int64_t>(p1);
  const auto c = static_cast<std::int64_t>(p2);
  const auto l = static_cast<std::int64_t>(open_length);
  return Substring(text, o + l, c - o - l);
}

// Each tag falls back to its Dublin Core form by itself: the opening from
// "<copyright>" or else "<dc:rights>", the closing likewise. Both openings
// are 11 characters long.
std::string Copyright(std::string_view text) {
  std::size_t p1 = Pos("<copyright>", text);
  if (p1 == 0) p1 = Pos("<dc:rights>", text);
  std::size_t p2 = Pos("</copyright>", text);
  if (p2 == 0) p2 = Pos("</dc:rights>", text);
  return ReplaceAll(FieldBetween(text, p1, p2, 11), "&#169;", kCopyrightSign);
}

// As the copyright, but the opening length follows the closing tag found:
// 15 when "</lastBuildDate>" is there, otherwise 9 for "</dc:date>".
std::string LastBuildDate(std::string_view text) {
  std::size_t p1 = Pos("<lastBuildDate>", text);
  if (p1 == 0) p1 = Pos("<dc:date>", text);
  std::size_t p2 = Pos("</lastBuildDate>", text);
  std::size_t open_length = 15;
  if (p2 == 0) {
    p2 = Pos("</dc:date>", text);
    open_length = 9;
  }
  return FieldBetween(text, p1, p2, open_length);
}

}  // namespace

FeedInformation ReadFeedInformation(std::string_view document) {
  const std::string text = CleanDocument(document);
  FeedInformation info;
  info.title = ExtractField(text, "<title>", "</title>");
  info.link = ExtractField(text, "<link>", "</link>");
  info.description = ExtractField(text, "<description>", "</description>");
  info.copyright = Copyright(text);
  info.language = ExtractField(text, "<language>", "</language>");
  info.last_build_date = LastBuildDate(text);
  return info;
}

FeedInformation ReadShownFeedInformation(std::string_view document) {
  ShownChannel channel = ReadShownChannel(document);
  FeedInformation info;
  info.title = std::move(channel.title);
  info.link = std::move(channel.link);
  info.description = std::move(channel.description);
  info.copyright = std::move(channel.copyright);
  info.language = std::move(channel.language);
  info.last_build_date = std::move(channel.last_build_date);
  return info;
}

bool ShouldOpenTitleLink(std::string_view link) {
  return link.size() > 5 && IsWebLink(link);
}

}  // namespace rivolet
