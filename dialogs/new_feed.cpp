// The New feed dialog's rules.
#include "dialogs/new_feed.h"

#include "common/codepage.h"
#include "common/text.h"
#include "feeds/feed_rules.h"
#include "reader/cleanup.h"
#include "reader/feed_reader.h"

namespace rivolet {

bool PeriodKeyKeepsText(int virtual_key) {
  constexpr int kBackspace = 8;
  return virtual_key == kBackspace ||
         (virtual_key >= '0' && virtual_key <= '9');
}

std::string FeedTitleFromDocument(std::string_view downloaded) {
  // The encoding is decided on the bytes as received, so that the table's
  // byte steps never touch a UTF-8 sequence.
  const std::string text =
      IsUtf8Document(downloaded)
          ? Utf8ToCp1250(DecodeEntities(downloaded, EntityTable::kNewFeed,
                                        TextForm::kUtf8))
          : DecodeEntities(downloaded, EntityTable::kNewFeed,
                           TextForm::kSingleByte);
  return ExtractField(text, "<title>", "</title>");
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
