// Writing text into XML and HTML: the one escaping both the OPML export and
// the item view's rich text use.
#pragma once

#include <string>
#include <string_view>

namespace rivolet {

enum class XmlPlace {
  kText,       // element content: & < > escaped
  kAttribute,  // a quoted attribute value: " too; tab and line breaks as
               // references (a reader would turn them into blanks), other
               // C0 controls, which XML 1.0 cannot carry at all, as '?'
};

// Appends `utf8` to `out` escaped for `place`.
void AppendXmlEscaped(std::string& out, std::string_view utf8, XmlPlace place);

}  // namespace rivolet
