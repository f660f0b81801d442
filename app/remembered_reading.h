// What the program remembers of the user's reading, by its two switches:
// read marks that last ("remember") and notifications of new items only
// ("only_new"). Either switch keeps reading.db through one keeper for the
// run; with both off nothing opens or writes it. Plain rules over the
// keeper, no widgets.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "reader/shown_feed.h"
#include "reading/reading_keeper.h"
#include "update/scheduler.h"

namespace rivolet {

class RememberedReading {
 public:
  struct Switches {
    bool remember = false;
    bool only_new = false;
  };

  // `file` is reading.db; `on_trouble` hears, once and on any thread, that
  // the store had to be set aside or could not be had.
  RememberedReading(std::filesystem::path file,
                    std::function<void(const StoreTrouble&)> on_trouble);
  ~RememberedReading();
  RememberedReading(const RememberedReading&) = delete;
  RememberedReading& operator=(const RememberedReading&) = delete;

  // The switches in force. A switch turned on makes the keeper; its store
  // opens at the first need or at OpenSoon.
  void SetSwitches(Switches switches);
  bool remember() const { return switches_.remember; }
  bool only_new() const { return switches_.only_new; }
  // The store opens now on the keeper's thread, when a switch wants it.
  void OpenSoon();

  // Records a feed's reading and gives its rows' read marks; made on the
  // window's thread, run on the worker that read the feed. With both
  // switches off it records nothing; with "remember" off every row is
  // unread.
  using ShowingMarker = std::function<std::vector<bool>(
      const std::string& url, const ShownFeed& reading)>;
  ShowingMarker Marker() const;

  // The reader of a tick's downloads: the feed's items recorded, and with
  // "only_new" a row for each new one. Empty with both switches off.
  TickReader ReaderForTick() const;

  // The user marked the items of `rows` of `reading` (the feed of `url`)
  // read or unread; the feed now has `unread` unread rows. Queued; nothing
  // with "remember" off.
  void Mark(const std::string& url, const ShownFeed& reading,
            const std::vector<int>& rows, bool read, int unread);

  // A feed's unread count as the feed menu shows it: with "remember" on,
  // once the store knows the feed.
  std::optional<int> UnreadCount(const std::string& url) const;
  // The unread items of the feeds of `urls`, each counted once.
  int UnreadTotal(const std::vector<std::string>& urls) const;

  // The keeper, once a switch has been on; for a close and for tests.
  ReadingKeeper* keeper() const { return keeper_.get(); }

 private:
  std::filesystem::path file_;
  std::function<void(const StoreTrouble&)> on_trouble_;
  Switches switches_;
  std::shared_ptr<ReadingKeeper> keeper_;
};

}  // namespace rivolet
