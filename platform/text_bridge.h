// The one place where the program's text becomes Qt text and back: the
// stored road's Windows-1250 bytes, and the UTF-8 of what is shown.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace rivolet {

QString ToQt(std::string_view cp1250);
std::string FromQt(const QString& text);

// What is shown of a feed (UTF-8, already checked by the shown reading).
QString ShownToQt(std::string_view utf8);

// Text from outside as a tooltip. Qt takes a tooltip that looks like markup
// for rich text (and would load the pictures it names); this one always
// shows the characters as written.
QString PlainToolTip(const QString& text);

// A window title that shows `text` as written: Qt takes "[*]" in a title
// for the place of its modified mark.
QString PlainWindowTitle(QString text);

}  // namespace rivolet
