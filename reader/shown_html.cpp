// The reduction of a description's HTML to what the item view shows. Gumbo
// builds the tree; we walk it with a stack of our own (trees may be 100,000
// elements deep) and write the plain and the rich form side by side.
#include "reader/shown_html.h"

#include <gumbo.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <optional>
#include <vector>

#include "common/ascii.h"
#include "common/links.h"
#include "common/uri.h"
#include "common/xml_text.h"
#include "reader/shown_text.h"

namespace rivolet {
namespace {

constexpr std::size_t kParseLimit = 512 * 1024;
constexpr std::size_t kTagLimit = 4096;
constexpr std::size_t kArenaBudget = 32u * 1024 * 1024;
constexpr std::size_t kArenaBlock = 256 * 1024;
// A prefix the parser gave up on is tried again at a quarter of its size,
// down to this.
constexpr std::size_t kSmallestRetry = 1024;
// Longer link addresses are shown as text only.
constexpr std::size_t kLinkLimit = 4096;
constexpr char kWrappingPre[] = "<pre style=\"white-space: pre-wrap\">";
constexpr char kEllipsis[] = "...";

// Gumbo's memory, taken in blocks and given back all at once: the parser
// never needs its tree freed node by node (which it does recursively), and
// a hostile document that would make it grow past the budget ends the parse
// by a jump back to ParseWithin. Gumbo is C and keeps nothing between calls,
// so leaving it that way abandons only memory that this arena owns.
class ParseArena {
 public:
  ParseArena() = default;
  ParseArena(const ParseArena&) = delete;
  ParseArena& operator=(const ParseArena&) = delete;
  ~ParseArena() {
    while (blocks_ != nullptr) {
      Block* next = blocks_->next;
      std::free(blocks_);
      blocks_ = next;
    }
  }

  static void* Allocate(void* userdata, size_t size) {
    auto* arena = static_cast<ParseArena*>(userdata);
    size = (size + 15) & ~std::size_t{15};
    if (size > kArenaBlock / 4) return arena->NewBlock(size);
    if (size > arena->left_) {
      arena->cursor_ = static_cast<char*>(arena->NewBlock(kArenaBlock));
      arena->left_ = kArenaBlock;
    }
    void* at = arena->cursor_;
    arena->cursor_ += size;
    arena->left_ -= size;
    return at;
  }

  static void Deallocate(void*, void*) {}

  std::jmp_buf escape;

 private:
  struct alignas(16) Block {
    Block* next;
  };

  void* NewBlock(std::size_t size) {
    if (size > kArenaBudget - used_) std::longjmp(escape, 1);
    void* raw = std::malloc(sizeof(Block) + size);
    if (raw == nullptr) std::longjmp(escape, 1);
    used_ += size;
    auto* block = static_cast<Block*>(raw);
    block->next = blocks_;
    blocks_ = block;
    return block + 1;
  }

  Block* blocks_ = nullptr;
  char* cursor_ = nullptr;
  std::size_t left_ = 0;
  std::size_t used_ = 0;
};

// Nothing in this frame needs destroying, so the jump back is sound.
GumboOutput* ParseWithin(ParseArena& arena, const char* data,
                         std::size_t size) {
  GumboOptions options = kGumboDefaultOptions;
  options.allocator = &ParseArena::Allocate;
  options.deallocator = &ParseArena::Deallocate;
  options.userdata = &arena;
  // Recording errors costs memory in proportion to the tree's depth.
  options.max_errors = 0;
  options.fragment_context = GUMBO_TAG_DIV;
  options.fragment_namespace = GUMBO_NAMESPACE_HTML;
  if (setjmp(arena.escape) != 0) return nullptr;
  return gumbo_parse_with_options(&options, data, size);
}

// Where a prefix of at most `limit` bytes should end: before a tag near the
// limit, else on a character boundary.
std::size_t CutNear(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  const std::size_t floor = limit > 4096 ? limit - 4096 : 0;
  const std::size_t tag = text.rfind('<', limit);
  if (tag != std::string_view::npos && tag >= floor && tag > 0) return tag;
  return Utf8Prefix(text, limit).size();
}

// The part of the source the parser gets; `cut` when some is left out.
std::string_view ParsePrefix(std::string_view html, bool& cut) {
  std::string_view prefix = html.substr(0, CutNear(html, kParseLimit));
  std::size_t tags = 0;
  for (std::size_t at = prefix.find('<'); at != std::string_view::npos;
       at = prefix.find('<', at + 1)) {
    if (at + 1 < prefix.size() && IsAsciiLetter(prefix[at + 1]) &&
        ++tags > kTagLimit) {
      prefix = prefix.substr(0, at);
      break;
    }
  }
  cut = prefix.size() < html.size();
  return prefix;
}

enum class Role {
  kDrop,        // the element and everything in it
  kBlock,       // a block of the subset (p, headings, lists, quotes, pre)
  kInline,      // b, i, u
  kLink,        // a
  kBreak,       // br
  kImage,       // img: its alt text
  kTable,       // table: a paragraph of rows
  kRow,         // tr: a line
  kCell,        // td, th: separated by a blank
  kLineBlock,   // any other block: its text on lines of its own
  kTransparent  // any other element: its text only
};

struct TagInfo {
  Role role;
  const char* name = nullptr;  // the subset's tag, for kBlock and kInline
};

// The name of an element Gumbo does not know, as the source writes it.
std::string_view UnknownTagName(const GumboElement& element) {
  GumboStringPiece name = element.original_tag;
  gumbo_tag_from_original_text(&name);
  return {name.data, name.length};
}

TagInfo Classify(const GumboElement& element) {
  // Pictures and formulas keep only what they show: their titles,
  // descriptions, metadata and annotations are for machines.
  if (element.tag_namespace == GUMBO_NAMESPACE_SVG ||
      element.tag_namespace == GUMBO_NAMESPACE_MATHML) {
    switch (element.tag) {
      case GUMBO_TAG_TITLE:
      case GUMBO_TAG_DESC:
      case GUMBO_TAG_ANNOTATION_XML:
      case GUMBO_TAG_SCRIPT:
      case GUMBO_TAG_STYLE:
        return {Role::kDrop};
      case GUMBO_TAG_UNKNOWN: {
        const std::string_view name = UnknownTagName(element);
        if (EqualsIgnoreCase(name, "metadata") ||
            EqualsIgnoreCase(name, "annotation")) {
          return {Role::kDrop};
        }
        return {Role::kTransparent};
      }
      default:
        return {Role::kTransparent};
    }
  }
  switch (element.tag) {
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_NOSCRIPT:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_FRAMESET:
    case GUMBO_TAG_FRAME:
    case GUMBO_TAG_HEAD:
    case GUMBO_TAG_TITLE:
      return {Role::kDrop};
    case GUMBO_TAG_P:
      return {Role::kBlock, "p"};
    case GUMBO_TAG_H1:
      return {Role::kBlock, "h1"};
    case GUMBO_TAG_H2:
      return {Role::kBlock, "h2"};
    case GUMBO_TAG_H3:
      return {Role::kBlock, "h3"};
    case GUMBO_TAG_H4:
      return {Role::kBlock, "h4"};
    case GUMBO_TAG_H5:
      return {Role::kBlock, "h5"};
    case GUMBO_TAG_H6:
      return {Role::kBlock, "h6"};
    case GUMBO_TAG_UL:
      return {Role::kBlock, "ul"};
    case GUMBO_TAG_OL:
      return {Role::kBlock, "ol"};
    case GUMBO_TAG_LI:
      return {Role::kBlock, "li"};
    case GUMBO_TAG_BLOCKQUOTE:
      return {Role::kBlock, "blockquote"};
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_LISTING:
    case GUMBO_TAG_XMP:
    case GUMBO_TAG_PLAINTEXT:
      return {Role::kBlock, "pre"};
    case GUMBO_TAG_B:
    case GUMBO_TAG_STRONG:
      return {Role::kInline, "b"};
    case GUMBO_TAG_I:
    case GUMBO_TAG_EM:
      return {Role::kInline, "i"};
    case GUMBO_TAG_U:
      return {Role::kInline, "u"};
    case GUMBO_TAG_A:
      return {Role::kLink};
    case GUMBO_TAG_BR:
      return {Role::kBreak};
    case GUMBO_TAG_IMG:
      return {Role::kImage};
    case GUMBO_TAG_TABLE:
      return {Role::kTable};
    case GUMBO_TAG_TR:
      return {Role::kRow};
    case GUMBO_TAG_TD:
    case GUMBO_TAG_TH:
      return {Role::kCell};
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_ADDRESS:
    case GUMBO_TAG_ARTICLE:
    case GUMBO_TAG_ASIDE:
    case GUMBO_TAG_CAPTION:
    case GUMBO_TAG_CENTER:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_DETAILS:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_FIELDSET:
    case GUMBO_TAG_FIGCAPTION:
    case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_FOOTER:
    case GUMBO_TAG_FORM:
    case GUMBO_TAG_HEADER:
    case GUMBO_TAG_HGROUP:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_LEGEND:
    case GUMBO_TAG_MAIN:
    case GUMBO_TAG_MENU:
    case GUMBO_TAG_NAV:
    case GUMBO_TAG_OPTION:
    case GUMBO_TAG_SECTION:
    case GUMBO_TAG_SUMMARY:
    case GUMBO_TAG_TEXTAREA:
    case GUMBO_TAG_BODY:
    case GUMBO_TAG_HTML:
      return {Role::kLineBlock};
    default:
      return {Role::kTransparent};
  }
}

// The plain form: separators between pieces of text are remembered and
// written only when more text follows, the strongest one winning.
class PlainWriter {
 public:
  enum Separator { kNone, kSpace, kLine, kParagraph };

  void Separate(Separator separator) {
    pending_ = std::max(pending_, separator);
  }

  // A line break: two in a row leave a blank line.
  void Break() { pending_ = pending_ >= kLine ? kParagraph : kLine; }

  // Text outside pre: blanks and line breaks fold into one blank.
  void Text(std::string_view text) {
    for (char c : text) {
      if (IsHtmlSpace(c)) {
        Separate(kSpace);
      } else {
        Flush();
        out_ += c;
      }
    }
  }

  void PreformattedText(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r') {
        if (i + 1 < text.size() && text[i + 1] == '\n') continue;
        Flush();
        out_ += '\n';
        continue;
      }
      Flush();
      out_ += text[i];
    }
  }

  void Append(std::string_view text) { out_ += text; }
  std::string Take() && { return std::move(out_); }

 private:
  void Flush() {
    if (!out_.empty()) {
      switch (pending_) {
        case kNone:
          break;
        case kSpace:
          if (out_.back() != '\n') out_ += ' ';
          break;
        case kLine:
          out_ += '\n';
          break;
        case kParagraph:
          out_ += "\n\n";
          break;
      }
    }
    pending_ = kNone;
  }

  std::string out_;
  Separator pending_ = kNone;
};

// The rich form. Inline tags are written only when text comes inside them,
// and every tag written is closed in the reverse order of writing, so the
// output nests properly whatever the tree looked like.
class RichWriter {
 public:
  // Opens an element of the subset; returns its handle for Close.
  int Open(std::string open_tag, std::string_view name, bool block) {
    opens_.push_back({std::move(open_tag), name, block, false});
    const int handle = static_cast<int>(opens_.size()) - 1;
    if (block) {
      // Inline tags written so far close before the block and are written
      // again inside it.
      while (!written_.empty() &&
             !opens_[static_cast<std::size_t>(written_.back())].block) {
        CloseWritten();
      }
      Emit(handle);
      pending_break_ = false;
      pending_space_ = false;
      inline_ = false;
    }
    return handle;
  }

  void Close(int handle) {
    Tag& open = opens_[static_cast<std::size_t>(handle)];
    if (open.written) {
      // Tags written after this one (inline tags of an outer element,
      // written inside it) are closed too and written again when needed.
      while (!written_.empty() && CloseWritten() != handle) {
      }
    }
    if (open.block) {
      pending_break_ = false;
      pending_space_ = false;
      inline_ = false;
    }
    opens_.pop_back();
  }

  // A boundary between lines of text inside the current block.
  void LineBreak() {
    if (inline_) pending_break_ = true;
  }

  void Space() {
    if (inline_) pending_space_ = true;
  }

  // A line break of the source; none before the first text.
  void HardBreak() {
    if (!any_text_) return;
    out_ += "<br>";
    pending_break_ = false;
    pending_space_ = false;
    inline_ = false;
  }

  void Text(std::string_view text, bool preformatted) {
    if (preformatted) {
      if (text.empty()) return;
      BeforeText();
      AppendXmlEscaped(out_, text, XmlPlace::kText);
      return;
    }
    std::size_t i = 0;
    while (i < text.size()) {
      if (IsHtmlSpace(text[i])) {
        Space();
        while (i < text.size() && IsHtmlSpace(text[i])) ++i;
        continue;
      }
      std::size_t end = i;
      while (end < text.size() && !IsHtmlSpace(text[end])) ++end;
      BeforeText();
      AppendXmlEscaped(out_, text.substr(i, end - i), XmlPlace::kText);
      i = end;
    }
  }

  // Closes everything written; `tail` goes inside the innermost block.
  std::string Finish(std::string_view tail) && {
    out_ += tail;
    while (!written_.empty()) CloseWritten();
    return std::move(out_);
  }

  std::size_t size() const { return out_.size(); }

 private:
  struct Tag {
    std::string open_tag;
    std::string_view name;
    bool block;
    bool written;
  };

  // Closes the tag written last; returns its handle.
  int CloseWritten() {
    const int top = written_.back();
    written_.pop_back();
    Tag& closing = opens_[static_cast<std::size_t>(top)];
    out_ += "</";
    out_ += closing.name;
    out_ += '>';
    closing.written = false;
    return top;
  }

  void Emit(int handle) {
    Tag& open = opens_[static_cast<std::size_t>(handle)];
    out_ += open.open_tag;
    open.written = true;
    written_.push_back(handle);
  }

  void WriteOpens() {
    for (std::size_t k = 0; k < opens_.size(); ++k) {
      if (!opens_[k].written) Emit(static_cast<int>(k));
    }
  }

  // The pending break or blank goes before inline tags still to be written.
  void BeforeText() {
    if (pending_break_) {
      out_ += "<br>";
    } else if (pending_space_) {
      out_ += ' ';
    }
    pending_break_ = false;
    pending_space_ = false;
    WriteOpens();
    inline_ = true;
    any_text_ = true;
  }

  std::vector<Tag> opens_;
  std::vector<int> written_;
  std::string out_;
  bool pending_break_ = false;
  bool pending_space_ = false;
  bool inline_ = false;  // text written since the block or break began
  bool any_text_ = false;
};

// One walk over the tree writing both forms, with a stack of its own.
class Reduction {
 public:
  explicit Reduction(std::string_view base) : base_(base) {}

  void Walk(const GumboNode* root) {
    std::vector<Frame> stack;
    stack.push_back({root, 0, Role::kTransparent, -1, false});
    while (!stack.empty() && !full_) {
      Frame& frame = stack.back();
      const GumboVector& children = frame.node->v.element.children;
      if (frame.next >= children.length) {
        Leave(frame);
        stack.pop_back();
        continue;
      }
      const auto* child =
          static_cast<const GumboNode*>(children.data[frame.next++]);
      switch (child->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA:
          Text(child->v.text.text);
          break;
        case GUMBO_NODE_ELEMENT: {
          Frame entered{child, 0, Role::kTransparent, -1, false};
          Enter(child->v.element, entered);
          if (entered.role != Role::kDrop) stack.push_back(entered);
          break;
        }
        default:
          break;  // comments, template contents, documents
      }
      if (rich_.size() >= kShownTextLimit) full_ = true;
    }
  }

  ShownMarkup Finish(bool cut) && {
    const bool more = cut || full_;
    if (more) plain_.Append(kEllipsis);
    ShownMarkup result;
    result.plain = std::move(plain_).Take();
    result.rich = std::move(rich_).Finish(more ? kEllipsis : "");
    return result;
  }

 private:
  struct Frame {
    const GumboNode* node;
    unsigned next;
    Role role;
    int rich;           // RichWriter handle, -1 when the element wrote no tag
    bool preformatted;  // pre and its kin
  };

  static PlainWriter::Separator BlockSeparator(const GumboNode* node) {
    return node->v.element.tag == GUMBO_TAG_LI ? PlainWriter::kLine
                                               : PlainWriter::kParagraph;
  }

  void Enter(const GumboElement& element, Frame& frame) {
    const TagInfo info = Classify(element);
    frame.role = info.role;
    int& rich = frame.rich;
    switch (info.role) {
      case Role::kBlock: {
        frame.preformatted = std::string_view(info.name) == "pre";
        if (frame.preformatted) ++preformatted_;
        plain_.Separate(BlockSeparator(frame.node));
        // Preformatted lines wrap at the view's edge rather than run past
        // it out of reach.
        rich =
            rich_.Open(frame.preformatted ? std::string(kWrappingPre)
                                          : std::string("<") + info.name + ">",
                       info.name, true);
        break;
      }
      case Role::kInline:
        rich = rich_.Open(std::string("<") + info.name + ">", info.name, false);
        break;
      case Role::kLink: {
        const GumboAttribute* href =
            gumbo_get_attribute(&element.attributes, "href");
        std::optional<std::string> resolved;
        if (href != nullptr) {
          const std::string_view written = TrimmedSpaces(href->value);
          if (written.size() <= kLinkLimit) {
            resolved = ResolveReference(base_, written);
          }
        }
        if (resolved) {
          const std::string_view address = *resolved;
          if (address.size() <= kLinkLimit && IsWebLink(address) &&
              IsValidUtf8(address)) {
            std::string open = "<a href=\"";
            AppendXmlEscaped(open, address, XmlPlace::kAttribute);
            open += "\">";
            rich = rich_.Open(std::move(open), "a", false);
          }
        }
        break;
      }
      case Role::kBreak:
        plain_.Break();
        rich_.HardBreak();
        break;
      case Role::kImage: {
        const GumboAttribute* alt =
            gumbo_get_attribute(&element.attributes, "alt");
        // An image stands apart from the words around it.
        if (alt != nullptr && *alt->value != '\0') {
          Separate(PlainWriter::kSpace);
          Text(alt->value);
          Separate(PlainWriter::kSpace);
        }
        break;
      }
      case Role::kTable:
        Separate(PlainWriter::kParagraph);
        break;
      case Role::kRow:
        first_cell_ = true;
        Separate(PlainWriter::kLine);
        break;
      case Role::kCell:
        if (!first_cell_) {
          Separate(PlainWriter::kSpace);
        }
        first_cell_ = false;
        break;
      case Role::kLineBlock:
        Separate(PlainWriter::kLine);
        break;
      case Role::kDrop:
      case Role::kTransparent:
        break;
    }
  }

  // The same break in both texts: a space, or a new line of the rich text
  // for a line or paragraph of the plain one.
  void Separate(PlainWriter::Separator separator) {
    plain_.Separate(separator);
    if (separator == PlainWriter::kSpace) {
      rich_.Space();
    } else {
      rich_.LineBreak();
    }
  }

  void Leave(const Frame& frame) {
    if (frame.rich >= 0) rich_.Close(frame.rich);
    if (frame.preformatted) --preformatted_;
    switch (frame.role) {
      case Role::kBlock:
        plain_.Separate(BlockSeparator(frame.node));
        break;
      case Role::kTable:
        Separate(PlainWriter::kParagraph);
        break;
      case Role::kRow:
      case Role::kLineBlock:
        Separate(PlainWriter::kLine);
        break;
      default:
        break;
    }
  }

  static std::string_view TrimmedSpaces(const char* value) {
    std::string_view text(value);
    while (!text.empty() && IsHtmlSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsHtmlSpace(text.back())) text.remove_suffix(1);
    return text;
  }

  // Text that would take the rich form past the limit is cut at a
  // character, and the walk ends there.
  void Text(std::string_view text) {
    // Gumbo writes a numeric reference beyond Unicode as a stray byte.
    std::string repaired;
    if (!IsValidUtf8(text)) {
      repaired = Utf8WithReplacements(text);
      text = repaired;
    }
    if (HasControls(text)) {
      repaired = WithoutControls(text);
      text = repaired;
    }
    const std::size_t room =
        kShownTextLimit > rich_.size() ? kShownTextLimit - rich_.size() : 0;
    std::size_t escaped = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      escaped += c == '&' ? 5 : (c == '<' || c == '>') ? 4 : 1;
      if (escaped > room) {
        text = Utf8Prefix(text, i);
        full_ = true;
        break;
      }
    }
    if (preformatted_ > 0) {
      plain_.PreformattedText(text);
    } else {
      plain_.Text(text);
    }
    rich_.Text(text, preformatted_ > 0);
  }

  std::string_view base_;
  PlainWriter plain_;
  RichWriter rich_;
  int preformatted_ = 0;
  bool first_cell_ = true;
  bool full_ = false;
};

}  // namespace

bool HasMarkup(std::string_view text) {
  for (std::size_t at = text.find('<'); at != std::string_view::npos;
       at = text.find('<', at + 1)) {
    if (at + 1 < text.size()) {
      const char next = text[at + 1];
      if (IsAsciiLetter(next) || next == '/' || next == '!') return true;
    }
  }
  return false;
}

ShownMarkup FormatHtml(std::string_view html, std::string_view base) {
  const std::string valid =
      IsValidUtf8(html) ? std::string() : Utf8WithReplacements(html);
  const std::string_view source = valid.empty() ? html : valid;
  bool cut = false;
  std::string_view prefix = ParsePrefix(source, cut);
  // The parser would show a control character as a replacement mark.
  std::string without_controls;
  if (HasControls(prefix)) {
    without_controls = WithoutControls(prefix);
    prefix = without_controls;
  }
  while (true) {
    ParseArena arena;
    if (const GumboOutput* output =
            ParseWithin(arena, prefix.data(), prefix.size())) {
      Reduction reduction(base);
      reduction.Walk(output->root);
      return std::move(reduction).Finish(cut);
    }
    if (prefix.size() <= kSmallestRetry) break;
    prefix = prefix.substr(0, CutNear(prefix, prefix.size() / 4));
    cut = true;
  }
  return {kEllipsis, kEllipsis};
}

namespace {

// Bytes at the end of what is made of a part of a source that may differ
// from what the whole makes there: a reference, a marker or a character cut
// in two.
constexpr std::size_t kTailSlack = 64;

// `make` of the shortest prefix of `source`, twice `needed` long and
// doubling, whose result runs past `needed` by the slack; `make` of the
// whole when none does. Either way the result's first `needed` bytes are
// those of make(source), at a cost that follows what is shown rather than
// the size of the source.
template <typename Make>
std::string EnoughOf(std::string_view source, std::size_t needed, Make&& make) {
  for (std::size_t size = 2 * needed; size < source.size(); size *= 2) {
    std::string made = make(source.substr(0, size));
    if (made.size() >= needed + kTailSlack) return made;
  }
  return make(source);
}

// The text the plain form shows, whole: references decoded, control
// characters left out, line breaks made one kind, blanks at both ends
// dropped.
std::string PlainBody(std::string_view text) {
  const std::string valid =
      IsValidUtf8(text) ? std::string(text) : Utf8WithReplacements(text);
  const std::string decoded = WithoutControls(DecodeCharacterReferences(valid));
  std::string lines;
  lines.reserve(decoded.size());
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    if (decoded[i] == '\r') {
      lines += '\n';
      if (i + 1 < decoded.size() && decoded[i + 1] == '\n') ++i;
    } else {
      lines += decoded[i];
    }
  }
  std::string_view body = lines;
  while (!body.empty() && IsHtmlSpace(body.front())) body.remove_prefix(1);
  while (!body.empty() && IsHtmlSpace(body.back())) body.remove_suffix(1);
  return std::string(body);
}

ShownMarkup PlainMarkup(std::string_view body) {
  const bool cut = body.size() > kShownTextLimit;
  if (cut) body = Utf8Prefix(body, kShownTextLimit);

  ShownMarkup result;
  result.plain = std::string(body);
  result.rich.reserve(body.size() + body.size() / 8);
  for (char c : body) {
    if (c == '\n') {
      result.rich += "<br>";
    } else {
      AppendXmlEscaped(result.rich, std::string_view(&c, 1), XmlPlace::kText);
    }
  }
  if (cut) {
    result.plain += kEllipsis;
    result.rich += kEllipsis;
  }
  return result;
}

}  // namespace

// Inline XHTML is XML: its CDATA sections are text, which an HTML parser
// would take for comments.
std::string XhtmlAsHtml(std::string_view content) {
  std::string html;
  html.reserve(content.size());
  std::size_t i = 0;
  while (i < content.size()) {
    const std::size_t cdata = content.find("<![CDATA[", i);
    html.append(content.substr(i, cdata - i));
    if (cdata == std::string_view::npos) break;
    const std::size_t end = content.find("]]>", cdata + 9);
    AppendXmlEscaped(html, content.substr(cdata + 9, end - cdata - 9),
                     XmlPlace::kText);
    i = end == std::string_view::npos ? content.size() : end + 3;
  }
  return html;
}

ShownMarkup FormatPlainText(std::string_view text) {
  return PlainMarkup(EnoughOf(text, kShownTextLimit + 1, PlainBody));
}

ShownMarkup FormatShownContent(std::string_view content, MarkupKind kind,
                               std::string_view base) {
  // Only as much of the content is read as the parser takes or the view
  // shows; a huge description costs what its first part costs.
  const std::size_t parsed = kParseLimit + 1;
  const auto plain = [content] {
    return PlainMarkup(EnoughOf(
        content, kShownTextLimit + 1,
        [](std::string_view part) { return PlainBody(XmlText(part)); }));
  };
  switch (kind) {
    case MarkupKind::kXhtml:
      return FormatHtml(EnoughOf(content, parsed, XhtmlAsHtml), base);
    case MarkupKind::kText:
      return plain();
    case MarkupKind::kHtml:
      break;
  }
  // Whether it is markup is told by the part the parser would take.
  const std::string html = EnoughOf(content, parsed, XmlText);
  return HasMarkup(html) ? FormatHtml(html, base) : plain();
}

std::string ShownTitle(std::string_view content, MarkupKind kind) {
  return ShownDisplayText(
      CollapseWhitespace(FormatShownContent(content, kind).plain));
}

}  // namespace rivolet
