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

}  // namespace rivolet
