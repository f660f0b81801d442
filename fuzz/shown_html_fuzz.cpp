// Runs the description sanitizer (Gumbo and our reduction) on any bytes and
// checks what it gives the item view: valid UTF-8, within the display cap,
// and rich text made only of the subset's tags, properly nested, with no
// attribute but a web address on a link.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/links.h"
#include "reader/shown_html.h"
#include "reader/shown_text.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool IsSubsetTag(std::string_view name) {
  static const std::string_view kTags[] = {
      "p", "br", "h1", "h2", "h3", "h4",         "h5",  "h6", "b",
      "i", "u",  "ul", "ol", "li", "blockquote", "pre", "a"};
  for (std::string_view tag : kTags) {
    if (name == tag) return true;
  }
  return false;
}

void CheckRich(std::string_view rich) {
  std::vector<std::string_view> open;
  for (std::size_t at = rich.find('<'); at != std::string_view::npos;
       at = rich.find('<', at + 1)) {
    const std::size_t end = rich.find('>', at);
    Check(end != std::string_view::npos);
    std::string_view tag = rich.substr(at + 1, end - at - 1);
    const bool closing = tag.starts_with('/');
    if (closing) tag.remove_prefix(1);
    const std::size_t blank = tag.find(' ');
    const std::string_view name = tag.substr(0, blank);
    Check(IsSubsetTag(name));
    if (closing) {
      Check(!open.empty() && open.back() == name);
      open.pop_back();
    } else if (name != "br") {
      if (blank != std::string_view::npos) {
        const std::string_view attribute = tag.substr(blank);
        Check(name == "a" && attribute.starts_with(" href=\"") &&
              attribute.ends_with('"'));
        const std::string_view href = attribute.substr(7, attribute.size() - 8);
        Check(href.find('"') == std::string_view::npos &&
              rivolet::IsWebLink(href));
      }
      open.push_back(name);
    }
  }
  Check(open.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rivolet;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The first byte picks how the rest is read.
  const MarkupKind kinds[] = {MarkupKind::kHtml, MarkupKind::kText,
                              MarkupKind::kXhtml};
  const MarkupKind kind = size == 0 ? MarkupKind::kHtml : kinds[data[0] % 3];
  for (const ShownMarkup& shown :
       {FormatShownContent(input.substr(size == 0 ? 0 : 1), kind),
        FormatHtml(input)}) {
    Check(IsValidUtf8(shown.plain) && IsValidUtf8(shown.rich));
    Check(shown.plain.size() <= 2 * kShownTextLimit);
    CheckRich(shown.rich);
  }
  const std::string title = ShownTitle(input, kind);
  Check(IsValidUtf8(title) && title.find('\n') == std::string::npos);
  return 0;
}
