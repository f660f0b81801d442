// Which links from outside may be handed to the desktop to open.
#pragma once

#include <string_view>

namespace rivolet {

// True for an absolute http:// or https:// address with a host, and nothing
// else: feed links are outside input, and a local path, a file: or a
// javascript: link must never reach the desktop's opener.
bool IsWebLink(std::string_view link);

}  // namespace rivolet
