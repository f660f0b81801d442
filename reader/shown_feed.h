// The shown reading of a feed document: what the windows display of it,
// every character as the feed wrote it. Elements are known by their
// namespace, whatever prefix the document gives them, and each field comes
// from the item's (entry's, channel's) own child elements. A document with
// items is read item for item as the stored reading cuts them (same items,
// same order, same count); one whose items that reading does not find (Atom
// entries, RSS 1.0 under a prefix) is read entry by entry. Relative
// addresses are resolved against the nearest xml:base, else the address the
// document was read from, else the channel's link.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reader/shown_html.h"

namespace rivolet {

struct ShownItem {
  std::string title;  // one line of plain text, at most 64 KiB and "..."
  std::string date;   // the display form, without blanks around it
  std::string link;   // an absolute http(s) address, or empty
  // The entry's Atom id or the item's RSS guid, trimmed; empty when it has
  // none.
  std::string id;
  // The description element's content as written (UTF-8; CDATA sections and
  // escapes still in): FormatShownItem turns it into text when the item is
  // opened, not when the feed is read.
  std::string description;
  MarkupKind description_kind = MarkupKind::kHtml;
  // What the description's relative links resolve against.
  std::string base;
};

struct ShownFeed {
  std::string channel_title;
  std::string window_title;  // "Rivolet - " and the channel title
  int total = 0;             // the item count the count labels show
  // The rows: for a document with items exactly the stored reading's item
  // records (at most 100), otherwise its first 100 entries.
  std::vector<ShownItem> items;
  // The items were read entry by entry, not as the stored reading cuts
  // them.
  bool read_by_entries = false;
};

// The shown reading of `document`, read from `address` (empty for a file).
// Never throws: on a failure the result holds what was read up to it.
ShownFeed ReadShownFeed(std::string_view document,
                        std::string_view address = {});

// The description of an item as the item view shows it.
ShownMarkup FormatShownItem(const ShownItem& item);

// The notification window's row: the channel title, and the title and date
// of the first item as the notification reader picks it (the first entry
// where that reader finds no items). Every document read gives a row, as the
// notification reader's does; only a reading that failed before its item (out
// of memory) gives none. Never throws.
struct ShownFirstItem {
  std::string caption, title, date;
  bool has_row = false;
};
ShownFirstItem ReadShownFirstItem(std::string_view document);

// The channel title as shown: the first <title> outside the items and
// entries. Never throws.
std::string ReadShownChannelTitle(std::string_view document);

// What the Feed information dialog shows, from the channel's own elements
// (never from an item). Atom: the alternate <link>, <subtitle>, <rights>,
// the feed's xml:lang and <updated> (0.3: <tagline>, <copyright>,
// <modified>). The link is resolved as item links are.
struct ShownChannel {
  std::string title, link, description, copyright, language, last_build_date;
};
ShownChannel ReadShownChannel(std::string_view document,
                              std::string_view address = {});

// An Atom date (2005-07-31T12:29:29Z) in the display form of item dates:
// "31.07.2005 12:29:29 Z", the zone as written; anything else as written.
std::string AtomDisplayDate(std::string_view date);

}  // namespace rivolet
