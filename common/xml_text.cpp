// Escaping text for XML and HTML.
#include "common/xml_text.h"

namespace rivolet {

void AppendXmlEscaped(std::string& out, std::string_view utf8, XmlPlace place) {
  const bool attribute = place == XmlPlace::kAttribute;
  for (char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        continue;
      case '<':
        out += "&lt;";
        continue;
      case '>':
        out += "&gt;";
        continue;
      case '"':
        out += attribute ? "&quot;" : "\"";
        continue;
      case '\t':
        out += attribute ? "&#9;" : "\t";
        continue;
      case '\n':
        out += attribute ? "&#10;" : "\n";
        continue;
      case '\r':
        out += attribute ? "&#13;" : "\r";
        continue;
      default:
        out += attribute && static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    }
  }
}

}  // namespace rivolet
