// One linear pass over a feed document into the elements the shown reading
// looks at.
#include "reader/shown_tree.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "common/ascii.h"
#include "common/uri.h"

namespace rivolet {
namespace {

constexpr std::size_t kNone = std::string_view::npos;
// Elements open at once; deeper start tags (only a hostile document has
// them) are passed over with their end tags.
constexpr std::size_t kMaxDepth = 256;
// Elements kept, and how deep: the readings look at most at an item's
// media:group children (depth 5) and the xhtml div of an entry's content.
constexpr std::size_t kMaxNodes = 65536;
constexpr std::size_t kKeptDepth = 8;

bool IsNameStart(char c) {
  return IsAsciiLetter(c) || c == '_' || c == ':' ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool IsNameEnd(char c) {
  return IsXmlSpace(c) || c == '>' || c == '/' || c == '<';
}

// A prefix no declaration binds, as feeds often leave them: the namespace
// the prefix conventionally stands for.
FeedNamespace ConventionalPrefix(std::string_view prefix) {
  struct Known {
    std::string_view prefix;
    FeedNamespace ns;
  };
  static constexpr Known kKnown[] = {{"dc", FeedNamespace::kDc},
                                     {"dcterms", FeedNamespace::kDcTerms},
                                     {"content", FeedNamespace::kContent},
                                     {"media", FeedNamespace::kMedia},
                                     {"itunes", FeedNamespace::kItunes},
                                     {"atom", FeedNamespace::kAtom10},
                                     {"rdf", FeedNamespace::kRdf},
                                     {"xhtml", FeedNamespace::kXhtml},
                                     {"xml", FeedNamespace::kXml}};
  for (const Known& known : kKnown) {
    if (known.prefix == prefix) return known.ns;
  }
  return FeedNamespace::kOther;
}

}  // namespace

FeedNamespace NamespaceOf(std::string_view uri) {
  uri = TrimSpacesAndTabs(uri);
  struct Known {
    std::string_view uri;
    FeedNamespace ns;
  };
  static constexpr Known kKnown[] = {
      {"", FeedNamespace::kNone},
      {"http://backend.userland.com/rss2", FeedNamespace::kNone},
      {"http://blogs.law.harvard.edu/tech/rss", FeedNamespace::kNone},
      {"http://purl.org/rss/1.0/", FeedNamespace::kRss10},
      {"http://my.netscape.com/rdf/simple/0.9/", FeedNamespace::kRss090},
      {"http://www.w3.org/1999/02/22-rdf-syntax-ns#", FeedNamespace::kRdf},
      {"http://www.w3.org/2005/Atom", FeedNamespace::kAtom10},
      {"http://purl.org/atom/ns#", FeedNamespace::kAtom03},
      {"http://purl.org/dc/elements/1.1/", FeedNamespace::kDc},
      {"http://purl.org/dc/terms/", FeedNamespace::kDcTerms},
      {"http://purl.org/rss/1.0/modules/content/", FeedNamespace::kContent},
      {"http://search.yahoo.com/mrss/", FeedNamespace::kMedia},
      {"http://search.yahoo.com/mrss", FeedNamespace::kMedia},
      {"http://www.w3.org/1999/xhtml", FeedNamespace::kXhtml},
      {"http://www.w3.org/XML/1998/namespace", FeedNamespace::kXml},
  };
  for (const Known& known : kKnown) {
    if (known.uri == uri) return known.ns;
  }
  // The podcast namespace is written in more than one letter case.
  if (EqualsIgnoreCase(uri, "http://www.itunes.com/dtds/podcast-1.0.dtd")) {
    return FeedNamespace::kItunes;
  }
  return FeedNamespace::kOther;
}

bool IsRssNamespace(FeedNamespace ns) {
  return ns == FeedNamespace::kNone || ns == FeedNamespace::kRss10 ||
         ns == FeedNamespace::kRss090;
}

bool IsAtomNamespace(FeedNamespace ns) {
  return ns == FeedNamespace::kAtom10 || ns == FeedNamespace::kAtom03;
}

namespace {

// Calls visit(name, value) for each attribute of a start tag in turn, until
// it returns true; whether one did.
template <typename Visit>
bool VisitAttributes(std::string_view attributes, Visit&& visit) {
  std::size_t i = 0;
  const std::size_t n = attributes.size();
  while (i < n) {
    while (i < n && (IsXmlSpace(attributes[i]) || attributes[i] == '/')) ++i;
    const std::size_t name_begin = i;
    while (i < n && !IsXmlSpace(attributes[i]) && attributes[i] != '=') ++i;
    const std::string_view name = attributes.substr(name_begin, i - name_begin);
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
    if (visit(name, value)) return true;
  }
  return false;
}

}  // namespace

std::optional<std::string_view> FindAttribute(std::string_view attributes,
                                              std::string_view name) {
  std::optional<std::string_view> found;
  VisitAttributes(attributes,
                  [&](std::string_view attribute, std::string_view value) {
                    if (attribute != name) return false;
                    found = value;
                    return true;
                  });
  return found;
}

// Builds a tree in one pass over the text.
class ShownTreeBuilder {
 public:
  ShownTreeBuilder(ShownTree& tree, const ShownTree::Context& context)
      : tree_(tree), text_(tree.text_) {
    for (const auto& [prefix, ns] : context.prefixes) {
      prefixes_[prefix].push_back(ns);
    }
    for (const std::string& base : context.bases) {
      tree_.bases_.push_back({base_, base});
      base_ = static_cast<int>(tree_.bases_.size()) - 1;
    }
  }

  void Run() {
    std::size_t at = text_.find('<');
    while (at != kNone) {
      at = Markup(at);
      if (at == kNone || at >= text_.size()) break;
      at = text_.find('<', at);
    }
    while (!stack_.empty()) Pop(text_.size());
    if (!context_taken_) TakeContext();
  }

 private:
  struct Open {
    std::string_view qname;
    int node;  // ShownTree::kNoNode when not kept
    int last_child = ShownTree::kNoNode;
    bool entry;
    bool kept_inside;                        // its children may be kept
    std::vector<std::string_view> declared;  // prefixes it binds
    bool has_base;
  };

  // Handles the markup at text_[at] ("<"); returns where to look on from.
  std::size_t Markup(std::size_t at) {
    const std::string_view rest = text_.substr(at);
    if (rest.starts_with("<!--")) return After(at + 4, "-->");
    if (rest.starts_with("<![CDATA[")) return After(at + 9, "]]>");
    if (rest.starts_with("<?")) return After(at + 2, "?>");
    if (rest.starts_with("<!")) return Declaration(at);
    if (rest.starts_with("</")) return EndTag(at);
    if (rest.size() > 1 && IsNameStart(rest[1])) return StartTag(at);
    return at + 1;
  }

  std::size_t After(std::size_t from, std::string_view close) const {
    const std::size_t end = text_.find(close, from);
    return end == kNone ? kNone : end + close.size();
  }

  // A declaration: to its ">", past an internal subset in brackets.
  std::size_t Declaration(std::size_t at) const {
    const std::size_t close = text_.find('>', at);
    const std::size_t bracket = text_.find('[', at);
    if (close == kNone) return kNone;
    if (bracket == kNone || bracket > close) return close + 1;
    const std::size_t end = text_.find("]", bracket);
    if (end == kNone) return kNone;
    const std::size_t after = text_.find('>', end);
    return after == kNone ? kNone : after + 1;
  }

  std::size_t NameEnd(std::size_t from) const {
    while (from < text_.size() && !IsNameEnd(text_[from])) ++from;
    return from;
  }

  std::size_t EndTag(std::size_t at) {
    const std::size_t name_end = NameEnd(at + 2);
    const std::string_view qname = text_.substr(at + 2, name_end - at - 2);
    std::size_t close = name_end;
    while (close < text_.size() && text_[close] != '>' && text_[close] != '<')
      ++close;
    const auto open = open_names_.find(qname);
    if (open != open_names_.end() && open->second > 0) {
      // Everything opened since closes here with it.
      while (!stack_.empty()) {
        const bool matched = stack_.back().qname == qname;
        Pop(at);
        if (matched) break;
      }
    }
    return close < text_.size() && text_[close] == '>' ? close + 1 : close;
  }

  std::size_t StartTag(std::size_t at) {
    const std::size_t name_end = NameEnd(at + 1);
    const std::string_view qname = text_.substr(at + 1, name_end - at - 1);
    // The tag ends at its ">" outside quotes; a "<" (which no attribute
    // value may hold) ends a broken one, so no tag reads past the next.
    std::size_t i = name_end;
    char quote = 0;
    while (i < text_.size()) {
      const char c = text_[i];
      if (c == '<') break;
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        break;
      }
      ++i;
    }
    const bool closed = i < text_.size() && text_[i] == '>';
    bool empty = closed && i > name_end && text_[i - 1] == '/';
    const std::string_view attributes =
        text_.substr(name_end, i - name_end - (empty ? 1 : 0));
    const std::size_t content_begin = closed ? i + 1 : i;

    // The element's own declarations count for its own name.
    Open open{qname, ShownTree::kNoNode, ShownTree::kNoNode, false, false, {},
              false};
    const bool room = stack_.size() < kMaxDepth;
    std::string_view base_value;
    if (room) Declare(attributes, open, base_value);
    const std::size_t colon = qname.find(':');
    const std::string_view prefix =
        colon == kNone ? std::string_view() : qname.substr(0, colon);
    const std::string_view local =
        colon == kNone ? qname : qname.substr(colon + 1);
    const FeedNamespace ns = Resolve(prefix);
    open.entry = (local == "entry" &&
                  (IsAtomNamespace(ns) || ns == FeedNamespace::kNone)) ||
                 (local == "item" && IsRssNamespace(ns));
    if (open.entry && open_entries_ > 0) {
      // An entry that never ended ends where the next one begins.
      while (!stack_.empty()) {
        const bool was_entry = stack_.back().entry;
        Pop(at);
        if (was_entry) break;
      }
    }
    if (!room) return content_begin;
    if (!context_taken_ && open.entry) TakeContext();
    // Atom links are always empty; one written as an open tag is not the
    // parent of what follows it.
    if (local == "link" && IsAtomNamespace(ns)) empty = true;
    if (open.has_base) {
      tree_.bases_.push_back({base_, std::string(base_value)});
      base_ = static_cast<int>(tree_.bases_.size()) - 1;
    }

    const Open* parent = stack_.empty() ? nullptr : &stack_.back();
    const bool inside = parent == nullptr || parent->kept_inside;
    if (open.entry) ++tree_.entry_count_;
    const bool keep_entry =
        !open.entry || tree_.entries_.size() < ShownTree::kKeptEntries;
    if (inside && tree_.nodes_.size() < kMaxNodes &&
        stack_.size() < kKeptDepth && keep_entry) {
      ShownTree::Node node;
      node.ns = ns;
      node.local = local;
      node.attributes = attributes;
      node.begin = at;
      node.content_begin = content_begin;
      node.content_end = content_begin;
      node.base = base_;
      node.parent = parent == nullptr ? ShownTree::kNoNode : parent->node;
      open.node = static_cast<int>(tree_.nodes_.size());
      tree_.nodes_.push_back(node);
      if (parent == nullptr) {
        // Elements side by side at the top (a fragment, not a document)
        // follow one another as siblings.
        if (last_top_ != ShownTree::kNoNode) {
          tree_.nodes_[static_cast<std::size_t>(last_top_)].next_sibling =
              open.node;
        }
        last_top_ = open.node;
      } else {
        Open& p = stack_.back();
        if (p.last_child == ShownTree::kNoNode) {
          tree_.nodes_[static_cast<std::size_t>(p.node)].first_child =
              open.node;
        } else {
          tree_.nodes_[static_cast<std::size_t>(p.last_child)].next_sibling =
              open.node;
        }
        p.last_child = open.node;
      }
      if (open.entry) tree_.entries_.push_back(open.node);
      open.kept_inside = true;
    }
    stack_.push_back(std::move(open));
    ++open_names_[qname];
    if (stack_.back().entry) ++open_entries_;
    if (empty) Pop(content_begin);
    return content_begin;
  }

  // Reads the namespace declarations and xml:base of a start tag.
  void Declare(std::string_view attributes, Open& open,
               std::string_view& base_value) {
    VisitAttributes(
        attributes, [&](std::string_view name, std::string_view value) {
          if (name == "xmlns" || name.starts_with("xmlns:")) {
            const std::string_view prefix =
                name.size() > 5 ? name.substr(6) : std::string_view();
            prefixes_[std::string(prefix)].push_back(NamespaceOf(value));
            open.declared.push_back(prefix);
          } else if (name == "xml:base") {
            open.has_base = true;
            base_value = value;
          }
          return false;
        });
  }

  FeedNamespace Resolve(std::string_view prefix) const {
    const auto found = prefixes_.find(prefix);
    if (found != prefixes_.end() && !found->second.empty()) {
      return found->second.back();
    }
    return prefix.empty() ? FeedNamespace::kNone : ConventionalPrefix(prefix);
  }

  void Pop(std::size_t content_end) {
    Open& open = stack_.back();
    if (open.node != ShownTree::kNoNode) {
      tree_.nodes_[static_cast<std::size_t>(open.node)].content_end = std::max(
          content_end,
          tree_.nodes_[static_cast<std::size_t>(open.node)].content_begin);
    }
    for (std::string_view prefix : open.declared) {
      prefixes_.find(prefix)->second.pop_back();
    }
    if (open.has_base)
      base_ = tree_.bases_[static_cast<std::size_t>(base_)].outer;
    --open_names_[open.qname];
    if (open.entry) --open_entries_;
    stack_.pop_back();
  }

  // The prefixes bound and the bases in effect here, for items read on
  // their own.
  void TakeContext() {
    context_taken_ = true;
    ShownTree::Context& context = tree_.item_context_;
    for (const auto& [prefix, bound] : prefixes_) {
      if (!bound.empty()) context.prefixes.push_back({prefix, bound.back()});
    }
    for (int at = base_; at >= 0;
         at = tree_.bases_[static_cast<std::size_t>(at)].outer) {
      context.bases.push_back(tree_.bases_[static_cast<std::size_t>(at)].value);
    }
    std::reverse(context.bases.begin(), context.bases.end());
  }

  ShownTree& tree_;
  std::string_view text_;
  std::vector<Open> stack_;
  std::unordered_map<std::string_view, int> open_names_;
  std::map<std::string, std::vector<FeedNamespace>, std::less<>> prefixes_;
  int base_ = -1;
  int last_top_ = ShownTree::kNoNode;
  int open_entries_ = 0;
  bool context_taken_ = false;
};

ShownTree::ShownTree(std::string_view text, const Context& context)
    : text_(text) {
  ShownTreeBuilder(*this, context).Run();
}

int ShownTree::Child(int parent, FeedNamespace ns,
                     std::string_view local) const {
  if (parent == kNoNode) return kNoNode;
  for (int child = node(parent).first_child; child != kNoNode;
       child = node(child).next_sibling) {
    if (node(child).ns == ns && node(child).local == local) return child;
  }
  return kNoNode;
}

int ShownTree::Child(int parent, bool (*in)(FeedNamespace),
                     std::string_view local) const {
  if (parent == kNoNode) return kNoNode;
  for (int child = node(parent).first_child; child != kNoNode;
       child = node(child).next_sibling) {
    if (in(node(child).ns) && node(child).local == local) return child;
  }
  return kNoNode;
}

int ShownTree::FindAnywhere(bool (*in)(FeedNamespace),
                            std::string_view local) const {
  // The nodes are kept in document order.
  for (std::size_t at = 0; at < nodes_.size(); ++at) {
    if (in(nodes_[at].ns) && nodes_[at].local == local) {
      return static_cast<int>(at);
    }
  }
  return kNoNode;
}

int ShownTree::FindOutsideEntries(bool (*in)(FeedNamespace),
                                  std::string_view local) const {
  std::vector<int> pending;
  for (int top = root(); top != kNoNode; top = node(top).next_sibling) {
    pending.push_back(top);
  }
  std::reverse(pending.begin(), pending.end());
  while (!pending.empty()) {
    const int at = pending.back();
    pending.pop_back();
    const Node& n = node(at);
    if (in(n.ns) && n.local == local) return at;
    const bool entry = (n.local == "entry" && IsAtomNamespace(n.ns)) ||
                       (n.local == "item" && IsRssNamespace(n.ns));
    if (entry) continue;
    // Children in document order: pushed last to first.
    std::vector<int> children;
    for (int child = n.first_child; child != kNoNode;
         child = node(child).next_sibling) {
      children.push_back(child);
    }
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  return kNoNode;
}

std::string_view ShownTree::Content(int index) const {
  if (index == kNoNode) return {};
  const Node& n = node(index);
  return text_.substr(n.content_begin, n.content_end - n.content_begin);
}

std::optional<std::string_view> ShownTree::Attribute(
    int index, std::string_view name) const {
  if (index == kNoNode) return std::nullopt;
  return FindAttribute(node(index).attributes, name);
}

std::string ShownTree::BaseAt(int index, std::string_view document_base) const {
  std::vector<const std::string*> chain;
  for (int at = index == kNoNode ? -1 : node(index).base; at >= 0;
       at = bases_[static_cast<std::size_t>(at)].outer) {
    chain.push_back(&bases_[static_cast<std::size_t>(at)].value);
  }
  std::string base(document_base);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    const std::string_view value = TrimSpacesAndTabs(**it);
    if (std::optional<std::string> resolved = ResolveReference(base, value)) {
      base = std::move(*resolved);
    } else {
      // A relative base with nothing to resolve it against: none yet.
      base.clear();
    }
  }
  return base;
}

}  // namespace rivolet
