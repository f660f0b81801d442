// Tests of a tick's downloads on the download service's workers against the
// loopback server: reads in URL order whatever the finishing order, at most
// eight at once, the main client's cookies, which URLs still download, and
// giving up at once.
#include "update/tick_downloads.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/loopback_server.h"

namespace rivolet {
namespace {

using std::chrono::milliseconds;
using testing::LoopbackServer;
using testing::Request;
using testing::Response;

std::string Feed(const std::string& title) {
  return "<rss><channel><title>" + title + "</title><item><title>" + title +
         " 1</title></item></channel></rss>";
}

// Runs `urls` and waits for the job's finished signal.
std::vector<FeedRead> RunAll(std::vector<std::string> urls,
                             std::shared_ptr<SharedCookieJar> cookies) {
  TickDownloads tick(std::move(urls), {}, std::move(cookies));
  QSignalSpy finished(&tick.job(), &DownloadJob::finished);
  EXPECT_TRUE(finished.wait(10000));
  EXPECT_TRUE(tick.Finished());
  std::vector<FeedRead> reads = tick.TakeReads();
  EXPECT_EQ(finished.count(), 1);
  return reads;
}

TEST(TickDownloadsTest, ReadsInOrderAtMostEightAtOnceWithTheMainCookies) {
  LoopbackServer server;
  std::atomic<int> in_flight{0}, most{0};
  server.SetHandler([&](const Request& request) {
    if (request.target[1] != 'f') {
      return Response::Ok("").Header("Set-Cookie", "id=7");
    }
    const int now = ++in_flight;
    for (int seen = most; now > seen && !most.compare_exchange_weak(seen, now);)
      ;
    // Early feeds answer last, so the finishing order is not the list's.
    const int n = std::stoi(request.target.substr(2));
    std::this_thread::sleep_for(milliseconds(n < 4 ? 60 : 20));
    --in_flight;
    if (n == 2) return Response::Status("HTTP/1.1 404 Not Found");
    const bool has_cookie =
        request.raw.find("Cookie: id=7") != std::string::npos;
    return Response::Ok(Feed(has_cookie ? "T" + std::to_string(n) : "none"))
        .Header("Set-Cookie", "n" + std::to_string(n) + "=1");
  });
  HttpClient main_client;
  main_client.Get(server.Url("/login"));

  std::vector<std::string> urls;
  for (int n = 0; n < 20; ++n)
    urls.push_back(server.Url("/f" + std::to_string(n)));
  urls.push_back("http://no such host/");
  const auto start = std::chrono::steady_clock::now();
  const std::vector<FeedRead> reads = RunAll(urls, main_client.cookies());
  // A worker stalled that long gets company beyond the eight; on a machine
  // too busy to finish sooner the cap cannot be told from the stall rule.
  const bool none_stalled =
      std::chrono::steady_clock::now() - start < DownloadService::kStallTime;

  ASSERT_EQ(reads.size(), 21u);
  for (int n = 0; n < 20; ++n) {
    if (n == 2) {
      EXPECT_EQ(reads[n].error, "HTTP/1.1 404 Not Found");
      continue;
    }
    EXPECT_FALSE(reads[n].error);
    EXPECT_EQ(reads[n].row.caption, "T" + std::to_string(n));
  }
  EXPECT_TRUE(reads[20].error);
  EXPECT_GT(most.load(), 1);
  if (none_stalled) {
    EXPECT_LE(most.load(), 8);
  }
  // Cookies the workers received are the main client's too.
  main_client.Get(server.Url("/check"));
  EXPECT_NE(server.Requests().back().find("n19=1"), std::string::npos);
}

TEST(TickDownloadsTest, AURLDownloadsUntilItsReadIsKept) {
  LoopbackServer server;
  server.Serve("/silent", Response::Silent());
  server.Serve("/f", Response::Ok(Feed("F")));
  TickDownloads tick({server.Url("/silent"), server.Url("/f")}, {},
                     std::make_shared<SharedCookieJar>());
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return tick.Downloading() == std::vector<bool>{true, false};
  }));
  EXPECT_FALSE(tick.Finished());
}

TEST(TickDownloadsTest, GivingUpEndsAtOnceWithoutTheFinishingSignal) {
  LoopbackServer server;
  server.Serve("/silent", Response::Silent());
  const auto start = std::chrono::steady_clock::now();
  {
    TickDownloads tick(std::vector<std::string>(10, server.Url("/silent")), {},
                       std::make_shared<SharedCookieJar>());
    ASSERT_TRUE(server.WaitForRequests(8, std::chrono::seconds(5)));
    EXPECT_FALSE(tick.Finished());
    EXPECT_TRUE(tick.TakeReads().empty());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(server.RequestCount(), 8u);  // nothing new was started
  EXPECT_EQ(DownloadService::UnfinishedWorkers(), 0);
}

}  // namespace
}  // namespace rivolet
