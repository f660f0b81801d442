// The update scheduler's rules.
#include "update/scheduler.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "common/codepage.h"
#include "common/text.h"
#include "update/new_items.h"

namespace rivolet {

std::optional<std::int32_t> UpdatePeriod(std::string_view period_text) {
  const std::string trimmed = Trim(period_text);
  if (trimmed.empty()) return std::nullopt;
  const std::optional<std::int32_t> period = TryStrToInt(trimmed);
  if (!period || *period == 0) return std::nullopt;
  return period;
}

bool IsFeedDue(std::int32_t tick, std::string_view period_text) {
  const std::optional<std::int32_t> period = UpdatePeriod(period_text);
  // In 64 bits, so that the lowest tick over -1 cannot overflow.
  return period && std::int64_t{tick} % *period == 0;
}

TickPlan UpdateScheduler::BeginTick(
    bool updating_on, const FeedList& feeds,
    const std::function<bool(const std::string&)>& in_flight) {
  TickPlan plan;
  if (!updating_on) return plan;
  // A run of four thousand years would overflow the count; it wraps rather
  // than being undefined.
  tick_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(tick_) + 1u);
  plan.action = TickAction::kRun;
  const std::vector<FeedEntry>& entries = feeds.entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const FeedEntry& e = entries[i];
    // A hand-made entry without a period or URL field has nothing to fetch.
    if (e.fields.size() < 3 || !IsFeedDue(tick_, e.fields[1])) continue;
    if (in_flight && in_flight(e.fields[2])) continue;
    plan.due.push_back({i, e.fields[2], e.name});
  }
  return plan;
}

FeedRead ReadDownload(FeedDownload download) {
  FeedRead read;
  if (download.ok) {
    read.row = ReadShownFirstItem(download.text);
  } else {
    read.error = std::move(download.text);
  }
  return read;
}

bool ToldFailures::Told(const std::string& url,
                        const std::string& message) const {
  const auto it = told_.find(url);
  return it != told_.end() && it->second == message;
}

void ToldFailures::Tell(const std::string& url, const std::string& message) {
  told_[url] = message;
}

TickOutcome ApplyReads(const std::vector<DueFeed>& due,
                       std::vector<FeedRead> reads, ToldFailures* told,
                       bool box_free) {
  TickOutcome outcome;
  std::vector<NewItemRow> new_items;
  const std::size_t n = std::min(due.size(), reads.size());
  for (std::size_t i = 0; i < n; ++i) {
    outcome.current_feed_url = due[i].url;
    FeedRead& read = reads[i];
    if (read.error) {
      const bool told_before = told && told->Told(due[i].url, *read.error);
      if (box_free && !outcome.first_error && !told_before) {
        outcome.first_error = due[i].name + ": " + *read.error;
        if (told) told->Tell(due[i].url, *read.error);
      } else {
        outcome.rows.push_back({Cp1250ToUtf8(due[i].name),
                                Cp1250ToUtf8(*read.error), "", due[i].url});
      }
      continue;
    }
    if (told) told->Forget(due[i].url);
    if (read.only_new) {
      for (NewItemRow& item : read.new_items) {
        item.row.url = due[i].url;
        new_items.push_back(std::move(item));
      }
    } else if (read.row.has_row) {
      outcome.rows.push_back({std::move(read.row.caption),
                              std::move(read.row.title),
                              std::move(read.row.date), due[i].url});
    }
  }
  if (!new_items.empty()) {
    std::vector<NotificationRow> rows = NewestFirst(std::move(new_items));
    outcome.rows.insert(outcome.rows.end(),
                        std::make_move_iterator(rows.begin()),
                        std::make_move_iterator(rows.end()));
  }
  outcome.show_window = !outcome.rows.empty();
  return outcome;
}

TickOutcome ApplyDownloads(const std::vector<DueFeed>& due,
                           std::vector<FeedDownload> downloads) {
  std::vector<FeedRead> reads;
  reads.reserve(downloads.size());
  for (FeedDownload& download : downloads) {
    reads.push_back(ReadDownload(std::move(download)));
  }
  return ApplyReads(due, std::move(reads));
}

}  // namespace rivolet
