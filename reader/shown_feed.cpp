// The shown reading of feed documents: the document's elements (ShownTree),
// each field taken from its own element, decoded by the document's
// encoding, its text read by its kind.
#include "reader/shown_feed.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "common/ascii.h"
#include "common/links.h"
#include "common/text.h"
#include "common/uri.h"
#include "common/xml_text.h"
#include "reader/shown_positions.h"
#include "reader/shown_text.h"
#include "reader/shown_tree.h"
#include "reader/stored_cleanup.h"
#include "reader/stored_feed.h"

namespace rivolet {
namespace {

constexpr int kNoNode = ShownTree::kNoNode;
// The most of a description's source an item keeps: four times what the
// sanitizer ever parses, so that escapes and CDATA wrappers still leave it
// enough.
constexpr std::size_t kDescriptionSourceLimit = 2 * 1024 * 1024;
constexpr char kWindowTitlePrefix[] = "Rivolet - ";

bool InRss(FeedNamespace ns) { return IsRssNamespace(ns); }
// An Atom feed whose root declares no namespace.
bool InAtomOrNone(FeedNamespace ns) {
  return IsAtomNamespace(ns) || ns == FeedNamespace::kNone;
}
bool InDc(FeedNamespace ns) {
  return ns == FeedNamespace::kDc || ns == FeedNamespace::kDcTerms;
}
bool InMedia(FeedNamespace ns) { return ns == FeedNamespace::kMedia; }
bool InContent(FeedNamespace ns) { return ns == FeedNamespace::kContent; }
bool InItunes(FeedNamespace ns) { return ns == FeedNamespace::kItunes; }
bool InXhtml(FeedNamespace ns) { return ns == FeedNamespace::kXhtml; }
bool AnyNamespace(FeedNamespace) { return true; }

// A field's text with what the item shows of it.
struct Text {
  std::string source;  // UTF-8, as written (escapes and CDATA still in)
  MarkupKind kind = MarkupKind::kHtml;
};

// The document as the readings see it: its text in one encoding, and the
// decoder of its fields.
class Reading {
 public:
  Reading(std::string_view document, std::string_view address)
      : encoding_(DetectShownEncoding(document)) {
    text_ = document;
    if (encoding_.kind == ShownEncoding::Kind::kWide) {
      wide_text_ = WideDocumentToUtf8(document, encoding_);
      text_ = wide_text_;
      encoding_ = ShownEncoding();
    }
    decoder_.emplace(encoding_);
    const std::string_view trimmed = TrimSpacesAndTabs(address);
    if (IsWebLink(trimmed)) address_ = trimmed;
  }

  std::string_view text() const { return text_; }
  const std::string& address() const { return address_; }
  std::string Decode(std::string_view bytes) { return decoder_->Decode(bytes); }

  // Text as written, references decoded, without blanks around it.
  std::string Plain(const ShownTree& tree, int node) {
    if (node == kNoNode) return {};
    return Trim(DecodeCharacterReferences(XmlText(Decode(tree.Content(node)))));
  }

  // An attribute's value as shown.
  std::string AttributeText(const ShownTree& tree, int node,
                            std::string_view name) {
    return Trim(XmlText(Decode(tree.Attribute(node, name).value_or(""))));
  }

  // A text construct of Atom, read by its type (and Atom 0.3's mode).
  Text AtomText(const ShownTree& tree, int node) {
    Text text;
    if (node == kNoNode) return text;
    const std::string type = ToLowerAscii(AttributeText(tree, node, "type"));
    const std::string mode = ToLowerAscii(AttributeText(tree, node, "mode"));
    const bool content = tree.node(node).local == "content";
    const bool xml_type = type.ends_with("+xml") || type.ends_with("/xml");
    const bool text_type = type.empty() || type == "text" || type == "html" ||
                           type == "xhtml" || type.starts_with("text/");
    if (mode == "base64" ||
        (content && !text_type && !xml_type && !tree.Attribute(node, "src"))) {
      return Base64Text(tree, node, type);
    }
    if (type == "xhtml" || type == "application/xhtml+xml" || mode == "xml" ||
        (xml_type && content)) {
      // The markup inside the wrapping div, which is not part of it.
      const int div = tree.Child(node, InXhtml, "div");
      text.source =
          Decode(div != kNoNode && type == "xhtml" ? tree.Content(div)
                                                   : tree.Content(node));
      text.kind = MarkupKind::kXhtml;
      return text;
    }
    text.source = Decode(tree.Content(node));
    text.kind = type == "html" || type == "text/html" || mode == "escaped"
                    ? MarkupKind::kHtml
                    : MarkupKind::kText;
    return text;
  }

  // Content written in base64: its bytes, read by their media type. What
  // is neither text nor markup shows nothing.
  Text Base64Text(const ShownTree& tree, int node, const std::string& type) {
    Text text;
    const std::string decoded =
        Utf8WithReplacements(DecodeBase64(XmlText(Decode(tree.Content(node)))));
    const bool html = type == "html" || type == "text/html";
    if (!html && !type.empty() && !type.starts_with("text")) return text;
    // Escaped once, as a field's source is, so that reading it unescapes
    // it back to what the bytes say.
    AppendXmlEscaped(text.source, decoded, XmlPlace::kText);
    text.kind = html ? MarkupKind::kHtml : MarkupKind::kText;
    return text;
  }

  // A field of RSS: escaped (or CDATA-wrapped) HTML, or plain text.
  Text RssText(const ShownTree& tree, int node, MarkupKind kind) {
    Text text;
    text.source = Decode(tree.Content(node));
    text.kind = kind;
    return text;
  }

  // An address resolved against what is in effect at `node`.
  std::string Link(const ShownTree& tree, int node, std::string_view written,
                   std::string_view document_base) {
    const std::string base = tree.BaseAt(node, document_base);
    const std::optional<std::string> resolved = ResolveReference(base, written);
    return resolved && IsWebLink(*resolved) ? *resolved : std::string();
  }

 private:
  ShownEncoding encoding_;
  std::string wide_text_;
  std::string_view text_;
  std::optional<ShownDecoder> decoder_;
  std::string address_;
};

// The channel (RSS) or feed (Atom) element, and which vocabulary its own
// elements are in.
struct Channel {
  int node = kNoNode;
  bool atom = false;
  bool (*in)(FeedNamespace) = InRss;
  // How its own elements are found: in a document without a channel
  // element (a fragment), the first of their kind outside the items.
  int Find(const ShownTree& tree, bool (*ns)(FeedNamespace),
           std::string_view local) const {
    return node == kNoNode ? tree.FindOutsideEntries(ns, local)
                           : tree.Child(node, ns, local);
  }
};

Channel FindChannel(const ShownTree& tree) {
  Channel channel;
  const int root = tree.root();
  if (root == kNoNode) return channel;
  const ShownTree::Node& r = tree.node(root);
  if (r.local == "feed" && InAtomOrNone(r.ns)) {
    channel.node = root;
    channel.atom = true;
    channel.in = InAtomOrNone;
  } else if (r.local == "channel" && InRss(r.ns)) {
    channel.node = root;
  } else {
    channel.node = tree.Child(root, InRss, "channel");
  }
  return channel;
}

// How an item's fields are found: among its own children, or, in a cut
// that is no well-formed item, anywhere in it (its first occurrence).
using Find = int (*)(const ShownTree&, int, bool (*)(FeedNamespace),
                     std::string_view);

int OwnChild(const ShownTree& tree, int parent, bool (*in)(FeedNamespace),
             std::string_view local) {
  return tree.Child(parent, in, local);
}

int Anywhere(const ShownTree& tree, int, bool (*in)(FeedNamespace),
             std::string_view local) {
  return tree.FindAnywhere(in, local);
}

int FirstChild(const ShownTree& tree, int parent, bool (*in)(FeedNamespace),
               std::initializer_list<std::string_view> names,
               Find find = OwnChild) {
  for (std::string_view name : names) {
    const int found = find(tree, parent, in, name);
    if (found != kNoNode) return found;
  }
  return kNoNode;
}

// The first of `names` whose content is not blank.
int FirstFilled(const ShownTree& tree, int parent, bool (*in)(FeedNamespace),
                std::initializer_list<std::string_view> names,
                Find find = OwnChild) {
  for (std::string_view name : names) {
    const int found = find(tree, parent, in, name);
    if (found != kNoNode && !Trim(tree.Content(found)).empty()) return found;
  }
  return kNoNode;
}

std::string ChannelTitle(Reading& reading, const ShownTree& tree,
                         const Channel& channel) {
  if (channel.node != kNoNode) {
    const int title = tree.Child(channel.node, channel.in, "title");
    const Text text = channel.atom
                          ? reading.AtomText(tree, title)
                          : reading.RssText(tree, title, MarkupKind::kHtml);
    return ShownTitle(text.source, text.kind);
  }
  // No channel to speak of: the first title outside the items.
  const int title = tree.FindOutsideEntries(AnyNamespace, "title");
  if (title == kNoNode) return {};
  return ShownTitle(reading.Decode(tree.Content(title)), MarkupKind::kHtml);
}

// The href of the first link whose rel is "alternate" or absent.
int AlternateLink(const ShownTree& tree, int parent,
                  bool (*in)(FeedNamespace)) {
  if (parent == kNoNode) return kNoNode;
  for (int child = tree.node(parent).first_child; child != kNoNode;
       child = tree.node(child).next_sibling) {
    const ShownTree::Node& n = tree.node(child);
    if (!in(n.ns) || n.local != "link") continue;
    const std::string_view rel =
        TrimSpacesAndTabs(tree.Attribute(child, "rel").value_or(""));
    if (rel.empty() || rel == "alternate") return child;
  }
  return kNoNode;
}

// What the addresses of the document resolve against when no xml:base
// says: where it was read from, else its channel's link.
std::string DocumentBase(Reading& reading, const ShownTree& tree,
                         const Channel& channel) {
  if (!reading.address().empty()) return reading.address();
  if (channel.atom) {
    const int link = AlternateLink(tree, channel.node, channel.in);
    const std::string written = reading.AttributeText(tree, link, "href");
    return reading.Link(tree, link, written, "");
  }
  const int link = channel.Find(tree, channel.in, "link");
  return reading.Link(tree, link, reading.Plain(tree, link), "");
}

std::string_view Capped(std::string_view content) {
  return content.substr(0, kDescriptionSourceLimit);
}

// Media RSS descriptions are plain text unless they say they are HTML.
Text MediaText(Reading& reading, const ShownTree& tree, int node) {
  const bool html =
      ToLowerAscii(reading.AttributeText(tree, node, "type")) == "html";
  return reading.RssText(tree, node,
                         html ? MarkupKind::kHtml : MarkupKind::kText);
}

void SetDescription(const ShownTree& tree, int node, Text text,
                    const std::string& document_base, ShownItem& item) {
  item.description = std::string(Capped(text.source));
  item.description_kind = text.kind;
  item.base = tree.BaseAt(node, document_base);
}

// The description of a media:group, or a media:description of the item's
// own.
int MediaDescription(const ShownTree& tree, int item, Find find = OwnChild) {
  const int grouped =
      tree.Child(find(tree, item, InMedia, "group"), InMedia, "description");
  if (grouped != kNoNode && !Trim(tree.Content(grouped)).empty()) {
    return grouped;
  }
  const int own = find(tree, item, InMedia, "description");
  return own != kNoNode && !Trim(tree.Content(own)).empty() ? own : kNoNode;
}

ShownItem ReadAtomEntry(Reading& reading, const ShownTree& tree, int entry,
                        const std::string& document_base) {
  ShownItem shown;
  const int title = tree.Child(entry, InAtomOrNone, "title");
  const Text title_text = reading.AtomText(tree, title);
  shown.title = ShownTitle(title_text.source, title_text.kind);
  const int date = FirstFilled(tree, entry, InAtomOrNone,
                               {"updated", "published", "modified", "issued"});
  if (date != kNoNode) {
    shown.date = AtomDisplayDate(reading.Plain(tree, date));
  }
  const int link = AlternateLink(tree, entry, InAtomOrNone);
  shown.link = reading.Link(
      tree, link, reading.AttributeText(tree, link, "href"), document_base);
  shown.id = reading.Plain(tree, tree.Child(entry, InAtomOrNone, "id"));
  int description =
      FirstFilled(tree, entry, InAtomOrNone, {"content", "summary"});
  Text text;
  if (description != kNoNode) {
    text = reading.AtomText(tree, description);
  } else {
    description = MediaDescription(tree, entry);
    if (description != kNoNode) text = MediaText(reading, tree, description);
  }
  SetDescription(tree, description, std::move(text), document_base, shown);
  return shown;
}

ShownItem ReadRssItem(Reading& reading, const ShownTree& tree, int item,
                      const std::string& document_base, Find find = OwnChild) {
  ShownItem shown;
  int title = FirstChild(tree, item, InRss, {"title"}, find);
  if (title == kNoNode) title = find(tree, item, InDc, "title");
  shown.title =
      ShownTitle(reading.Decode(tree.Content(title)), MarkupKind::kHtml);
  int date = FirstFilled(tree, item, InRss, {"pubDate"}, find);
  if (date == kNoNode) date = FirstFilled(tree, item, InDc, {"date"}, find);
  shown.date = Trim(FormatItemDate(reading.Plain(tree, date)));

  const int link = find(tree, item, InRss, "link");
  std::string written = reading.Plain(tree, link);
  if (written.empty()) written = reading.AttributeText(tree, link, "href");
  if (!written.empty()) {
    shown.link = reading.Link(tree, link, written, document_base);
  }
  const int guid = find(tree, item, InRss, "guid");
  shown.id = reading.Plain(tree, guid);
  // A permanent guid stands for the link an item does not give.
  if (link == kNoNode && guid != kNoNode &&
      reading.AttributeText(tree, guid, "isPermaLink") != "false" &&
      IsWebLink(shown.id)) {
    shown.link = shown.id;
  }

  // Where the text is, in order.
  int description = FirstFilled(tree, item, InRss, {"description"}, find);
  Text text;
  if (description != kNoNode) {
    text = reading.RssText(tree, description, MarkupKind::kHtml);
  } else if ((description = FirstFilled(tree, item, InContent, {"encoded"},
                                        find)) != kNoNode) {
    text = reading.RssText(tree, description, MarkupKind::kHtml);
  } else if ((description = MediaDescription(tree, item, find)) != kNoNode) {
    text = MediaText(reading, tree, description);
  } else if ((description = FirstFilled(tree, item, InItunes, {"summary"},
                                        find)) != kNoNode) {
    text = reading.RssText(tree, description, MarkupKind::kText);
  } else if ((description = FirstFilled(tree, item, InDc, {"description"},
                                        find)) != kNoNode) {
    text = reading.RssText(tree, description, MarkupKind::kHtml);
  }
  SetDescription(tree, description, std::move(text), document_base, shown);
  return shown;
}

ShownItem ReadEntry(Reading& reading, const ShownTree& tree, int node,
                    const std::string& document_base) {
  return IsAtomNamespace(tree.node(node).ns) || tree.node(node).local == "entry"
             ? ReadAtomEntry(reading, tree, node, document_base)
             : ReadRssItem(reading, tree, node, document_base);
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

// The stored reading's items, each read again from the received bytes
// with what is in effect where the document's items stand.
void ReadStoredItems(Reading& reading, const ShownTree& tree,
                     const std::string& document_base, bool first_item_only,
                     std::vector<ShownItem>& items, int& total) {
  const ItemLocations located =
      LocateItems(std::string(reading.text()), first_item_only);
  total = located.total;
  std::optional<RawPositions> positions;
  positions.emplace(reading.text(), located.cleaned,
                    located.utf8 ? TextForm::kUtf8 : TextForm::kSingleByte);
  items.reserve(located.items.size());
  for (const std::vector<CleanedRange>& ranges : located.items) {
    std::string text;
    try {
      text = ItemText(ranges, reading.text(), positions ? &*positions : nullptr,
                      located.cleaned);
    } catch (const std::logic_error&) {
      positions.reset();
      text = ItemText(ranges, reading.text(), nullptr, located.cleaned);
    }
    const ShownTree item_tree(text, tree.item_context());
    // The cut is one item; when it is something else (a document whose
    // items the stored reading cuts out of broken markup) its fields are
    // the first of their kind anywhere in it.
    items.push_back(item_tree.entries().empty()
                        ? ReadRssItem(reading, item_tree, item_tree.root(),
                                      document_base, Anywhere)
                        : ReadEntry(reading, item_tree,
                                    item_tree.entries().front(),
                                    document_base));
  }
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsAsciiDigit);
}

// A document's items as the stored reading finds them: it has an item tag.
bool HasStoredItems(std::string_view text) {
  return text.find("<item") != std::string_view::npos;
}

}  // namespace

ShownFeed ReadShownFeed(std::string_view document, std::string_view address) {
  ShownFeed feed;
  feed.window_title = kWindowTitlePrefix;
  try {
    Reading reading(document, address);
    const ShownTree tree(reading.text());
    const Channel channel = FindChannel(tree);
    feed.channel_title = ChannelTitle(reading, tree, channel);
    feed.window_title += feed.channel_title;
    const std::string base = DocumentBase(reading, tree, channel);
    if (HasStoredItems(reading.text()) || tree.entries().empty()) {
      ReadStoredItems(reading, tree, base, false, feed.items, feed.total);
      return feed;
    }
    feed.read_by_entries = true;
    feed.total = static_cast<int>(tree.entry_count());
    for (int entry : tree.entries()) {
      if (feed.items.size() >= static_cast<std::size_t>(kItemTableSize)) break;
      feed.items.push_back(ReadEntry(reading, tree, entry, base));
    }
  } catch (...) {
    // Like the readers, report nothing; what was read stays.
  }
  return feed;
}

ShownMarkup FormatShownItem(const ShownItem& item) {
  return FormatShownContent(item.description, item.description_kind, item.base);
}

ShownFirstItem ReadShownFirstItem(std::string_view document) {
  ShownFirstItem row;
  try {
    Reading reading(document, {});
    const ShownTree tree(reading.text());
    const Channel channel = FindChannel(tree);
    row.caption = ChannelTitle(reading, tree, channel);
    std::vector<ShownItem> items;
    int total = 0;
    if (HasStoredItems(reading.text())) {
      ReadStoredItems(reading, tree, {}, true, items, total);
    } else if (!tree.entries().empty()) {
      items.push_back(ReadEntry(reading, tree, tree.entries().front(), {}));
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
    Reading reading(document, {});
    const ShownTree tree(reading.text());
    return ChannelTitle(reading, tree, FindChannel(tree));
  } catch (...) {
    return {};
  }
}

ShownChannel ReadShownChannel(std::string_view document,
                              std::string_view address) {
  ShownChannel shown;
  try {
    Reading reading(document, address);
    const ShownTree tree(reading.text());
    const Channel channel = FindChannel(tree);
    shown.title = ChannelTitle(reading, tree, channel);
    const auto find = [&](std::initializer_list<std::string_view> names,
                          bool (*in)(FeedNamespace)) {
      for (std::string_view name : names) {
        const int found = channel.Find(tree, in, name);
        if (found != kNoNode) return found;
      }
      return kNoNode;
    };
    const auto text = [&](int node) {
      const Text t = channel.atom
                         ? reading.AtomText(tree, node)
                         : reading.RssText(tree, node, MarkupKind::kHtml);
      return FormatShownContent(t.source, t.kind).plain;
    };
    if (channel.atom) {
      const int link = AlternateLink(tree, channel.node, channel.in);
      shown.link =
          reading.Link(tree, link, reading.AttributeText(tree, link, "href"),
                       reading.address());
      shown.description = text(find({"subtitle", "tagline"}, channel.in));
      shown.copyright = text(find({"rights", "copyright"}, channel.in));
      shown.language = reading.AttributeText(tree, channel.node, "xml:lang");
      shown.last_build_date =
          reading.Plain(tree, find({"updated", "modified"}, channel.in));
      return shown;
    }
    const int link = find({"link"}, channel.in);
    shown.link =
        reading.Link(tree, link, reading.Plain(tree, link), reading.address());
    shown.description = text(find({"description"}, channel.in));
    int copyright = find({"copyright"}, channel.in);
    if (copyright == kNoNode) copyright = find({"rights"}, InDc);
    shown.copyright = text(copyright);
    int language = find({"language"}, channel.in);
    if (language == kNoNode) language = find({"language"}, InDc);
    shown.language = reading.Plain(tree, language);
    int built = find({"lastBuildDate"}, channel.in);
    if (built == kNoNode) built = find({"date"}, InDc);
    shown.last_build_date = reading.Plain(tree, built);
  } catch (...) {
  }
  return shown;
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
