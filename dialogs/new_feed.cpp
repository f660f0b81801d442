// The New feed dialog's rules.
#include "dialogs/new_feed.h"

#include "common/codepage.h"
#include "common/text.h"
#include "feeds/feed_rules.h"
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

NewFeedOutcome AddNewFeed(const NewFeedFields& fields, FeedList& list) {
  NewFeedOutcome outcome;
  outcome.category = Trim(fields.category);
  if (outcome.category.empty()) outcome.category = kNoCategoryText;
  if (IsNewFeedDuplicate(list, fields.name, fields.url)) return outcome;
  list.Append(fields.name, outcome.category, fields.period, fields.url);
  outcome.added = true;
  return outcome;
}

}  // namespace rivolet
