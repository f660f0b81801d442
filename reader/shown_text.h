// Text as the windows show it: a feed document's bytes decoded by their real
// encoding into UTF-8, character references decoded, and the small UTF-8
// helpers the display rules need. The stored road (Windows-1250 bytes, the
// clean-up tables) never passes through here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rivolet {

// The most of one title or description the item view lays out; a longer
// text is cut there and "..." follows.
inline constexpr std::size_t kShownTextLimit = 64 * 1024;

// How a document's bytes are turned into UTF-8 for display.
struct ShownEncoding {
  enum class Kind {
    kUtf8,         // checked, each invalid byte shown as U+FFFD
    kWindows1250,  // the program's own table
    kConverter,    // the system's converter (iconv) under `name`
    kWide,         // UTF-16 or UTF-32 (`name`): the whole document first
  };
  Kind kind = Kind::kUtf8;
  std::string name;     // the converter's name for kConverter and kWide
  std::size_t bom = 0;  // bytes of a byte-order mark at the start
};

// A byte-order mark, else the XML declaration's encoding when the system's
// converter knows it and reads the declaration itself as written (a wide
// encoding, under whatever name, cannot be declared in ASCII bytes), else
// UTF-8 when the bytes are valid UTF-8, else Windows-1250. ISO-8859-1 and
// US-ASCII are read as Windows-1252, their superset, as browsers do: feeds
// so labelled often hold its quotes.
ShownEncoding DetectShownEncoding(std::string_view document);

// Decodes byte runs of one document. For every encoding but kWide the tags
// are ASCII, so fields cut out of the raw bytes decode on their own.
class ShownDecoder {
 public:
  explicit ShownDecoder(const ShownEncoding& encoding);
  ~ShownDecoder();
  ShownDecoder(const ShownDecoder&) = delete;
  ShownDecoder& operator=(const ShownDecoder&) = delete;

  // UTF-8 text; a byte the encoding cannot decode becomes one U+FFFD (a
  // code unit of UTF-16 or UTF-32, which then stay in step).
  std::string Decode(std::string_view bytes);

 private:
  ShownEncoding::Kind kind_;
  void* converter_ = nullptr;  // iconv_t
  // ASCII reads as itself, byte for byte, so a run of it needs no
  // converting (not so in UTF-7, HZ or ISO-2022, where ASCII carries
  // shifts).
  bool ascii_is_itself_ = true;
  std::size_t unit_ = 1;  // bytes of one code unit
};

// The bytes base64 text stands for; characters outside the alphabet
// (blanks, line breaks) are passed over, and the text ends at its padding.
std::string DecodeBase64(std::string_view text);

// A kWide document (after its byte-order mark) as UTF-8.
std::string WideDocumentToUtf8(std::string_view document,
                               const ShownEncoding& encoding);

void AppendUtf8(std::string& out, char32_t code_point);
bool IsValidUtf8(std::string_view text);
// Valid UTF-8: each byte that starts no well-formed sequence is one U+FFFD.
std::string Utf8WithReplacements(std::string_view text);
// Characters (code points) of valid UTF-8 text.
std::size_t Utf8Length(std::string_view text);
// The longest prefix of at most `max_bytes` that ends on a character.
std::string_view Utf8Prefix(std::string_view text, std::size_t max_bytes);

// Decodes every character reference as HTML does in text: all named ones
// (with the legacy forms without a semicolon), decimal and hexadecimal ones
// (zero, surrogates and values beyond Unicode become U+FFFD; 80 to 9F are
// read as Windows-1252, as browsers do).
std::string DecodeCharacterReferences(std::string_view text);

// The character data of an XML element's content: CDATA sections unwrapped,
// comments dropped, the five XML entities and numeric references decoded
// once. Other named references stay for the HTML reading.
std::string XmlText(std::string_view content);

// Whether valid UTF-8 text holds control characters other than blanks (C0
// but tab, line feed, form feed and carriage return; DEL; C1, U+0080 to
// U+009F), and the text without them: they show nothing a reader could read.
bool HasControls(std::string_view text);
std::string WithoutControls(std::string_view text);

// Runs of blanks and line breaks become one blank; none at either end.
std::string CollapseWhitespace(std::string_view text);

// The text, or its first kShownTextLimit bytes (whole characters) and "...".
std::string ShownDisplayText(std::string_view text);

// What a row of the item list shows of a title: its first line.
std::string_view ShownRowText(std::string_view title);

// The item view's tab caption: the title as shown, or its first 43
// characters and "..." when it has more.
std::string ShownTabCaption(std::string_view title);

}  // namespace rivolet
