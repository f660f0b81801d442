// The windows' download: the body or the client's error comes back as from
// the client itself, a download can be given up at once, and what is put off
// until the download ends runs after it. A job's stalled workers get company
// up to its cap.
#include "background/download.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/guard.h"
#include "tests/support/loopback_server.h"

namespace rivolet {
namespace {

using testing::LoopbackServer;
using testing::Response;

std::string DownloadWhilePainting(HttpClient& client, std::string_view url) {
  return FetchWhilePainting(client, url,
                            [](HttpResult fetched) { return fetched.body; });
}

TEST(FetchWhilePainting, ReadsOnTheWorkerAndGivesTheClientsOrTheReadsError) {
  LoopbackServer server;
  server.Serve("/a", Response::Ok("body").Header("Set-Cookie", "id=7"));
  HttpClient client;
  const auto window_thread = std::this_thread::get_id();
  EXPECT_EQ(FetchWhilePainting(client, server.Url("/a"),
                               [&](HttpResult fetched) {
                                 EXPECT_NE(std::this_thread::get_id(),
                                           window_thread);
                                 return fetched.body + "!";
                               }),
            "body!");
  // The client's state comes back with it: the cookie is sent again.
  for (const char* path : {"/missing", "/a"}) {
    try {
      FetchWhilePainting(client, server.Url(path), [](HttpResult) {
        throw std::runtime_error("Not a feed");
        return 0;
      });
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(),
                   path[1] == 'm' ? "HTTP/1.1 404 Not Found" : "Not a feed");
    }
  }
  ASSERT_EQ(server.RequestCount(), 3u);
  EXPECT_NE(server.Requests()[1].find("Cookie: id=7\r\n"), std::string::npos);
  EXPECT_FALSE(DownloadService::Waiting());
}

TEST(DownloadWhilePainting, AbandoningEndsTheWaitAtOnceAndPutOffWorkRunsAfter) {
  LoopbackServer server;
  server.Serve("/silent", Response::Silent());
  HttpClient client;
  std::vector<int> order;
  QTimer::singleShot(100, [&] {
    ASSERT_TRUE(DownloadService::Waiting());
    DownloadService::AfterWait([&] { order.push_back(2); });
    DownloadService::AbandonWait();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(DownloadWhilePainting(client, server.Url("/silent")),
               ActionAbandoned);
  order.push_back(1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  // Nothing waits any more: work is done at once, and the put-off work runs
  // once the event loop is back.
  DownloadService::AfterWait([&] { order.push_back(3); });
  QTimer timer;
  timer.setSingleShot(true);
  timer.start(50);
  while (timer.isActive()) QCoreApplication::processEvents();
  EXPECT_EQ(order, (std::vector<int>{1, 3, 2}));
}

TEST(DownloadWhilePainting, AClickDuringTheDownloadReachesItsButtonAfterwards) {
  LoopbackServer server;
  server.Serve("/slow",
               Response::Ok("body").Slow(4, std::chrono::milliseconds(100)));
  QPushButton button("Cancel");
  button.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
  int clicks = 0;
  QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
  HttpClient client;
  QTimer::singleShot(100, [&] { QTest::mouseClick(&button, Qt::LeftButton); });
  EXPECT_EQ(DownloadWhilePainting(client, server.Url("/slow")), "body");
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return clicks == 1; }, 1000));
}

// Tasks that hang until let go, as on servers that went silent; each counts
// its runs and the most that ran at once.
class HangingTasks {
 public:
  explicit HangingTasks(std::size_t count) : runs_(count, 0) {}

  DownloadService::TaskMaker Maker() {
    return [this]() -> DownloadService::Task {
      return [this](std::size_t index, const HttpCancel&) {
        std::unique_lock lock(mutex_);
        ++runs_[index];
        most_ = std::max(most_, ++running_);
        let_go_changed_.wait_for(lock, std::chrono::seconds(20),
                                 [this] { return let_go_; });
        --running_;
      };
    };
  }
  void LetGo() {
    std::lock_guard lock(mutex_);
    let_go_ = true;
    let_go_changed_.notify_all();
  }
  std::size_t Most() {
    std::lock_guard lock(mutex_);
    return most_;
  }
  std::vector<int> Runs() {
    std::lock_guard lock(mutex_);
    return runs_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable let_go_changed_;
  bool let_go_ = false;
  std::size_t running_ = 0;
  std::size_t most_ = 0;
  std::vector<int> runs_;
};

void RunEventsFor(std::chrono::milliseconds time,
                  const bool* stop_when = nullptr) {
  const auto end = std::chrono::steady_clock::now() + time;
  while (std::chrono::steady_clock::now() < end && !(stop_when && *stop_when)) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
}

TEST(DownloadService, StalledWorkersGetCompanyUpToTheCapOnly) {
  struct Case {
    std::size_t stall_cap;
    std::size_t most_at_once;
  };
  // Two workers that stall are joined by two more, which stall in turn.
  for (const Case& c : {Case{6, 6}, Case{0, 2}}) {
    HangingTasks tasks(10);
    std::unique_ptr<DownloadJob> job =
        DownloadService::Start(10, 2, tasks.Maker(), c.stall_cap);
    bool finished = false;
    QObject::connect(job.get(), &DownloadJob::finished,
                     [&finished] { finished = true; });
    RunEventsFor(5 * DownloadService::kStallTime);
    EXPECT_EQ(tasks.Most(), c.most_at_once) << "cap " << c.stall_cap;
    // Once the tasks move again every one runs, exactly once.
    tasks.LetGo();
    RunEventsFor(std::chrono::seconds(20), &finished);
    EXPECT_TRUE(finished) << "cap " << c.stall_cap;
    EXPECT_EQ(tasks.Runs(), std::vector<int>(10, 1)) << "cap " << c.stall_cap;
  }
}

}  // namespace
}  // namespace rivolet
