// OPML, the file feed readers exchange their subscriptions in: reading one
// into the feed list and writing the feed list as one.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "feeds/feed_list.h"

namespace rivolet {

// An OPML file comes from anywhere. Larger files, deeper nesting and more
// outlines than these are refused whole.
inline constexpr std::size_t kMaxOpmlFileSize = 64u * 1024 * 1024;
inline constexpr std::size_t kMaxOpmlDepth = 100;  // elements open at once
inline constexpr std::size_t kMaxOpmlOutlines = 100000;
// What the feed list file keeps of a text; an outline with a longer one is
// refused by the import, never stored cut.
inline constexpr std::size_t kMaxOpmlTextSize = 255;

// The namespace of our own attributes; other readers ignore them. Our
// export gives each feed its update period as `rivolet:period`.
inline constexpr char kOpmlNamespace[] = "urn:rivolet:opml";

// The update period an import gives feeds when none is asked for.
inline constexpr char kDefaultOpmlPeriod[] = "60";

// One feed of an OPML document; texts in Windows-1250.
struct OpmlFeed {
  std::string name;
  std::string category;
  std::string url;
  std::optional<std::string> period;  // our own attribute, when present
  // The name and the category as the file wrote them (UTF-8) where the
  // code page cannot keep every letter of them; empty otherwise.
  std::string name_as_written = {};
  std::string category_as_written = {};

  friend bool operator==(const OpmlFeed&, const OpmlFeed&) = default;
};

// Why a document was refused.
enum class OpmlRefusal {
  kNotOpml,          // not well-formed XML, no <opml> root, an entity
                     // declaration, too big or too deep
  kTooManyOutlines,  // more than kMaxOpmlOutlines
};

// The feeds of an OPML document in document order, or nothing when it is
// refused (a document type with an internal subset among the reasons), with
// the reason in `why` when given.
//
// Every <outline> under <body> with a non-blank xmlUrl is a feed. Its name is
// its title, else its text, else the address (the first that is not blank).
// Its category is the text (else the title) of the nearest enclosing outline
// without xmlUrl that has a non-blank one; without such an outline it is
// kNoCategoryText. Texts are kept as written, converted to Windows-1250
// ('?' for what the code page lacks), whole.
// The document may be UTF-8 or UTF-16 (with or without a byte order mark),
// or declare Windows-1250, ISO-8859-1 or another single-byte encoding that
// iconv knows.
std::optional<std::vector<OpmlFeed>> ParseOpml(std::string_view document,
                                               OpmlRefusal* why = nullptr);

struct OpmlImportCounts {
  std::size_t added = 0;
  std::size_t already_there = 0;
  std::size_t refused = 0;
  std::vector<std::string> refused_addresses;  // as the file gives them

  friend bool operator==(const OpmlImportCounts&,
                         const OpmlImportCounts&) = default;
};

// Whether an address may be stored: the New feed dialog's rule.
using AddressRule = std::function<bool(std::string_view)>;

// The feed brings a period of its own that the list can keep: one to five
// digits, or empty (never updated). Any other is as good as none.
bool HasOwnPeriod(const OpmlFeed& feed);

// Appends the feeds, in order, to the end of `list`, each with its address
// and name trimmed (a name left empty is the address), its own period when
// HasOwnPeriod and `period` otherwise (empty: never updated). Refused and
// listed: an address `is_address` refuses, and a name, category or address
// too long for the list (kMaxOpmlTextSize). A feed whose address is already
// in the list, or came earlier in `feeds`, by the Catalogue's containment
// test (IsCatalogueDuplicate), is not appended.
OpmlImportCounts AddOpmlFeeds(const std::vector<OpmlFeed>& feeds,
                              std::string_view period, FeedList& list,
                              const AddressRule& is_address);

// The feeds of the OPML file `file` (at most kMaxOpmlFileSize bytes). Fails
// with "This OPML file has too many outlines: <path>" beyond the cap of
// outlines, and with "This is not an OPML file: <path>" when the file
// cannot be read or is not OPML.
std::vector<OpmlFeed> ReadOpmlFile(const std::filesystem::path& file);

// Reads the OPML file `file` and adds its feeds as AddOpmlFeeds does. Fails
// as ReadOpmlFile; nothing is added then.
OpmlImportCounts ImportOpmlFile(const std::filesystem::path& file,
                                std::string_view period, FeedList& list,
                                const AddressRule& is_address);

// The list as an OPML 2.0 document in UTF-8: one outline per category, in
// the order categories first occur (exact text, so "Tech" and "tech" are
// two), holding one outline per feed in list order with its name as text
// and title, its URL and its period. Reading it back gives every entry's
// name, category, period and URL, grouped by category. A name or category
// that is blank comes back as ParseOpml fills it, and control characters
// that XML cannot carry come back as '?'.
std::string WriteOpml(const FeedList& list);

// Writes WriteOpml(list) to `file` whole or not at all. Fails with "Cannot
// create file <path>"; the file is then unchanged.
void ExportOpmlFile(const FeedList& list, const std::filesystem::path& file);

}  // namespace rivolet
