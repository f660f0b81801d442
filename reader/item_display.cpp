// Shortened item texts.
#include "reader/item_display.h"

namespace rivolet {
namespace {

constexpr std::size_t kTabCaptionLimit = 43;
constexpr std::size_t kWindowTitlePrefix = 10;  // "Rivolet - "

}  // namespace

std::string ItemTabCaption(std::string_view title) {
  if (title.size() <= kTabCaptionLimit) return std::string(title);
  return std::string(title.substr(0, kTabCaptionLimit)) + "...";
}

std::string_view ItemRowText(std::string_view title) {
  return title.substr(0, title.find_first_of("\r\n"));
}

std::string_view ChannelFromWindowTitle(std::string_view window_title) {
  if (window_title.size() <= kWindowTitlePrefix) return {};
  return window_title.substr(kWindowTitlePrefix);
}

}  // namespace rivolet
