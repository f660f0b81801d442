// Windows-1250 bytes to Qt text and back, through our own code page tables;
// shown UTF-8 text to Qt text.
#include "platform/text_bridge.h"

#include "common/codepage.h"

namespace rivolet {

QString ToQt(std::string_view cp1250) {
  return QString::fromStdU16String(Cp1250ToUtf16(cp1250));
}

std::string FromQt(const QString& text) {
  return Utf16ToCp1250(text.toStdU16String());
}

QString ShownToQt(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString PlainToolTip(const QString& text) {
  if (text.isEmpty()) return text;
  // Rich text of its own, with every character escaped.
  return "<p style=\"white-space:pre-wrap\">" + text.toHtmlEscaped() + "</p>";
}

QString PlainWindowTitle(QString text) { return text.replace("[*]", "[*][*]"); }

}  // namespace rivolet
