// The one place where the program's Windows-1250 bytes become Qt text and back.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace rivolet {

QString ToQt(std::string_view cp1250);
std::string FromQt(const QString& text);

}  // namespace rivolet
