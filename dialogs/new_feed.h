// The New feed dialog's rules: the period field's key rule, the name read
// from a feed's own title, and what OK does to the feed list.
#pragma once

#include <string>
#include <string_view>

#include "feeds/feed_list.h"
#include "feeds/feed_rules.h"

namespace rivolet {

// Shown when OK finds the feed already in the list; the catalogue uses the
// same text by default.
inline constexpr char kFeedAlreadyAddedText[] =
    "This feed has been already added. Check Feeds' Management.";

// Told before a name, category or address typed in the New feed or the
// Feeds' Management dialog is stored with letters the list cannot keep
// ("%s": what they would read); a language file may replace both texts.
inline constexpr char kLostLettersText[] =
    "Some texts have letters the feed list cannot keep, and would be stored "
    "like this:%sStore them like this, or Cancel to change them?";
inline constexpr char kStoreAsShownText[] = "&Store like this";

// Shown when Read cannot fetch the document, whatever the reason.
inline constexpr char kConnectionErrorText[] = "Connection error";

// The key rule of every update-period field: on the release of a key the field
// keeps its text only for the main-keyboard digits (virtual-key codes 48 to
// 57) and Backspace (8), whatever the modifiers; any other key empties it.
// Keypad digits have codes of their own (96 to 105) and empty it too.
bool PeriodKeyKeepsText(int virtual_key);

// The feed name Read proposes: the channel title as the windows show it
// (the first <title> outside the items and entries, attributes allowed,
// decoded by the document's encoding, references decoded, markup left out),
// converted to Windows-1250 for the list, '?' for what the code page
// lacks. The title is taken first and converted after, so a bad byte
// elsewhere in the document costs nothing.
std::string FeedTitleFromDocument(std::string_view downloaded);

// The four fields of the dialog as typed.
struct NewFeedFields {
  std::string name;
  std::string url;
  std::string category;
  std::string period;
};

enum class NewFeedResult {
  kAdded,         // appended; the window closes
  kNotAnAddress,  // the URL can never be read; nothing appended
  kDuplicate,     // taken for a feed already there; nothing appended
};

struct NewFeedOutcome {
  // The category and the name to write back into their fields in every
  // case: the category trimmed of codes 0 to 32, or kNoCategoryText when
  // nothing is left; the name as typed, or the URL when it was left empty.
  std::string category;
  std::string name;
  NewFeedResult result = NewFeedResult::kDuplicate;
  // What the window says when nothing was appended.
  std::string message;
};

// True for an address the program can download: an absolute http:// or
// https:// address with a host, a valid port and no blanks.
bool IsFeedAddress(std::string_view url);

// OK: trims the category; refuses a URL that is no feed address; names a
// feed without a name by its URL; then runs the duplicate test on the name
// and the URL as typed; unless it matches, appends name, category, period and
// URL at the end of `list`.
NewFeedOutcome AddNewFeed(const NewFeedFields& fields, FeedList& list);

}  // namespace rivolet
