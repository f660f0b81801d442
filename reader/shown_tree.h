// The shape of a feed document as the shown reading sees it: its elements,
// each known by its namespace and local name whatever prefix the document
// binds, with their attributes, content and the xml:base in effect. One
// pass over the text, tolerant of what real feeds get wrong, and linear
// whatever the input: an element ends at its end tag or when an ancestor
// ends, an entry (item) also where the next one starts, and only what the
// readings look at is kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rivolet {

// The vocabularies the shown reading reads.
enum class FeedNamespace : std::uint8_t {
  kNone,     // no namespace: RSS 0.9x and 2.0
  kRss10,    // http://purl.org/rss/1.0/
  kRss090,   // http://my.netscape.com/rdf/simple/0.9/
  kRdf,      // the RDF syntax
  kAtom10,   // http://www.w3.org/2005/Atom
  kAtom03,   // http://purl.org/atom/ns#
  kDc,       // Dublin Core elements
  kDcTerms,  // Dublin Core terms
  kContent,  // RSS 1.0 content module (content:encoded)
  kMedia,    // Media RSS
  kItunes,   // the podcast tags
  kXhtml,    // http://www.w3.org/1999/xhtml
  kXml,      // the xml: prefix
  kOther,    // any other namespace, or a prefix bound to none
};

// The namespace a URI names.
FeedNamespace NamespaceOf(std::string_view uri);

// What an element is to the readings.
bool IsRssNamespace(FeedNamespace ns);   // none, RSS 1.0 or 0.90
bool IsAtomNamespace(FeedNamespace ns);  // Atom 1.0 or 0.3

class ShownTree {
 public:
  static constexpr int kNoNode = -1;
  // Entries (items) whose inside is kept; later ones are only counted.
  static constexpr std::size_t kKeptEntries = 100;

  struct Node {
    FeedNamespace ns = FeedNamespace::kNone;
    std::string_view local;       // the local name as written
    std::string_view attributes;  // the start tag's attribute text
    std::size_t begin = 0;        // its "<"
    std::size_t content_begin = 0;
    std::size_t content_end = 0;  // where its end tag (or its end) begins
    int parent = kNoNode;
    int first_child = kNoNode;
    int next_sibling = kNoNode;
    int base = -1;  // the xml:base in effect (an index of bases_), -1: none
  };

  // What a scan starts from: prefixes bound and xml:base in effect outside
  // the text (the ancestors of an item read on its own).
  struct Context {
    std::vector<std::pair<std::string, FeedNamespace>> prefixes;
    std::vector<std::string> bases;  // outermost first, each as written
  };

  // Scans `text`, which must outlive the tree.
  explicit ShownTree(std::string_view text, const Context& context = {});

  std::string_view text() const { return text_; }
  const Node& node(int index) const {
    return nodes_[static_cast<std::size_t>(index)];
  }
  // The outermost element, kNoNode when there is none. Further elements at
  // the top, if any, are its next siblings.
  int root() const { return nodes_.empty() ? kNoNode : 0; }

  // The entries (Atom) or items (RSS) of the document, wherever they stand,
  // in document order: the first kKeptEntries with their insides, and how
  // many there are in all.
  const std::vector<int>& entries() const { return entries_; }
  std::size_t entry_count() const { return entry_count_; }
  // The context in effect where the first item or channel begins.
  const Context& item_context() const { return item_context_; }

  // The first child of `parent` in `ns` named `local` (one of `names`),
  // kNoNode when it has none.
  int Child(int parent, FeedNamespace ns, std::string_view local) const;
  int Child(int parent, bool (*in)(FeedNamespace),
            std::string_view local) const;
  // The first element named `local` in any of the namespaces `in` takes,
  // anywhere in document order outside entries and items.
  int FindOutsideEntries(bool (*in)(FeedNamespace),
                         std::string_view local) const;
  // The same anywhere in the text, entries and items included.
  int FindAnywhere(bool (*in)(FeedNamespace), std::string_view local) const;

  // The raw content of a node and its attribute (as written, undecoded).
  std::string_view Content(int index) const;
  std::optional<std::string_view> Attribute(int index,
                                            std::string_view name) const;

  // The base address in effect at a node: its xml:base values, innermost
  // last, resolved against each other and then against `document_base`.
  // Empty when there is none to be had.
  std::string BaseAt(int index, std::string_view document_base) const;

 private:
  struct Base {
    int outer;  // the base it resolves against, -1: the document's
    std::string value;
  };
  friend class ShownTreeBuilder;

  std::string_view text_;
  std::vector<Node> nodes_;
  std::vector<Base> bases_;
  std::vector<int> entries_;
  std::size_t entry_count_ = 0;
  Context item_context_;
};

// The raw value of attribute `name` (as written, "xml:lang" with its
// prefix) in a start tag's attribute text.
std::optional<std::string_view> FindAttribute(std::string_view attributes,
                                              std::string_view name);

}  // namespace rivolet
