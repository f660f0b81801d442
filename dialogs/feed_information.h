// The Feed information dialog's rule: when the channel title may be opened.
// What the dialog shows of a feed is the shown reading's channel
// (ReadShownChannel).
#pragma once

#include <string_view>

namespace rivolet {

// The title click opens the channel link only when it is longer than five
// characters and an absolute http:// or https:// address: the link comes
// from the feed and must not reach the desktop as a local path or script.
bool ShouldOpenTitleLink(std::string_view link);

}  // namespace rivolet
