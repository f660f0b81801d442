// Downloads on a worker thread under a local event loop.
#include "platform/download.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "platform/guard.h"

namespace rivolet {
namespace {

// One download. The worker owns it together with the waiting window, so a
// worker left behind by an abandoned download never touches freed memory.
struct Job {
  Job(HttpClient moved_client, std::string_view target)
      : client(std::move(moved_client)), url(target) {}

  HttpClient client;
  const std::string url;
  HttpCancel cancel;
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::string body;
  std::optional<std::string> error;
};

// How long an abandoned download may take to give back its client before the
// window goes on without it.
constexpr auto kGiveUpWait = std::chrono::milliseconds(300);

QPointer<QEventLoop> waiting_loop;
bool abandoning = false;
std::vector<std::function<void()>> after_download;
std::atomic<int> abandoned_workers{0};

void RunWorker(const std::shared_ptr<Job>& job) {
  std::string body;
  std::optional<std::string> error;
  try {
    body = job->client.Get(job->url, &job->cancel);
  } catch (const std::exception& e) {
    error = e.what();
  }
  {
    std::lock_guard lock(job->mutex);
    job->body = std::move(body);
    job->error = std::move(error);
    job->done = true;
  }
  job->finished.notify_all();
}

bool IsDone(Job& job) {
  std::lock_guard lock(job.mutex);
  return job.done;
}

void RunDeferredActions() {
  std::vector<std::function<void()>> actions;
  actions.swap(after_download);
  for (auto& action : actions) action();
}

}  // namespace

std::string DownloadWhilePainting(HttpClient& client, std::string_view url) {
  if (ShutdownRequested()) throw ActionAbandoned();
  if (DownloadInProgress()) throw Error("Another download is running");

  auto job = std::make_shared<Job>(std::move(client), url);
  // The window's client stays usable while its state travels with the job.
  client = HttpClient(job->client.settings());

  QEventLoop loop;
  waiting_loop = &loop;
  abandoning = false;
  // The worker only posts a wake-up to the window's thread; a wake-up that
  // arrives after the wait is over finds no loop and does nothing.
  std::thread worker([job] {
    RunWorker(job);
    if (QCoreApplication* app = QCoreApplication::instance()) {
      QMetaObject::invokeMethod(
          app,
          [] {
            if (waiting_loop) waiting_loop->quit();
          },
          Qt::QueuedConnection);
    }
  });
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  while (!IsDone(*job) && !abandoning) {
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  QGuiApplication::restoreOverrideCursor();
  waiting_loop = nullptr;

  if (abandoning && !IsDone(*job)) {
    job->cancel.Cancel();
    std::unique_lock lock(job->mutex);
    if (!job->finished.wait_for(lock, kGiveUpWait, [&] { return job->done; })) {
      // A host name still being looked up cannot be interrupted: leave the
      // worker to finish on its own.
      lock.unlock();
      ++abandoned_workers;
      std::thread([job, worker = std::move(worker)]() mutable {
        worker.join();
        --abandoned_workers;
      }).detach();
      throw ActionAbandoned();
    }
  }
  worker.join();
  client = std::move(job->client);
  // Timer ticks that fell due during the download run now, after this
  // handler has ended.
  if (!after_download.empty()) QTimer::singleShot(0, RunDeferredActions);
  if (abandoning) throw ActionAbandoned();
  if (job->error) throw Error(*job->error);
  return std::move(job->body);
}

bool DownloadInProgress() { return !waiting_loop.isNull(); }

void AbandonDownload() {
  if (!DownloadInProgress()) return;
  abandoning = true;
  waiting_loop->quit();
}

void AfterDownload(std::function<void()> action) {
  if (DownloadInProgress()) {
    after_download.push_back(std::move(action));
  } else {
    action();
  }
}

int AbandonedWorkers() { return abandoned_workers.load(); }

}  // namespace rivolet
