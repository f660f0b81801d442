// Which links from outside may be handed to the desktop to open, and where
// the program's own help pages are.
#pragma once

#include <filesystem>
#include <string_view>

namespace rivolet {

// The help pages: help.html in English, pomoc.html in Polish.
enum class HelpLanguage { kEnglish, kPolish };

// The help page for a chosen language, named by its display name: Polish
// ("Polski" or "Polish", any letter case) reads pomoc.html, any other
// language help.html.
HelpLanguage HelpLanguageFor(std::string_view language_name);

// The help page in `data_folder`, the folder the program reads its own data
// from. The program has no web site: every "about" link leads here.
std::filesystem::path HelpPage(const std::filesystem::path& data_folder,
                               HelpLanguage language);

// True for an absolute http:// or https:// address with a host, and nothing
// else: feed links are outside input, and a local path, a file: or a
// javascript: link must never reach the desktop's opener.
bool IsWebLink(std::string_view link);

}  // namespace rivolet
