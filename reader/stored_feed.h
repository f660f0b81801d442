// The two feed readers: plain first-occurrence tag searches over a downloaded
// feed document, giving the data the main window and the notification list
// show.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rivolet {

// The main window keeps this many item records; longer feeds are cut short.
inline constexpr int kItemTableSize = 100;

// One item as shown: title, display date, link and description.
struct ItemRecord {
  std::string title, date, link, description;
};

// The items of the last feed read; records at and beyond `count` are empty.
struct ItemTable {
  std::array<ItemRecord, kItemTableSize> records;
  int count = 0;  // items read, at most kItemTableSize
};

struct FeedReadResult {
  ItemTable items;
  std::string channel_title;  // the first <title> field, as extracted
  std::string window_title;   // "Rivolet - " and the decoded, converted title
  int total = 0;              // CountItems of the cleaned document
  std::string rest;  // the cleaned document with the read items cut out
};

// The full reader. Never throws: on any failure the result holds what was read
// up to that point.
FeedReadResult ReadFeed(std::string document);

// One row of the notification list and the channel title it stores.
struct FirstItemResult {
  std::string caption, title, date;  // the row's three columns
  std::string channel_title;         // decoded and converted; equals caption
  std::string rest;                  // the cleaned document minus the item
  bool has_row = true;               // false only when reading failed early
};

// The notification reader: channel title and first item only. Never throws.
FirstItemResult ReadFirstItem(std::string document);

// A byte range [begin, end) of a cleaned document.
struct CleanedRange {
  std::size_t begin, end;
};

// Where the readers find their items, for reading the same items another
// way: the cleaned document (DecodeEntities(StripTags(document)) in the
// form the readers choose) and, for each item read, the ranges of it that
// make up the item's text before its UTF-8 conversion. An item cut from a
// text that earlier cuts have joined is made of several ranges.
struct ItemLocations {
  std::string cleaned;
  bool utf8 = false;  // IsUtf8Document of the document as received
  int total = 0;      // CountItems of the cleaned document
  std::vector<std::vector<CleanedRange>> items;
};

// The cuts of ReadFeed (min(total, kItemTableSize) items), or with
// `first_item_only` the single cut of ReadFirstItem. Throws only when out of
// memory.
ItemLocations LocateItems(std::string document, bool first_item_only = false);

// The text between the first `open_tag` and the first `close_tag`, by 1-based
// position arithmetic: Substring(text, o + L, c - o - L).
std::string ExtractField(std::string_view text, std::string_view open_tag,
                         std::string_view close_tag);

// How many times "</item>" can be found and its first six bytes deleted,
// searching again from the start after every deletion.
int CountItems(std::string_view text);

}  // namespace rivolet
