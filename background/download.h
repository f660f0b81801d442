// The download service: every piece of background work of the program (a
// window's download, the downloads of an update tick) runs on the worker
// threads it hands out, with their cancel handle and one give-up rule, and
// tells the thread that started it through a job object's signal.
//
// A window's download waits for its job in a local event loop that keeps
// every window painting and hears the window manager's close, but holds back
// keyboard and mouse input (it is delivered afterwards, in order, as if the
// window had been busy), so no other handler of the user's runs and no second
// download starts. The pointer shows busy.
#pragma once

#include <QObject>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <vector>

#include "net/http_client.h"

namespace rivolet {

// One piece of background work: a number of tasks spread over worker
// threads. It lives on the thread that started it and reports there.
class DownloadJob : public QObject {
  Q_OBJECT

 public:
  // Abandons whatever still runs (see Abandon).
  ~DownloadJob() override;

  // Every task has ended and nothing was abandoned.
  bool Done() const;

  // Gives up at once: the cancel handle every task was given is cancelled,
  // no task starts any more and `finished` is never emitted. The workers end
  // on their own and never touch this object.
  void Abandon();

 signals:
  // Once, on the job's thread, when every task has ended.
  void finished();

 private:
  friend class DownloadService;
  struct State;
  explicit DownloadJob(std::shared_ptr<State> state);

  // Starts one more worker; false when no thread could be started.
  bool AddWorker();
  // The stall rule's regular look at the workers; false once it has nothing
  // more to do.
  bool CheckStalls();

  std::shared_ptr<State> state_;
  std::vector<std::thread> workers_;
};

class DownloadService {
 public:
  // Runs task `index` on a worker thread; `cancel` is cancelled when the job
  // is given up.
  using Task = std::function<void(std::size_t index, const HttpCancel& cancel)>;
  // Made once on each worker thread, which then runs it for every task it
  // takes (a worker keeps its own HTTP client for all of them).
  using TaskMaker = std::function<Task()>;

  // A worker this long on one task counts as stalled (a server that
  // accepted the connection and went silent).
  static constexpr std::chrono::milliseconds kStallTime{500};

  // Starts `count` tasks, in index order, on at most `max_workers` threads.
  // With `stall_cap` above `max_workers`, stalled workers do not hold back
  // the tasks still waiting: others are started beside them, so that up to
  // `max_workers` are never stalled, up to `stall_cap` threads in all. With
  // no tasks the job is done at once and never emits. Throws Error when no
  // worker thread can be started.
  static std::unique_ptr<DownloadJob> Start(std::size_t count,
                                            std::size_t max_workers,
                                            TaskMaker make_task,
                                            std::size_t stall_cap = 0);

  // True while the window's thread waits for a download.
  static bool Waiting();
  // Gives up the download being waited for, at once (a close request or a
  // termination signal): its FetchWhilePainting throws ActionAbandoned.
  static void AbandonWait();
  // Runs `action` now when no download is being waited for, otherwise as
  // soon as the window's thread has finished with the current one.
  static void AfterWait(std::function<void()> action);

  // Worker threads that have not ended yet (one given up may still be
  // looking up a host name, which cannot be interrupted): the program must
  // not run its exit handlers under them.
  static int UnfinishedWorkers();
};

// The windows' download: `url` with `client` (its cookies and settings) on a
// worker thread while the window keeps painting, then `read` on the same
// worker over what came (the body and where it was read from), so that the
// window's thread only fills widgets with what `read` made of it. Throws the
// client's Error on any failure, an error `read` throws, and ActionAbandoned
// when the download was given up for a close request or a termination
// signal.
void FetchAndReadWhilePainting(HttpClient& client, std::string_view url,
                               std::function<void(HttpResult)> read);

// The same, returning what `read` gives.
template <typename Read>
auto FetchWhilePainting(HttpClient& client, std::string_view url, Read read) {
  using Reading = std::invoke_result_t<Read, HttpResult>;
  // Shared with the worker, which may outlive a wait given up.
  auto reading = std::make_shared<std::optional<Reading>>();
  FetchAndReadWhilePainting(
      client, url,
      [reading, read = std::move(read)](HttpResult fetched) mutable {
        reading->emplace(read(std::move(fetched)));
      });
  return std::move(**reading);
}

}  // namespace rivolet
