// The update room: the minute tick counts, picks the due feeds, downloads
// them on the download service's workers and reports the tick's outcome on
// the window's thread. Whoever owns the notification window and the state of
// reading applies it.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "feeds/feed_list.h"
#include "net/http_client.h"
#include "update/scheduler.h"

namespace rivolet {

class TickDownloads;

class FeedUpdater : public QObject {
  Q_OBJECT

 public:
  // `feeds` is the program's list; the tick's downloads use the settings and
  // the cookies of `http` (the main window's client); `updating_on` reads
  // whether updating is switched on; `box_free` whether a tick's error box
  // may be shown (none of an earlier tick waits or is open; none: always).
  FeedUpdater(const FeedList& feeds, HttpClient& http,
              std::function<bool()> updating_on,
              std::function<bool()> box_free = {});
  ~FeedUpdater() override;

  // The minute timer's tick. It starts on time, whatever earlier ticks are
  // still doing, for every due feed not still being downloaded. While the
  // window's thread waits for a download the tick waits too, so it never
  // changes what that download is about to show.
  void Tick();

  // Gives up every running tick at once (the program is closing).
  void Stop();

  // Asked at the start of each tick for the reader of its downloads; none
  // (or an empty one) reads each with ReadDownload.
  void set_tick_reader(std::function<TickReader()> make_reader) {
    make_reader_ = std::move(make_reader);
  }

  // Some tick's downloads still run.
  bool running() const { return !ticks_.empty(); }
  std::int32_t tick() const { return scheduler_.tick(); }

 signals:
  // A tick that runs has begun: the notification list starts empty.
  void tickStarted();
  // Every due feed of the tick has been downloaded and read.
  void tickEnded(const TickOutcome& outcome);

 private:
  struct RunningTick;

  void BeginTick();
  void DownloadsEnded(const RunningTick* tick);
  // The URLs whose download in a running tick has not ended yet.
  std::unordered_set<std::string> InFlight() const;

  const FeedList& feeds_;
  HttpClient& http_;
  std::function<bool()> updating_on_;
  std::function<TickReader()> make_reader_;
  std::function<bool()> box_free_;
  UpdateScheduler scheduler_;
  ToldFailures told_;
  std::list<RunningTick> ticks_;  // oldest first
  std::uint64_t ticks_begun_ = 0;
  // The tick whose read of each URL was shown last.
  std::unordered_map<std::string, std::uint64_t> read_by_tick_;
};

}  // namespace rivolet
