// What the program remembers of the user's reading.
#include "app/remembered_reading.h"

#include <unordered_set>
#include <utility>

#include "reading/item_identity.h"
#include "update/new_items.h"

namespace rivolet {

RememberedReading::RememberedReading(
    std::filesystem::path file,
    std::function<void(const StoreTrouble&)> on_trouble)
    : file_(std::move(file)), on_trouble_(std::move(on_trouble)) {}

RememberedReading::~RememberedReading() = default;

void RememberedReading::SetSwitches(Switches switches) {
  switches_ = switches;
  if (keeper_ || (!switches.remember && !switches.only_new)) return;
  ReadingKeeper::Options options;
  options.file = file_;
  options.on_trouble = on_trouble_;
  keeper_ = std::make_shared<ReadingKeeper>(std::move(options));
}

void RememberedReading::OpenSoon() {
  if (keeper_ && (switches_.remember || switches_.only_new))
    keeper_->OpenSoon();
}

RememberedReading::ShowingMarker RememberedReading::Marker() const {
  if (!keeper_ || (!switches_.remember && !switches_.only_new)) return {};
  return [keeper = keeper_, remember = switches_.remember](
             const std::string& url, const ShownFeed& reading) {
    const std::vector<StoredItemState> states =
        keeper->RecordShowing(url, ItemIdentities(reading));
    std::vector<bool> read(states.size(), false);
    if (remember) {
      for (std::size_t i = 0; i < states.size(); ++i) read[i] = states[i].read;
    }
    return read;
  };
}

TickReader RememberedReading::ReaderForTick() const {
  if (!keeper_ || (!switches_.remember && !switches_.only_new)) return {};
  return [keeper = keeper_, only_new = switches_.only_new](
             const std::string& url, FeedDownload download) {
    if (!download.ok) return ReadDownload(std::move(download));
    const ShownFeed reading = ReadShownFeed(download.text, url);
    const std::vector<StoredItemState> states =
        keeper->RecordShowing(url, ItemIdentities(reading));
    if (!only_new) return ReadDownload(std::move(download));
    std::vector<bool> first_seen(states.size());
    for (std::size_t i = 0; i < states.size(); ++i)
      first_seen[i] = states[i].first_seen;
    return ReadNewItems(reading, first_seen);
  };
}

void RememberedReading::Mark(const std::string& url, const ShownFeed& reading,
                             const std::vector<int>& rows, bool read,
                             int unread) {
  if (!keeper_ || !switches_.remember) return;
  std::vector<std::string> identities;
  for (const int row : rows) {
    if (row >= 0 && static_cast<std::size_t>(row) < reading.items.size())
      identities.push_back(
          ItemIdentity(reading.items[static_cast<std::size_t>(row)]));
  }
  if (identities.empty()) return;
  keeper_->SetUnreadCount(url, unread);
  keeper_->SetRead(url, std::move(identities), read);
}

std::optional<int> RememberedReading::UnreadCount(
    const std::string& url) const {
  if (!keeper_ || !switches_.remember) return std::nullopt;
  // Asked before the store was opened (the window was not yet shown).
  if (!keeper_->opened()) keeper_->OpenSoon();
  return keeper_->UnreadCount(url);
}

int RememberedReading::UnreadTotal(const std::vector<std::string>& urls) const {
  int total = 0;
  std::unordered_set<std::string> counted;
  for (const std::string& url : urls) {
    if (!counted.insert(url).second) continue;
    total += UnreadCount(url).value_or(0);
  }
  return total;
}

}  // namespace rivolet
