// Reading OPML with expat and writing it back out.
//
// Expat is a small streaming parser that never loads anything from outside
// the document, and since 2.4 it limits entity expansion itself. We go
// further and refuse any entity declaration, so no entity is ever expanded.
#include "feeds/opml.h"

#include <expat.h>
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <utility>

#include "common/ascii.h"
#include "common/codepage.h"
#include "common/error.h"
#include "common/file_io.h"
#include "common/text.h"
#include "common/xml_text.h"
#include "feeds/feed_rules.h"

namespace rivolet {
namespace {

// Expat names an element or attribute of a namespace "<namespace>|<name>";
// names cannot hold the separator, so the last one splits them.
constexpr char kNamespaceSeparator = '|';

// An attribute value as the feed list keeps it.
// A text in the form the list keeps (Windows-1250), whole: one that does not
// fit is refused by the import, never cut.
std::string Stored(std::string_view utf8) { return Utf8ToCp1250Lenient(utf8); }

// The list's update periods: one to five digits, or none (never updated,
// as our own export writes it).
bool IsPeriod(std::string_view text) {
  return text.size() <= 5 &&
         std::all_of(text.begin(), text.end(), IsAsciiDigit);
}

// The Unicode characters of a single-byte encoding as iconv knows it, for
// the 256 bytes in turn: -1 for a byte that is no character. False for an
// unknown encoding, a name that is not plainly a name, or an encoding that
// takes more than one byte for a character.
bool SingleByteMap(std::string_view name, int (&map)[256]) {
  if (name.empty() || name.size() > 40) return false;
  for (char c : name) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                       IsAsciiDigit(c) || c == '-' || c == '_' || c == '.' ||
                       c == ':';
    if (!plain) return false;
  }
  const std::string from(name);
  iconv_t cd = ::iconv_open("UTF-32LE", from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  bool single_byte = true;
  for (int b = 0; b < 256 && single_byte; ++b) {
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in = static_cast<char>(b);
    char* in_at = &in;
    std::size_t in_left = 1;
    unsigned char out[16];
    char* out_at = reinterpret_cast<char*>(out);
    std::size_t out_left = sizeof out;
    if (::iconv(cd, &in_at, &in_left, &out_at, &out_left) ==
        static_cast<std::size_t>(-1)) {
      map[b] = -1;
      single_byte = errno == EILSEQ;
    } else if (sizeof out - out_left == 4) {
      const std::uint32_t cp = out[0] | (out[1] << 8) | (out[2] << 16) |
                               (static_cast<std::uint32_t>(out[3]) << 24);
      const bool usable = cp < 0x10000 && !(cp >= 0xD800 && cp <= 0xDFFF);
      map[b] = usable ? static_cast<int>(cp) : -1;
    } else {
      single_byte = false;  // a shift byte, or more than one character
    }
  }
  ::iconv_close(cd);
  return single_byte;
}

// Encodings expat does not know itself. Windows-1250 comes from our own
// table, so its bytes read exactly as the rest of the program reads them.
int XMLCALL OnUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
  info->data = nullptr;
  info->convert = nullptr;
  info->release = nullptr;
  if (EqualsIgnoreCase(name, "windows-1250") ||
      EqualsIgnoreCase(name, "cp1250") || EqualsIgnoreCase(name, "x-cp1250")) {
    for (int b = 0; b < 256; ++b) {
      info->map[b] =
          static_cast<int>(Cp1250ToUnicode(static_cast<unsigned char>(b)));
    }
    return XML_STATUS_OK;
  }
  return SingleByteMap(name, info->map) ? XML_STATUS_OK : XML_STATUS_ERROR;
}

class OpmlReader {
 public:
  std::optional<std::vector<OpmlFeed>> Read(std::string_view document,
                                            OpmlRefusal* why) {
    if (document.size() > kMaxOpmlFileSize) {
      if (why != nullptr) *why = OpmlRefusal::kNotOpml;
      return std::nullopt;
    }
    std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(
        XML_ParserCreateNS(nullptr, kNamespaceSeparator), &XML_ParserFree);
    if (!parser) return std::nullopt;
    parser_ = parser.get();
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, &OnStart, &OnEnd);
    XML_SetEntityDeclHandler(parser_, &OnEntityDecl);
    XML_SetStartDoctypeDeclHandler(parser_, &OnDoctype);
    XML_SetUnknownEncodingHandler(parser_, &OnUnknownEncoding, nullptr);
    XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
    const XML_Status status = XML_Parse(
        parser_, document.data(), static_cast<int>(document.size()), XML_TRUE);
    if (status != XML_STATUS_OK || refused_ || !seen_root_) {
      if (why != nullptr) *why = refusal_;
      return std::nullopt;
    }
    return std::move(feeds_);
  }

 private:
  enum class Kind { kOther, kOpml, kBody, kOutline };

  struct Frame {
    Kind kind = Kind::kOther;
    // The open outline whose name is the category here, or kNoFolder.
    std::size_t folder = kNoFolder;
    std::string name;                  // a folder's name, as stored
    std::string name_as_written = {};  // when the name loses letters
  };
  static constexpr std::size_t kNoFolder = static_cast<std::size_t>(-1);

  struct OutlineAttributes {
    const char* text = nullptr;
    const char* title = nullptr;
    const char* xml_url = nullptr;
    const char* period = nullptr;
  };

  static void XMLCALL OnStart(void* self, const XML_Char* name,
                              const XML_Char** attributes) {
    static_cast<OpmlReader*>(self)->Start(name, attributes);
  }
  static void XMLCALL OnEnd(void* self, const XML_Char*) {
    auto* reader = static_cast<OpmlReader*>(self);
    if (!reader->open_.empty()) reader->open_.pop_back();
  }
  static void XMLCALL OnEntityDecl(void* self, const XML_Char*, int,
                                   const XML_Char*, int, const XML_Char*,
                                   const XML_Char*, const XML_Char*,
                                   const XML_Char*) {
    static_cast<OpmlReader*>(self)->Refuse();
  }

  // A document type of its own can give every outline an address by
  // default (an attribute list): refused whole, as entities are.
  static void XMLCALL OnDoctype(void* self, const XML_Char*, const XML_Char*,
                                const XML_Char*, int has_internal_subset) {
    if (has_internal_subset) static_cast<OpmlReader*>(self)->Refuse();
  }

  void Refuse() {
    refused_ = true;
    XML_StopParser(parser_, XML_FALSE);
  }

  void Start(std::string_view name, const XML_Char** attributes) {
    if (refused_) return;
    if (open_.size() >= kMaxOpmlDepth) return Refuse();
    if (open_.empty()) {
      // The root: <opml>, in whatever namespace the document gives it.
      const std::size_t split = name.rfind(kNamespaceSeparator);
      const std::string_view local =
          split == std::string_view::npos ? name : name.substr(split + 1);
      if (local != "opml") return Refuse();
      seen_root_ = true;
      prefix_ = name.substr(0, name.size() - local.size());
      open_.push_back({Kind::kOpml, kNoFolder, {}});
      return;
    }
    const Frame& parent = open_.back();
    Frame frame{Kind::kOther, parent.folder, {}};
    if (parent.kind == Kind::kOpml && IsNamed(name, "body")) {
      frame.kind = Kind::kBody;
    } else if ((parent.kind == Kind::kBody || parent.kind == Kind::kOutline) &&
               IsNamed(name, "outline")) {
      if (++outlines_ > kMaxOpmlOutlines) {
        refusal_ = OpmlRefusal::kTooManyOutlines;
        return Refuse();
      }
      frame.kind = Kind::kOutline;
      Outline(ReadAttributes(attributes), frame);
    }
    open_.push_back(std::move(frame));
  }

  bool IsNamed(std::string_view name, std::string_view local) const {
    return name.size() == prefix_.size() + local.size() &&
           name.starts_with(prefix_) && name.ends_with(local);
  }

  static OutlineAttributes ReadAttributes(const XML_Char** attributes) {
    static const std::string kPeriod =
        std::string(kOpmlNamespace) + kNamespaceSeparator + "period";
    OutlineAttributes found;
    for (std::size_t i = 0; attributes[i] != nullptr; i += 2) {
      const std::string_view name = attributes[i];
      const char* value = attributes[i + 1];
      if (name == kPeriod) {
        found.period = value;
      } else if (EqualsIgnoreCase(name, "text")) {
        found.text = value;
      } else if (EqualsIgnoreCase(name, "title")) {
        found.title = value;
      } else if (EqualsIgnoreCase(name, "xmlUrl")) {
        found.xml_url = value;
      }
    }
    return found;
  }

  // A text in the form the list keeps, and as written where that loses
  // letters.
  struct Given {
    std::string stored;
    std::string written;
  };

  // The first of the texts that is given and not blank as the list keeps
  // it.
  static std::optional<Given> FirstGiven(const char* a, const char* b) {
    for (const char* text : {a, b}) {
      if (text == nullptr) continue;
      std::string stored = Stored(text);
      if (Trim(stored).empty()) continue;
      const bool loses = Cp1250ToUtf8(stored) != text;
      return Given{std::move(stored), loses ? text : ""};
    }
    return std::nullopt;
  }

  // An outline is a feed when it has an address, otherwise a folder whose
  // name (when it has one) is the category of the feeds inside it.
  void Outline(const OutlineAttributes& found, Frame& frame) {
    std::string url = found.xml_url ? Stored(found.xml_url) : std::string();
    if (Trim(url).empty()) {
      if (std::optional<Given> name = FirstGiven(found.text, found.title)) {
        frame.name = std::move(name->stored);
        frame.name_as_written = std::move(name->written);
        frame.folder = open_.size();
      }
      return;
    }
    OpmlFeed feed;
    if (std::optional<Given> name = FirstGiven(found.title, found.text)) {
      feed.name = std::move(name->stored);
      feed.name_as_written = std::move(name->written);
    } else {
      feed.name = url;
    }
    feed.url = std::move(url);
    if (frame.folder == kNoFolder) {
      feed.category = kNoCategoryText;
    } else {
      feed.category = open_[frame.folder].name;
      feed.category_as_written = open_[frame.folder].name_as_written;
    }
    if (found.period != nullptr) feed.period = Stored(found.period);
    feeds_.push_back(std::move(feed));
  }

  XML_Parser parser_ = nullptr;
  std::vector<Frame> open_;
  std::vector<OpmlFeed> feeds_;
  std::size_t outlines_ = 0;
  std::string prefix_;  // the root's namespace and the separator, or nothing
  bool seen_root_ = false;
  bool refused_ = false;
  OpmlRefusal refusal_ = OpmlRefusal::kNotOpml;
};

// `text` (Windows-1250) as the UTF-8 of an attribute value.
void AppendAttribute(std::string& out, std::string_view text) {
  AppendXmlEscaped(out, Cp1250ToUtf8(text), XmlPlace::kAttribute);
}

std::string_view FieldText(const FeedEntry& e, std::size_t k) {
  return k < e.fields.size() ? std::string_view(e.fields[k])
                             : std::string_view();
}

}  // namespace

std::optional<std::vector<OpmlFeed>> ParseOpml(std::string_view document,
                                               OpmlRefusal* why) {
  return OpmlReader().Read(document, why);
}

OpmlImportCounts AddOpmlFeeds(const std::vector<OpmlFeed>& feeds,
                              std::string_view period, FeedList& list,
                              const AddressRule& is_address) {
  OpmlImportCounts counts;
  std::vector<OpmlFeed> taken;
  taken.reserve(feeds.size());
  for (const OpmlFeed& feed : feeds) {
    OpmlFeed entry;
    entry.url = Trim(feed.url);
    entry.name = Trim(feed.name);
    if (entry.name.empty()) entry.name = entry.url;
    entry.category = feed.category;
    if (!is_address(entry.url) || entry.url.size() > kMaxOpmlTextSize ||
        entry.name.size() > kMaxOpmlTextSize ||
        entry.category.size() > kMaxOpmlTextSize) {
      ++counts.refused;
      counts.refused_addresses.push_back(feed.url);
      continue;
    }
    entry.period = HasOwnPeriod(feed) ? feed.period : std::nullopt;
    taken.push_back(std::move(entry));
  }
  std::vector<std::string> urls;
  urls.reserve(taken.size());
  for (const OpmlFeed& feed : taken) urls.push_back(feed.url);
  const std::vector<bool> duplicate = CatalogueDuplicates(list, urls);
  for (std::size_t i = 0; i < taken.size(); ++i) {
    if (duplicate[i]) {
      ++counts.already_there;
      continue;
    }
    const OpmlFeed& feed = taken[i];
    list.Append(feed.name, feed.category,
                feed.period ? *feed.period : std::string(period), feed.url);
    ++counts.added;
  }
  return counts;
}

bool HasOwnPeriod(const OpmlFeed& feed) {
  return feed.period && IsPeriod(*feed.period);
}

std::vector<OpmlFeed> ReadOpmlFile(const std::filesystem::path& file) {
  std::optional<std::vector<OpmlFeed>> feeds;
  OpmlRefusal why = OpmlRefusal::kNotOpml;
  try {
    feeds = ParseOpml(ReadWholeFile(file, kMaxOpmlFileSize), &why);
  } catch (const Error&) {
  }
  if (!feeds && why == OpmlRefusal::kTooManyOutlines) {
    throw Error("This OPML file has too many outlines: " + file.string());
  }
  if (!feeds) throw Error("This is not an OPML file: " + file.string());
  return std::move(*feeds);
}

OpmlImportCounts ImportOpmlFile(const std::filesystem::path& file,
                                std::string_view period, FeedList& list,
                                const AddressRule& is_address) {
  return AddOpmlFeeds(ReadOpmlFile(file), period, list, is_address);
}

std::string WriteOpml(const FeedList& list) {
  // Categories in the order they first occur, each with its feeds.
  std::vector<std::string_view> categories;
  std::unordered_map<std::string_view, std::vector<const FeedEntry*>> feeds;
  for (const FeedEntry& e : list.entries()) {
    auto& members = feeds[FieldText(e, 0)];
    if (members.empty()) categories.push_back(FieldText(e, 0));
    members.push_back(&e);
  }

  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<opml version=\"2.0\" xmlns:rivolet=\"";
  out += kOpmlNamespace;
  out +=
      "\">\n"
      "  <head>\n"
      "    <title>Rivolet</title>\n"
      "  </head>\n"
      "  <body>\n";
  for (std::string_view category : categories) {
    out += "    <outline text=\"";
    AppendAttribute(out, category);
    out += "\" title=\"";
    AppendAttribute(out, category);
    out += "\">\n";
    for (const FeedEntry* e : feeds[category]) {
      out += "      <outline type=\"rss\" text=\"";
      AppendAttribute(out, e->name);
      out += "\" title=\"";
      AppendAttribute(out, e->name);
      out += "\" xmlUrl=\"";
      AppendAttribute(out, FieldText(*e, 2));
      out += "\" rivolet:period=\"";
      AppendAttribute(out, FieldText(*e, 1));
      out += "\"/>\n";
    }
    out += "    </outline>\n";
  }
  out +=
      "  </body>\n"
      "</opml>\n";
  return out;
}

void ExportOpmlFile(const FeedList& list, const std::filesystem::path& file) {
  WriteFileAtomically(file, WriteOpml(list));
}

}  // namespace rivolet
