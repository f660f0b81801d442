// The shown reading of feed documents: elements found with their
// attributes in the bytes as received, outside CDATA sections and comments,
// and decoded by the document's encoding.
#include "reader/shown_feed.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "common/ascii.h"
#include "common/text.h"
#include "reader/shown_positions.h"
#include "reader/shown_text.h"
#include "reader/stored_cleanup.h"
#include "reader/stored_feed.h"

namespace rivolet {
namespace {

constexpr std::size_t kNone = std::string_view::npos;
// The most of a description's source an item keeps: four times what the
// sanitizer ever parses, so that escapes and CDATA wrappers still leave it
// enough.
constexpr std::size_t kDescriptionSourceLimit = 2 * 1024 * 1024;
constexpr char kWindowTitlePrefix[] = "Rivolet - ";

// The next "<" at or after `from` that is markup: CDATA sections and
// comments are stepped over whole.
std::size_t NextMarkup(std::string_view text, std::size_t from) {
  while (true) {
    const std::size_t at = text.find('<', from);
    if (at == kNone) return kNone;
    if (text.compare(at, 9, "<![CDATA[") == 0) {
      const std::size_t end = text.find("]]>", at + 9);
      if (end == kNone) return kNone;
      from = end + 3;
    } else if (text.compare(at, 4, "<!--") == 0) {
      const std::size_t end = text.find("-->", at + 4);
      if (end == kNone) return kNone;
      from = end + 3;
    } else {
      return at;
    }
  }
}

// True when text[at] begins a start tag (or, with `closing`, an end tag) of
// `name`: the name followed by ">", a blank or "/".
bool TagAt(std::string_view text, std::size_t at, std::string_view name,
           bool closing) {
  std::size_t k = at + 1;
  if (closing) {
    if (k >= text.size() || text[k] != '/') return false;
    ++k;
  }
  if (text.compare(k, name.size(), name) != 0) return false;
  k += name.size();
  return k < text.size() &&
         (text[k] == '>' || text[k] == '/' || IsXmlSpace(text[k]));
}

// The position after the ">" that ends a start tag whose name ends at
// `from`; quoted attribute values may hold ">".
std::size_t StartTagEnd(std::string_view text, std::size_t from) {
  char quote = 0;
  for (std::size_t i = from; i < text.size(); ++i) {
    const char c = text[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i + 1;
    }
  }
  // An unbalanced quote: the first ">" ends it.
  const std::size_t close = text.find('>', from);
  return close == kNone ? kNone : close + 1;
}

struct Element {
  bool found = false;
  std::size_t begin = 0;  // its "<"
  std::size_t end = 0;    // after its end tag, or after its start tag
  std::string_view attributes;
  std::string_view content;  // empty when it has no end tag
};

// The first element `name` whose start tag begins at or after `from` and
// before `limit`. Its content runs to the first end tag of the same name;
// without one it is empty.
Element FindElement(std::string_view text, std::string_view name,
                    std::size_t from = 0, std::size_t limit = kNone) {
  for (std::size_t at = NextMarkup(text, from); at != kNone && at < limit;
       at = NextMarkup(text, at + 1)) {
    if (!TagAt(text, at, name, false)) continue;
    Element element;
    element.found = true;
    element.begin = at;
    const std::size_t name_end = at + 1 + name.size();
    const std::size_t tag_end = StartTagEnd(text, name_end);
    if (tag_end == kNone) {
      element.end = text.size();
      element.attributes = text.substr(name_end);
      return element;
    }
    const bool empty = text[tag_end - 2] == '/';
    element.attributes =
        text.substr(name_end, tag_end - 1 - name_end - (empty ? 1 : 0));
    element.end = tag_end;
    if (empty) return element;
    for (std::size_t close = NextMarkup(text, tag_end); close != kNone;
         close = NextMarkup(text, close + 1)) {
      if (!TagAt(text, close, name, true)) continue;
      std::size_t after = close + 2 + name.size();
      while (after < text.size() && IsXmlSpace(text[after])) ++after;
      if (after < text.size() && text[after] == '>') {
        element.content = text.substr(tag_end, close - tag_end);
        element.end = after + 1;
        return element;
      }
    }
    return element;
  }
  return {};
}

// The raw value of attribute `name` in a start tag's attribute text.
std::optional<std::string_view> Attribute(std::string_view attributes,
                                          std::string_view name) {
  std::size_t i = 0;
  const std::size_t n = attributes.size();
  while (i < n) {
    while (i < n && (IsXmlSpace(attributes[i]) || attributes[i] == '/')) ++i;
    const std::size_t name_begin = i;
    while (i < n && !IsXmlSpace(attributes[i]) && attributes[i] != '=') ++i;
    const std::string_view attribute =
        attributes.substr(name_begin, i - name_begin);
    while (i < n && IsXmlSpace(attributes[i])) ++i;
    if (i >= n || attributes[i] != '=') {
      if (i == name_begin) ++i;
      continue;
    }
    ++i;
    while (i < n && IsXmlSpace(attributes[i])) ++i;
    std::string_view value;
    if (i < n && (attributes[i] == '"' || attributes[i] == '\'')) {
      const std::size_t close = attributes.find(attributes[i], i + 1);
      const std::size_t end = close == kNone ? n : close;
      value = attributes.substr(i + 1, end - i - 1);
      i = end + 1;
    } else {
      const std::size_t begin = i;
      while (i < n && !IsXmlSpace(attributes[i])) ++i;
      value = attributes.substr(begin, i - begin);
    }
    if (attribute == name) return value;
  }
  return std::nullopt;
}

// The first element `name` at or after `from` outside the items and
// entries.
Element FindChannelElement(std::string_view text, std::string_view name,
                           std::size_t from = 0, std::size_t limit = kNone) {
  while (true) {
    const Element element = FindElement(text, name, from, limit);
    if (!element.found) return element;
    Element item = FindElement(text, "item", from, element.begin);
    const Element entry = FindElement(text, "entry", from, element.begin);
    if (!item.found || (entry.found && entry.begin < item.begin)) item = entry;
    if (!item.found) return element;
    from = std::max(item.end, item.begin + 1);
  }
}

// How Atom marks its text constructs: type "text" (the default), "html"
// or "xhtml"; Atom 0.3 writes media types and a mode.
MarkupKind AtomKind(std::string_view attributes) {
  const std::string type =
      ToLowerAscii(Attribute(attributes, "type").value_or(""));
  const std::string mode =
      ToLowerAscii(Attribute(attributes, "mode").value_or(""));
  if (type.find("xhtml") != std::string::npos) {
    return mode == "escaped" ? MarkupKind::kHtml : MarkupKind::kXhtml;
  }
  if (type == "html" || type == "text/html") {
    return mode == "xml" ? MarkupKind::kXhtml : MarkupKind::kHtml;
  }
  return MarkupKind::kText;
}

struct Reading {
  explicit Reading(std::string_view document)
      : encoding(DetectShownEncoding(document)) {
    text = document;
    if (encoding.kind == ShownEncoding::Kind::kWide) {
      wide_text = WideDocumentToUtf8(document, encoding);
      text = wide_text;
      encoding = ShownEncoding();
    }
    decoder.emplace(encoding);
    atom = text.find("<item") == kNone && FindElement(text, "entry").found;
  }

  std::string Decode(std::string_view bytes) { return decoder->Decode(bytes); }

  // Element text with markup left out, on one line.
  std::string Title(const Element& element) {
    const MarkupKind kind =
        atom ? AtomKind(element.attributes) : MarkupKind::kHtml;
    return ShownTitle(Decode(element.content), kind);
  }

  // Element text as written, references decoded, without blanks around it.
  std::string Plain(const Element& element) {
    return Trim(DecodeCharacterReferences(XmlText(Decode(element.content))));
  }

  std::string ChannelTitle() {
    return Title(FindChannelElement(text, "title"));
  }

  // An attribute's value as shown.
  std::string AttributeText(const Element& element, std::string_view name) {
    return Trim(
        XmlText(Decode(Attribute(element.attributes, name).value_or(""))));
  }

  // The href of the first <link> whose rel is "alternate" or absent, found
  // by `find` (the first element, or the first outside the entries).
  template <typename Find>
  std::string AlternateLink(std::string_view in, Find find) {
    for (Element link = find(in, "link", 0, kNone); link.found;
         link = find(in, "link", link.end, kNone)) {
      const std::string_view rel =
          Attribute(link.attributes, "rel").value_or("");
      if (rel.empty() || rel == "alternate") return AttributeText(link, "href");
    }
    return {};
  }

  ShownEncoding encoding;
  std::string wide_text;
  std::string_view text;
  std::optional<ShownDecoder> decoder;
  bool atom = false;
};

std::string_view Capped(std::string_view content) {
  return content.substr(0, kDescriptionSourceLimit);
}

ShownItem ReadRssItem(std::string_view item, Reading& reading) {
  ShownItem shown;
  shown.title = reading.Title(FindElement(item, "title"));
  Element date = FindElement(item, "pubDate");
  if (date.content.empty()) date = FindElement(item, "dc:date");
  shown.date = Trim(FormatItemDate(reading.Plain(date)));
  const Element link = FindElement(item, "link");
  shown.link = reading.Plain(link);
  if (shown.link.empty()) shown.link = reading.AttributeText(link, "href");
  shown.description =
      reading.Decode(Capped(FindElement(item, "description").content));
  return shown;
}

ShownItem ReadAtomEntry(std::string_view entry, Reading& reading) {
  ShownItem shown;
  shown.title = reading.Title(FindElement(entry, "title"));
  for (const char* name : {"updated", "published", "modified", "issued"}) {
    const Element date = FindElement(entry, name);
    if (!date.content.empty()) {
      shown.date = AtomDisplayDate(reading.Plain(date));
      break;
    }
  }
  shown.link = reading.AlternateLink(entry, FindElement);
  Element description = FindElement(entry, "content");
  if (Trim(description.content).empty())
    description = FindElement(entry, "summary");
  shown.description = reading.Decode(Capped(description.content));
  shown.description_kind = AtomKind(description.attributes);
  return shown;
}

// The text of one item: its ranges of the received document, or of the
// cleaned one when positions cannot be told (which the line rule rules
// out; the cleaned bytes still give the same item).
std::string ItemText(const std::vector<CleanedRange>& ranges,
                     std::string_view received, RawPositions* positions,
                     std::string_view cleaned) {
  std::string text;
  for (const CleanedRange& range : ranges) {
    if (positions != nullptr) {
      const std::size_t begin = positions->RawAt(range.begin);
      const std::size_t end = positions->RawAt(range.end);
      if (end > begin) text.append(received.substr(begin, end - begin));
    } else {
      text.append(cleaned.substr(range.begin, range.end - range.begin));
    }
  }
  return text;
}

// The full reader's items, read again from the received bytes.
void ReadRssItems(Reading& reading, bool first_item_only,
                  std::vector<ShownItem>& items, int& total) {
  const ItemLocations located =
      LocateItems(std::string(reading.text), first_item_only);
  total = located.total;
  std::optional<RawPositions> positions;
  positions.emplace(reading.text, located.cleaned,
                    located.utf8 ? TextForm::kUtf8 : TextForm::kSingleByte);
  items.reserve(located.items.size());
  for (const std::vector<CleanedRange>& ranges : located.items) {
    std::string text;
    try {
      text = ItemText(ranges, reading.text, positions ? &*positions : nullptr,
                      located.cleaned);
    } catch (const std::logic_error&) {
      positions.reset();
      text = ItemText(ranges, reading.text, nullptr, located.cleaned);
    }
    items.push_back(ReadRssItem(text, reading));
  }
}

void ReadAtomEntries(Reading& reading, std::size_t most,
                     std::vector<ShownItem>& items, int& total) {
  for (Element entry = FindElement(reading.text, "entry"); entry.found;
       entry = FindElement(reading.text, "entry", entry.end)) {
    ++total;
    if (items.size() < most) {
      items.push_back(ReadAtomEntry(
          reading.text.substr(entry.begin, entry.end - entry.begin), reading));
    }
  }
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsAsciiDigit);
}

}  // namespace

ShownFeed ReadShownFeed(std::string_view document) {
  ShownFeed feed;
  feed.window_title = kWindowTitlePrefix;
  try {
    Reading reading(document);
    feed.atom = reading.atom;
    feed.channel_title = reading.ChannelTitle();
    feed.window_title += feed.channel_title;
    if (reading.atom) {
      ReadAtomEntries(reading, kItemTableSize, feed.items, feed.total);
    } else {
      ReadRssItems(reading, false, feed.items, feed.total);
    }
  } catch (...) {
    // Like the readers, report nothing; what was read stays.
  }
  return feed;
}

ShownMarkup FormatShownItem(const ShownItem& item) {
  return FormatShownContent(item.description, item.description_kind);
}

ShownFirstItem ReadShownFirstItem(std::string_view document) {
  ShownFirstItem row;
  try {
    Reading reading(document);
    row.caption = reading.ChannelTitle();
    std::vector<ShownItem> items;
    int total = 0;
    if (reading.atom) {
      ReadAtomEntries(reading, 1, items, total);
    } else {
      ReadRssItems(reading, true, items, total);
    }
    if (!items.empty()) {
      row.title = std::move(items.front().title);
      row.date = std::move(items.front().date);
    }
    row.has_row = true;
  } catch (...) {
  }
  return row;
}

std::string ReadShownChannelTitle(std::string_view document) {
  try {
    Reading reading(document);
    return reading.ChannelTitle();
  } catch (...) {
    return {};
  }
}

ShownChannel ReadShownChannel(std::string_view document) {
  ShownChannel channel;
  try {
    Reading reading(document);
    const std::string_view text = reading.text;
    auto first = [&](std::initializer_list<const char*> names) {
      for (const char* name : names) {
        const Element element = FindChannelElement(text, name);
        if (element.found) return element;
      }
      return Element();
    };
    auto shown = [&](const Element& element) {
      const MarkupKind kind =
          reading.atom ? AtomKind(element.attributes) : MarkupKind::kHtml;
      return FormatShownContent(reading.Decode(element.content), kind).plain;
    };
    channel.title = reading.ChannelTitle();
    if (reading.atom) {
      channel.link = reading.AlternateLink(text, FindChannelElement);
      channel.description = shown(first({"subtitle", "tagline"}));
      channel.copyright = shown(first({"rights", "copyright"}));
      channel.language =
          reading.AttributeText(FindElement(text, "feed"), "xml:lang");
      channel.last_build_date = reading.Plain(first({"updated", "modified"}));
    } else {
      const Element link = FindChannelElement(text, "link");
      channel.link = reading.Plain(link);
      channel.description = shown(FindChannelElement(text, "description"));
      channel.copyright = shown(first({"copyright", "dc:rights"}));
      channel.language = reading.Plain(first({"language", "dc:language"}));
      channel.last_build_date =
          reading.Plain(first({"lastBuildDate", "dc:date"}));
    }
  } catch (...) {
  }
  return channel;
}

std::string AtomDisplayDate(std::string_view date) {
  const std::string written = Trim(date);
  const std::string_view d = written;
  // YYYY-MM-DD
  if (d.size() < 10 || !AllDigits(d.substr(0, 4)) || d[4] != '-' ||
      !AllDigits(d.substr(5, 2)) || d[7] != '-' || !AllDigits(d.substr(8, 2))) {
    return written;
  }
  std::string shown = std::string(d.substr(8, 2)) + "." +
                      std::string(d.substr(5, 2)) + "." +
                      std::string(d.substr(0, 4));
  if (d.size() == 10) return shown;
  // THH:MM[:SS[.fraction]]
  if ((d[10] != 'T' && d[10] != 't' && d[10] != ' ') || d.size() < 16 ||
      !AllDigits(d.substr(11, 2)) || d[13] != ':' ||
      !AllDigits(d.substr(14, 2))) {
    return written;
  }
  std::string seconds = "00";
  std::size_t k = 16;
  if (k + 2 < d.size() && d[k] == ':' && AllDigits(d.substr(k + 1, 2))) {
    seconds = std::string(d.substr(k + 1, 2));
    k += 3;
    if (k < d.size() && (d[k] == '.' || d[k] == ',')) {
      ++k;
      while (k < d.size() && IsAsciiDigit(d[k])) ++k;
    }
  }
  shown += " " + std::string(d.substr(11, 5)) + ":" + seconds;
  const std::string_view zone = d.substr(k);
  if (zone.empty()) return shown;
  if (zone == "Z" || zone == "z") return shown + " Z";
  if ((zone[0] == '+' || zone[0] == '-') && zone.size() <= 6) {
    return shown + " " + std::string(zone);
  }
  return written;
}

}  // namespace rivolet
