// A literal, slow rendering of the two readers on one std::string with Pos,
// Substring and Delete, searching the whole text every time. The fast readers
// must give the same bytes; tests and the fuzz target compare them.
#pragma once

#include <cstdint>
#include <string>

#include "common/codepage.h"
#include "common/text.h"
#include "reader/stored_cleanup.h"
#include "reader/stored_feed.h"

namespace rivolet::testing {

inline std::string ReferenceField(const std::string& text, const char* open,
                                  const char* close) {
  const auto o = static_cast<std::int64_t>(Pos(open, text));
  const auto c = static_cast<std::int64_t>(Pos(close, text));
  const auto l = static_cast<std::int64_t>(std::string(open).size());
  return Substring(text, o + l, c - o - l);
}

inline int ReferenceCountItems(std::string text) {
  int n = 0;
  while (const auto at = Pos("</item>", text)) {
    Delete(text, static_cast<std::int64_t>(at), 6);
    ++n;
  }
  return n;
}

inline std::string ReferenceRawDate(const std::string& item) {
  auto o = static_cast<std::int64_t>(Pos("<pubDate>", item));
  if (o == 0) o = static_cast<std::int64_t>(Pos("<dc:date>", item));
  auto c = static_cast<std::int64_t>(Pos("</pubDate>", item));
  if (c == 0) c = static_cast<std::int64_t>(Pos("</dc:date>", item));
  return Substring(item, o + 9, c - o - 9);
}

// Cuts the next item out of `temp` the way both readers do: the item starts
// at whichever of "<item>" and "<item " comes first.
inline std::string ReferenceCutItem(std::string& temp) {
  const auto plain = static_cast<std::int64_t>(Pos("<item>", temp));
  const auto with_attributes = static_cast<std::int64_t>(Pos("<item ", temp));
  std::int64_t p = plain;
  if (p == 0 || (with_attributes != 0 && with_attributes < p)) {
    p = with_attributes;
  }
  const auto e = static_cast<std::int64_t>(Pos("</item>", temp));
  const std::int64_t len = e - p + 7;
  std::string item = Substring(temp, p, len);
  Delete(temp, p, len);
  return item;
}

inline FeedReadResult ReferenceReadFeed(std::string temp) {
  FeedReadResult r;
  const bool utf8 = IsUtf8Document(temp);
  const TextForm form = utf8 ? TextForm::kUtf8 : TextForm::kSingleByte;
  temp = StripTags(temp);
  temp = DecodeEntities(temp, form);
  r.channel_title = ReferenceField(temp, "<title>", "</title>");
  const std::string title = DecodeEntities(r.channel_title, form);
  r.window_title = "Rivolet - " + (utf8 ? Utf8ToCp1250(title) : title);
  int n = ReferenceCountItems(temp);
  r.total = n;
  while (n > 0 && r.items.count < kItemTableSize) {
    std::string item = ReferenceCutItem(temp);
    if (utf8) item = Utf8ToCp1250(item);
    ItemRecord& rec = r.items.records[r.items.count];
    rec.title = DecodeEntities(ReferenceField(item, "<title>", "</title>"));
    rec.description =
        DecodeEntities(ReferenceField(item, "<description>", "</description>"));
    rec.date = FormatItemDate(ReferenceRawDate(item));
    rec.link = DecodeEntities(ReferenceField(item, "<link>", "</link>"));
    ++r.items.count;
    --n;
  }
  r.rest = temp;
  return r;
}

inline FirstItemResult ReferenceReadFirstItem(std::string temp) {
  FirstItemResult r;
  const bool utf8 = IsUtf8Document(temp);
  const TextForm form = utf8 ? TextForm::kUtf8 : TextForm::kSingleByte;
  temp = DecodeEntities(StripTags(temp), form);
  const std::string title =
      DecodeEntities(ReferenceField(temp, "<title>", "</title>"), form);
  r.channel_title = utf8 ? Utf8ToCp1250(title) : title;
  std::string item = ReferenceCutItem(temp);
  if (utf8) item = Utf8ToCp1250(item);
  r.caption = r.channel_title;
  r.title = DecodeEntities(ReferenceField(item, "<title>", "</title>"));
  r.date = DecodeEntities(FormatItemDate(ReferenceRawDate(item)));
  r.rest = temp;
  return r;
}

// Runs both fast readers and both reference readers on `doc`, and names the
// first thing they disagree on; empty when every byte agrees.
inline std::string DifferenceFromReference(const std::string& doc) {
  const FeedReadResult fast = ReadFeed(doc);
  const FeedReadResult slow = ReferenceReadFeed(doc);
  if (fast.total != slow.total) return "total";
  if (fast.window_title != slow.window_title) return "window title";
  if (fast.channel_title != slow.channel_title) return "channel title";
  if (fast.rest != slow.rest) return "rest";
  if (fast.items.count != slow.items.count) return "items read";
  for (int i = 0; i < slow.items.count; ++i) {
    const ItemRecord& a = fast.items.records[i];
    const ItemRecord& b = slow.items.records[i];
    const std::string item = "item " + std::to_string(i) + " ";
    if (a.title != b.title) return item + "title";
    if (a.date != b.date) return item + "date";
    if (a.link != b.link) return item + "link";
    if (a.description != b.description) return item + "description";
  }
  if (CountItems(doc) != ReferenceCountItems(doc)) return "CountItems";
  const FirstItemResult first = ReadFirstItem(doc);
  const FirstItemResult ref = ReferenceReadFirstItem(doc);
  if (first.caption != ref.caption) return "first item caption";
  if (first.title != ref.title) return "first item title";
  if (first.date != ref.date) return "first item date";
  if (first.rest != ref.rest) return "first item rest";
  return {};
}

}  // namespace rivolet::testing
