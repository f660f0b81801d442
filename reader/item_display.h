// How an item's texts are shortened for the places that show them: the item
// list's row and the item view's tab.
#pragma once

#include <string>
#include <string_view>

namespace rivolet {

// The item view's tab caption: the title, or its first 43 characters and
// "..." when it is longer.
std::string ItemTabCaption(std::string_view title);

// What one row of the item list shows of a title: its first line.
std::string_view ItemRowText(std::string_view title);

// The channel title inside a window title "Rivolet - <title>": the caption
// without its first 10 characters (nothing when it is shorter).
std::string_view ChannelFromWindowTitle(std::string_view window_title);

}  // namespace rivolet
