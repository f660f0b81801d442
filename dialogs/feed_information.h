// What the Feed information dialog shows of a feed: the six channel values
// picked out of the downloaded document, and when its title may be opened.
#pragma once

#include <string>
#include <string_view>

namespace rivolet {

struct FeedInformation {
  std::string title;
  std::string link;
  std::string description;
  std::string copyright;
  std::string language;
  std::string last_build_date;
};

// Cleans the downloaded document the dialog's way and extracts the six values
// by first-occurrence tag searches over the whole text. Tags are not stripped.
// A UTF-8 document is cleaned in its UTF-8 form and then converted to
// Windows-1250; a document that is not valid UTF-8 by the decoding rule gives
// six empty values.
FeedInformation ReadFeedInformation(std::string_view document);

// The six values as the dialog shows them (UTF-8), read from the channel
// and never from an item: elements found with their attributes, the
// document decoded by its encoding, references decoded, markup left out.
// An Atom feed gives its alternate link, subtitle, rights, xml:lang and
// updated date (Atom 0.3: tagline, copyright, modified).
FeedInformation ReadShownFeedInformation(std::string_view document);

// The title click opens the channel link only when it is longer than five
// characters and an absolute http:// or https:// address: the link comes
// from the feed and must not reach the desktop as a local path or script.
bool ShouldOpenTitleLink(std::string_view link);

}  // namespace rivolet
