// Link checks and the help pages.
#include "common/links.h"

#include "common/ascii.h"

namespace rivolet {

bool IsWebLink(std::string_view link) {
  std::size_t host_start;
  if (StartsWithIgnoreCase(link, "http://")) {
    host_start = 7;
  } else if (StartsWithIgnoreCase(link, "https://")) {
    host_start = 8;
  } else {
    return false;
  }
  if (link.size() <= host_start) return false;
  const char first = link[host_start];
  if (first == '/' || first == ':' || first == '?' || first == '#')
    return false;
  for (unsigned char c : link) {
    if (c <= ' ' || c == 0x7F) return false;
  }
  return true;
}

HelpLanguage HelpLanguageFor(std::string_view language_name) {
  const std::string_view name = TrimSpacesAndTabs(language_name);
  return EqualsIgnoreCase(name, "Polski") || EqualsIgnoreCase(name, "Polish")
             ? HelpLanguage::kPolish
             : HelpLanguage::kEnglish;
}

std::filesystem::path HelpPage(const std::filesystem::path& data_folder,
                               HelpLanguage language) {
  return data_folder /
         (language == HelpLanguage::kPolish ? "pomoc.html" : "help.html");
}

}  // namespace rivolet
