// The windows' download: the body or the client's error comes back as from
// the client itself, a download can be given up at once, and what is put off
// until the download ends runs after it.
#include "platform/download.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <vector>

#include "platform/guard.h"
#include "tests/support/loopback_server.h"

namespace rivolet {
namespace {

using testing::LoopbackServer;
using testing::Response;

TEST(DownloadWhilePainting, GivesTheBodyOrTheClientsErrorAndKeepsCookies) {
  LoopbackServer server;
  server.Serve("/a", Response::Ok("body").Header("Set-Cookie", "id=7"));
  HttpClient client;
  EXPECT_EQ(DownloadWhilePainting(client, server.Url("/a")), "body");
  // The client's state comes back with it: the cookie is sent again.
  try {
    DownloadWhilePainting(client, server.Url("/missing"));
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "HTTP/1.1 404 Not Found");
  }
  ASSERT_EQ(server.RequestCount(), 2u);
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

}  // namespace
}  // namespace rivolet
