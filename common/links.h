// Which links from outside may be handed to the desktop to open, and the
// program's own web address.
#pragma once

#include <string_view>

namespace rivolet {

// The maker's site, shown and opened by the main window and the About box.
inline constexpr char kMakerSiteName[] = "rivolet.example.org";
inline constexpr char kMakerSiteUrl[] = "https://rivolet.example.org/";

// True for an absolute http:// or https:// address with a host, and nothing
// else: feed links are outside input, and a local path, a file: or a
// javascript: link must never reach the desktop's opener.
bool IsWebLink(std::string_view link);

}  // namespace rivolet
