// The New feed dialog's rules.
#include "dialogs/new_feed.h"

#include "common/codepage.h"
#include "common/error.h"
#include "common/links.h"
#include "common/text.h"
#include "feeds/feed_rules.h"
#include "net/http_message.h"
#include "reader/shown_feed.h"

namespace rivolet {

bool PeriodKeyKeepsText(int virtual_key) {
  constexpr int kBackspace = 8;
  return virtual_key == kBackspace ||
         (virtual_key >= '0' && virtual_key <= '9');
}

std::string FeedTitleFromDocument(std::string_view downloaded) {
  return Utf8ToCp1250Lenient(ReadShownChannelTitle(downloaded));
}

bool IsFeedAddress(std::string_view url) {
  if (!IsWebLink(url)) return false;
  try {
    ParseHttpUrl(url);
  } catch (const Error&) {
    return false;
  }
  return true;
}

NewFeedOutcome AddNewFeed(const NewFeedFields& fields, FeedList& list) {
  NewFeedOutcome outcome;
  outcome.category = Trim(fields.category);
  if (outcome.category.empty()) outcome.category = kNoCategoryText;
  outcome.name = fields.name;
  // A feed that can never be read has no place in the list (an Enter meant
  // for something else must not add one).
  if (!IsFeedAddress(fields.url)) {
    outcome.result = NewFeedResult::kNotAnAddress;
    outcome.message = kNotAbsoluteAddressText + fields.url;
    return outcome;
  }
  if (outcome.name.empty()) outcome.name = fields.url;
  if (IsNewFeedDuplicate(list, outcome.name, fields.url)) {
    outcome.result = NewFeedResult::kDuplicate;
    outcome.message = kFeedAlreadyAddedText;
    return outcome;
  }
  list.Append(outcome.name, outcome.category, fields.period, fields.url);
  outcome.result = NewFeedResult::kAdded;
  return outcome;
}

}  // namespace rivolet
