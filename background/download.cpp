// The download service: worker threads, their cancel handles, the give-up
// rule, and the window's wait for its own download.
#include "background/download.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>

#include "common/error.h"
#include "platform/guard.h"

namespace rivolet {
namespace {

// How long giving up may wait for the workers to end before leaving them to
// end on their own.
constexpr auto kGiveUpWait = std::chrono::milliseconds(300);

// Every worker thread the service started that has not ended yet.
std::atomic<int> live_workers{0};

// The window's wait for its download; the window's thread alone touches
// these.
QPointer<QEventLoop> waiting_loop;
bool abandoning = false;
std::vector<std::function<void()>> after_wait;

void RunPutOffActions() {
  std::vector<std::function<void()>> actions;
  actions.swap(after_wait);
  for (auto& action : actions) action();
}

// Keyboard and mouse input that reaches a window while a download is waited
// for: held back, and delivered in its order once no download is waited for
// any more, as if the window had been busy. Everything else (painting,
// timers, the window manager's close) goes on meanwhile.
class HeldInput : public QObject {
 public:
  using QObject::QObject;

  // Delivers what was held, one event at a time; an event that starts a new
  // download leaves the rest for after that one.
  void Deliver() {
    while (!held_.empty() && !DownloadService::Waiting()) {
      Held next = std::move(held_.front());
      held_.pop_front();
      if (next.receiver)
        QCoreApplication::sendEvent(next.receiver, next.event.get());
    }
  }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (!DownloadService::Waiting() || !event->spontaneous() ||
        !event->isInputEvent()) {
      return false;
    }
    held_.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
    return true;
  }

 private:
  struct Held {
    QPointer<QObject> receiver;
    std::unique_ptr<QEvent> event;
  };
  std::deque<Held> held_;
};

HeldInput& Input() {
  static QPointer<HeldInput> input;
  if (!input) {
    input = new HeldInput(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(input);
  }
  return *input;
}

}  // namespace

// Shared by the job and its workers, so a worker left running after the job
// is gone still has everything it touches.
struct DownloadJob::State {
  using Clock = std::chrono::steady_clock;

  State(std::size_t task_count, std::size_t workers, std::size_t cap,
        DownloadService::TaskMaker maker)
      : count(task_count),
        max_workers(workers),
        stall_cap(cap),
        make_task(std::move(maker)),
        busy_since(std::max(workers, cap)) {}

  void Work(std::size_t slot);

  const std::size_t count;
  const std::size_t max_workers;
  const std::size_t stall_cap;
  const DownloadService::TaskMaker make_task;
  HttpCancel cancel;

  std::mutex mutex;  // guards everything below
  std::condition_variable ended;
  std::size_t next = 0;  // the next task to take
  std::size_t running = 0;
  bool abandoned = false;
  DownloadJob* owner = nullptr;  // cleared before the job goes
  // When each worker took its task; empty while it has none.
  std::vector<std::optional<Clock::time_point>> busy_since;
};

void DownloadJob::State::Work(std::size_t slot) {
  DownloadService::Task task;
  try {
    task = make_task();
  } catch (const std::exception&) {
    // The tasks are still taken, so the job ends; they report nothing.
  }
  while (true) {
    std::size_t index;
    {
      std::lock_guard lock(mutex);
      busy_since[slot].reset();
      if (abandoned || next >= count) break;
      index = next++;
      busy_since[slot] = Clock::now();
    }
    try {
      if (task) task(index, cancel);
    } catch (const std::exception&) {
      // A task reports its own failures; one that throws only ends itself.
    }
  }
  std::lock_guard lock(mutex);
  if (--running == 0 && !abandoned && owner != nullptr) {
    // Only a wake-up crosses to the job's thread; a job gone by then takes
    // its queued call with it.
    DownloadJob* job = owner;
    QMetaObject::invokeMethod(
        job,
        [job] {
          if (job->Done()) emit job->finished();
        },
        Qt::QueuedConnection);
  }
  ended.notify_all();
}

DownloadJob::DownloadJob(std::shared_ptr<State> state)
    : state_(std::move(state)) {}

DownloadJob::~DownloadJob() {
  Abandon();
  std::unique_lock lock(state_->mutex);
  state_->owner = nullptr;
  const bool all_ended = state_->ended.wait_for(
      lock, kGiveUpWait, [this] { return state_->running == 0; });
  lock.unlock();
  for (std::thread& worker : workers_) {
    if (all_ended) {
      worker.join();
    } else {
      // A host name still being looked up cannot be interrupted: the worker
      // ends on its own, counted until it has.
      worker.detach();
    }
  }
}

bool DownloadJob::Done() const {
  std::lock_guard lock(state_->mutex);
  return state_->running == 0 && !state_->abandoned;
}

void DownloadJob::Abandon() {
  {
    std::lock_guard lock(state_->mutex);
    state_->abandoned = true;
  }
  state_->cancel.Cancel();
}

bool DownloadJob::AddWorker() {
  // Called with the state's lock held, so the new worker cannot take a task
  // before it is counted.
  const std::size_t slot = workers_.size();
  ++live_workers;
  try {
    workers_.emplace_back([state = state_, slot]() mutable {
      state->Work(slot);
      state.reset();
      --live_workers;
    });
  } catch (const std::system_error&) {
    --live_workers;
    return false;
  }
  ++state_->running;
  return true;
}

bool DownloadJob::CheckStalls() {
  std::lock_guard lock(state_->mutex);
  if (state_->abandoned || state_->next >= state_->count) return false;
  const auto stalled_before = State::Clock::now() - DownloadService::kStallTime;
  std::size_t moving = 0;
  for (std::size_t slot = 0; slot < workers_.size(); ++slot) {
    const auto& since = state_->busy_since[slot];
    if (!since || *since > stalled_before) ++moving;
  }
  const std::size_t waiting = state_->count - state_->next;
  std::size_t wanted = state_->max_workers > moving
                           ? state_->max_workers - moving
                           : std::size_t{0};
  wanted = std::min({wanted, waiting, state_->stall_cap - workers_.size()});
  for (std::size_t i = 0; i < wanted && AddWorker(); ++i) {
  }
  return workers_.size() < state_->stall_cap;
}

std::unique_ptr<DownloadJob> DownloadService::Start(std::size_t count,
                                                    std::size_t max_workers,
                                                    TaskMaker make_task,
                                                    std::size_t stall_cap) {
  max_workers = std::max<std::size_t>(max_workers, 1);
  stall_cap = std::max(stall_cap, max_workers);
  auto state = std::make_shared<DownloadJob::State>(
      count, max_workers, stall_cap, std::move(make_task));
  std::unique_ptr<DownloadJob> job(new DownloadJob(state));
  state->owner = job.get();
  const std::size_t wanted = std::min(max_workers, count);
  job->workers_.reserve(stall_cap);
  {
    std::lock_guard lock(state->mutex);
    for (std::size_t i = 0; i < wanted && job->AddWorker(); ++i) {
    }
  }
  if (wanted > 0 && job->workers_.empty()) {
    throw Error("Cannot start the downloads");
  }
  if (stall_cap > max_workers && count > wanted) {
    auto* watch = new QTimer(job.get());
    watch->setInterval(100);
    QObject::connect(watch, &QTimer::timeout, job.get(),
                     [job = job.get(), watch] {
                       if (!job->CheckStalls()) watch->stop();
                     });
    watch->start();
  }
  return job;
}

bool DownloadService::Waiting() { return !waiting_loop.isNull(); }

void DownloadService::AbandonWait() {
  if (!Waiting()) return;
  abandoning = true;
  waiting_loop->quit();
}

void DownloadService::AfterWait(std::function<void()> action) {
  if (Waiting()) {
    after_wait.push_back(std::move(action));
  } else {
    action();
  }
}

int DownloadService::UnfinishedWorkers() { return live_workers.load(); }

void FetchAndReadWhilePainting(HttpClient& client, std::string_view url,
                               std::function<void(HttpResult)> read) {
  if (ShutdownRequested()) throw ActionAbandoned();
  if (DownloadService::Waiting()) throw Error("Another download is running");

  // The worker owns the download's state together with this wait, so a
  // worker left behind by a download given up never touches freed memory.
  struct Download {
    HttpClient client;
    std::string url;
    std::function<void(HttpResult)> read;
    std::optional<std::string> error;
    std::atomic<bool> ended{false};  // the client is free again
  };
  auto download = std::make_shared<Download>();
  download->client = std::move(client);
  download->url = url;
  download->read = std::move(read);
  // The window's client stays usable while its state travels with the job.
  client = HttpClient(download->client.settings());
  std::unique_ptr<DownloadJob> job =
      DownloadService::Start(1, 1, [download]() -> DownloadService::Task {
        return [download](std::size_t, const HttpCancel& cancel) {
          try {
            download->read(HttpGet(download->client, download->url, &cancel));
          } catch (const std::exception& e) {
            download->error = e.what();
          }
          download->ended = true;
        };
      });

  QEventLoop loop;
  QObject::connect(job.get(), &DownloadJob::finished, &loop, &QEventLoop::quit);
  HeldInput& input = Input();
  waiting_loop = &loop;
  abandoning = false;
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  while (!job->Done() && !abandoning) loop.exec();
  QGuiApplication::restoreOverrideCursor();
  waiting_loop = nullptr;
  // The input held back meanwhile reaches its windows after this handler.
  QTimer::singleShot(0, &input, &HeldInput::Deliver);

  const bool abandoned = abandoning || !job->Done();
  // A download given up gets the give-up rule's time to end.
  job.reset();
  if (abandoned && !download->ended) throw ActionAbandoned();
  client = std::move(download->client);
  // Timer ticks that fell due during the download run now, after this
  // handler has ended.
  if (!after_wait.empty()) QTimer::singleShot(0, RunPutOffActions);
  if (abandoned) throw ActionAbandoned();
  if (download->error) throw Error(*download->error);
}

}  // namespace rivolet
