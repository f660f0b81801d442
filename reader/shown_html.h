// Descriptions and titles as the item view shows them: the HTML a feed
// writes, parsed by Gumbo and reduced to a safe subset of Qt's rich text,
// and the same content as plain text.
#pragma once

#include <string>
#include <string_view>

namespace rivolet {

struct ShownMarkup {
  // Paragraphs separated by a blank line, list items, table rows and line
  // breaks on lines of their own, links as their text.
  std::string plain;
  // p, br, h1-h6, b, i, u, ul, ol, li, blockquote, pre and links to http(s)
  // addresses (their only attribute); everything else is text. Tables are
  // rows of text, images their alt text.
  std::string rich;
};

// What an element's content holds.
enum class MarkupKind {
  kHtml,   // escaped or CDATA-wrapped HTML (RSS, Atom type="html")
  kText,   // text, whatever it looks like (Atom type="text")
  kXhtml,  // markup written inline (Atom type="xhtml")
};

// An element's content as it stands in the document (UTF-8, CDATA and
// escapes still in). HTML is unescaped once; when it holds no tag it is
// text with its line breaks. Both forms stop after kShownTextLimit bytes at
// an element boundary, followed by "...".
// A relative link of the content resolves against `base`; a link that is
// not then an http(s) address is only its text.
ShownMarkup FormatShownContent(std::string_view content, MarkupKind kind,
                               std::string_view base = {});

// HTML reduced to the subset. Hostile input costs bounded time and memory:
// the parser sees at most the first 512 KiB and 4,096 tags, and gives up on
// a smaller prefix when its memory would pass 32 MiB.
ShownMarkup FormatHtml(std::string_view html, std::string_view base = {});

// Text without markup: references decoded, line breaks kept.
ShownMarkup FormatPlainText(std::string_view text);

// A title as a single line of plain text.
std::string ShownTitle(std::string_view content, MarkupKind kind);

// True when the text holds a tag, comment or declaration: "<" followed by a
// letter, "/" or "!".
bool HasMarkup(std::string_view text);

}  // namespace rivolet
