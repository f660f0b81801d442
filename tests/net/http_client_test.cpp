// Tests of the HTTP client against the loopback server: the bytes it sends,
// the bodies it returns, and how each kind of failure ends, quickly.
#include "net/http_client.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/http_message.h"
#include "tests/net/http_test_util.h"
#include "tests/support/loopback_server.h"

namespace rivolet {
namespace {

using std::chrono::milliseconds;
using testing::ErrorOf;
using testing::LoopbackServer;
using testing::Response;

HttpClientSettings Quick() {
  HttpClientSettings settings;
  settings.connect_timeout = milliseconds(2000);
  settings.idle_timeout = milliseconds(500);
  return settings;
}

TEST(HttpClientTest, SendsExactlyTheRequest) {
  LoopbackServer server;
  server.Serve("/news/rss.php", Response::Ok("x"));
  server.Serve("/", Response::Ok("home"));
  HttpClient client;
  EXPECT_EQ(client.Get(server.Url("/news/rss.php?cat=2&lang=cs#latest")), "x");
  EXPECT_EQ(client.Get("http://127.0.0.1:" + std::to_string(server.port())),
            "home");
  const std::string host =
      "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n";
  ASSERT_EQ(
      server.Requests(),
      (std::vector<std::string>{
          "GET /news/rss.php?cat=2&lang=cs HTTP/1.1\r\n" + host +
              "Accept: text/html, */*\r\n"
              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n",
          "GET / HTTP/1.1\r\n" + host +
              "Accept: text/html, */*\r\n"
              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n"}));
}

TEST(HttpClientTest, ReturnsBodiesByteForByte) {
  std::string every_byte;
  for (int i = 0; i < 256; ++i) every_byte += static_cast<char>(i);
  const std::string utf8 =
      "<title>\xc5\xbelu\xc5\xa5ou\xc4\x8dk\xc3\xbd k\xc5\xaf\xc5\x88</title>";
  std::string big(3 * 1024 * 1024 + 7, 'a');
  for (std::size_t i = 0; i < big.size(); i += 4096)
    big[i] = static_cast<char>(i / 4096);

  struct Case {
    const char* name;
    Response response;
    std::string body;
  };
  const Case cases[] = {
      {"empty", Response::Ok(""), ""},
      {"utf-8 unchanged", Response::Ok(utf8), utf8},
      {"every byte", Response::Ok(every_byte), every_byte},
      {"gzip is not undone",
       Response::Ok("\x1f\x8b\x08").Header("Content-Encoding", "gzip"),
       "\x1f\x8b\x08"},
      {"chunked",
       Response::Ok(utf8).Chunked(3, ";ext=\"a b\"", {{"X-Sum", "1"}}), utf8},
      {"until close", Response::Ok(every_byte).UntilClose(), every_byte},
      {"100 continue first", Response::Ok("after").ContinueFirst(), "after"},
      {"large", Response::Ok(big), big},
      {"large chunked", Response::Ok(big).Chunked(100000), big},
      {"slow but steady", Response::Ok("trickle").Slow(2, milliseconds(20)),
       "trickle"},
      {"201 is success too", Response::Status("HTTP/1.1 201 Created", "made"),
       "made"},
  };
  LoopbackServer server;
  HttpClient client(Quick());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server.Serve("/feed", c.response);
    EXPECT_EQ(client.Get(server.Url("/feed")), c.body);
  }
}

TEST(HttpClientTest, RefusedStatusesFailWithTheStatusLine) {
  struct Case {
    Response response;
    std::string error;
  };
  const Case cases[] = {
      {Response::Status("HTTP/1.1 300 Multiple Choices", "<a>moved</a>")
           .Header("Location", "/elsewhere"),
       "HTTP/1.1 300 Multiple Choices"},
      {Response::Status("HTTP/1.1 302 Found").UntilClose(),
       "HTTP/1.1 302 Found"},
      {Response::Status("HTTP/1.1 404 Not Found", "no such feed"),
       "HTTP/1.1 404 Not Found"},
      {Response::Status("HTTP/1.0 500 Internal Server Error", "oops")
           .Chunked(1),
       "HTTP/1.0 500 Internal Server Error"},
      {Response::Status("HTTP/1.1 401 Unauthorized")
           .Header("WWW-Authenticate", "Basic"),
       "HTTP/1.1 401 Unauthorized"},
      {Response::Ok("body").Header("Location", "http://elsewhere/"),
       "HTTP/1.1 200 OK"},
      // The status decides even when the body we only meant to drop breaks.
      {Response::Status("HTTP/1.1 503 Busy", std::string(500, 'x'))
           .CutAfter(60),
       "HTTP/1.1 503 Busy"},
  };
  LoopbackServer server;
  HttpClient client(Quick());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    server.Serve("/feed", c.response);
    EXPECT_EQ(ErrorOf(client, server.Url("/feed")), c.error);
  }
  // No "Location" was followed.
  EXPECT_EQ(server.RequestCount(), std::size(cases));
}

TEST(HttpClientTest, FollowsRedirectsWithinTheirRules) {
  LoopbackServer plain;
  LoopbackServer secure(LoopbackServer::Options{.tls = true});
  HttpClientSettings settings = Quick();
  settings.extra_ca_file = secure.CaFile();
  settings.total_timeout = milliseconds(600);
  const std::string port = std::to_string(plain.port());
  const std::string p = plain.Url(""), s = secure.Url(""), feed = p + "/feed";
  auto moved = [](std::string status, std::string to) {
    return Response::Status("HTTP/1.1 " + status, "moved")
        .Header("Location", std::move(to));
  };
  plain.Serve("/feed", Response::Ok("feed"));
  secure.Serve("/feed", Response::Ok("secure"));
  plain.Serve("/301", moved("301 Moved Permanently", feed));
  plain.Serve("/a/302", moved("302 Found", "../feed?x"));
  plain.Serve("/303", moved("303 See Other", "//localhost:" + port + "/307")
                          .Header("Set-Cookie", "k=1"));
  plain.Serve("/307", moved("307 Temporary Redirect", feed));
  plain.Serve("/308", moved("308 Permanent Redirect", s + "/feed"));
  std::vector<std::string> chain;  // /6 leads to /5 and so on, /1 to the feed
  for (int i = 6; i >= 1; --i) {
    chain.push_back(p + "/" + std::to_string(i));
    plain.Serve("/" + std::to_string(i),
                moved("302 Found", i == 1 ? "/feed" : std::to_string(i - 1)));
  }
  chain.push_back(feed);
  plain.Serve("/loop", moved("301 Moved", "/loop#again"));
  secure.Serve("/down", moved("301 Moved", feed));
  plain.Serve("/ftp", moved("302 Found", "ftp://h/"));
  plain.Serve("/port", moved("301 Moved", "http://h:99999/"));
  plain.Serve("/two", moved("301 Moved", "/feed").Header("Location", "/x"));
  // Each within the time allowed, both together beyond it.
  plain.Serve("/slow", moved("302 Found", "/late").Slow(15, milliseconds(100)));
  plain.Serve("/late", Response::Ok("late").Slow(12, milliseconds(100)));

  struct Case {
    std::vector<std::string> hops;  // every address asked for, in order
    std::string outcome;            // the body or the error
    std::string cookie = "";        // sent with the last request
  };
  const Case cases[] = {
      {{p + "/301", feed}, "feed"},
      {{p + "/a/302", feed + "?x"}, "feed"},
      {{p + "/303", "http://localhost:" + port + "/307", feed}, "feed", "k=1"},
      {{p + "/308", s + "/feed"}, "secure"},
      {{chain.begin() + 1, chain.end()}, "feed"},
      {{chain.begin(), chain.end() - 1}, "Too many redirects: " + feed},
      {{p + "/loop"}, "Redirect loop: " + p + "/loop#again"},
      {{s + "/down"}, "Redirect from https to http refused: " + feed},
      {{p + "/ftp"}, "Redirect to ftp refused: ftp://h/"},
      {{p + "/port"}, "HTTP/1.1 301 Moved"},
      {{p + "/two"}, "HTTP/1.1 301 Moved"},
      {{p + "/slow", p + "/late"},
       "Downloading from 127.0.0.1:" + port + " took too long"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hops[0]);
    HttpClient client(settings);
    HttpResult result;
    const std::string error =
        testing::ErrorText([&] { result = client.Fetch(c.hops[0]); });
    EXPECT_EQ(error.empty() ? result.body : error, c.outcome);
    EXPECT_EQ(result.final_url, error.empty() ? c.hops.back() : "");
    std::vector<std::string> sent = plain.Requests(), expected;
    for (const std::string& request : secure.Requests())
      sent.push_back(request);
    for (const std::string& hop : c.hops)
      expected.push_back(BuildHttpRequest(
          ParseHttpUrl(hop), &hop == &c.hops.back() ? c.cookie : ""));
    EXPECT_EQ(sent, expected);
    plain.ClearRequests();
    secure.ClearRequests();
  }
}

TEST(HttpClientTest, ARedirectsRawBytesAreEncodedInTheRequestLineOnly) {
  LoopbackServer server;
  server.Serve("/raw", Response::Status("HTTP/1.1 302 Found", "moved")
                           .Header("Location", "/\xE9\xFF?q=\xB1"));
  server.Serve("/%E9%FF?q=%B1", Response::Ok("encoded"));
  HttpClient client(Quick());
  const HttpResult result = client.Fetch(server.Url("/raw"));
  EXPECT_EQ(result.body, "encoded");
  EXPECT_EQ(result.final_url, server.Url("/\xE9\xFF?q=\xB1"));
  ASSERT_EQ(server.RequestCount(), 2u);
  EXPECT_TRUE(
      server.Requests()[1].starts_with("GET /%E9%FF?q=%B1 HTTP/1.1\r\n"))
      << server.Requests()[1];
}

TEST(HttpClientTest, CookiesGoBackOnlyFromTheClientThatReceivedThem) {
  LoopbackServer server;
  server.ServeSequence("/feed",
                       {Response::Ok("first")
                            .Header("Set-Cookie", "visitor=42; Path=/")
                            .Header("Set-Cookie2", "pref=\"dark\"; Version=1"),
                        Response::Ok("again")});
  HttpClient window;
  HttpClient other_window;
  EXPECT_EQ(window.Get(server.Url("/feed")), "first");
  EXPECT_EQ(window.Get(server.Url("/feed?page=2")), "again");
  EXPECT_EQ(other_window.Get(server.Url("/feed")), "again");
  // Cookies set with a refused status are kept too.
  server.Serve("/gone", Response::Status("HTTP/1.1 404 Not Found")
                            .Header("Set-Cookie", "seen=1"));
  EXPECT_EQ(ErrorOf(window, server.Url("/gone")), "HTTP/1.1 404 Not Found");
  EXPECT_EQ(window.Get(server.Url("/feed")), "again");

  std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(requests.size(), 5u);
  EXPECT_EQ(requests[0].find("Cookie"), std::string::npos);
  EXPECT_NE(requests[1].find("\r\nCookie: visitor=42; pref=\"dark\"\r\n\r\n"),
            std::string::npos)
      << requests[1];
  EXPECT_EQ(requests[2].find("Cookie"), std::string::npos);
  EXPECT_NE(
      requests[4].find("\r\nCookie: visitor=42; pref=\"dark\"; seen=1\r\n\r\n"),
      std::string::npos)
      << requests[4];
}

TEST(HttpClientTest, ClientsSharingAStoreSeeEachOthersCookies) {
  LoopbackServer server;
  server.SetHandler([](const testing::Request& request) {
    // Each request sets a cookie named after its path.
    return Response::Ok("x").Header("Set-Cookie",
                                    request.target.substr(1) + "=1");
  });
  HttpClient window;
  window.Get(server.Url("/main"));
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&, i] {
      HttpClient worker(Quick(), window.cookies());
      for (int j = 0; j < 5; ++j) {
        worker.Get(server.Url("/w" + std::to_string(i) + std::to_string(j)));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  window.Get(server.Url("/last"));
  const std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(requests.size(), 22u);
  // Every worker request carried the main client's cookie; the last request
  // carries all twenty-one.
  for (std::size_t i = 1; i < 21; ++i) {
    EXPECT_NE(requests[i].find("Cookie: main=1"), std::string::npos);
  }
  EXPECT_EQ(std::count(requests[21].begin(), requests[21].end(), '='), 21);
}

TEST(HttpClientTest, BrokenTransfersFailQuicklyWithAClearText) {
  HttpClientSettings settings = Quick();
  settings.max_body = 1000;
  const std::string huge(1500, 'x');
  struct Case {
    const char* name;
    Response response;
    std::string before;  // the text around the host and port
    std::string after;
  };
  const Case cases[] = {
      {"cut before its length",
       Response::Ok(std::string(100, 'x')).CutAfter(60), "",
       " closed the connection early"},
      {"cut in a chunk",
       Response::Ok(std::string(100, 'x')).Chunked(10).CutAfter(90), "",
       " closed the connection early"},
      {"cut in the head", Response::Ok("x").CutAfter(10), "",
       " closed the connection early"},
      {"hung up without a word", Response::Raw(""), "",
       " closed the connection early"},
      {"bad chunk size",
       Response::Raw(
           "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nfg\r\n"),
       "Bad response from ", " (bad chunk size)"},
      {"not http", Response::Raw("<rss>no head</rss>"), "Bad response from ",
       " (no status line)"},
      {"silent", Response::Silent(), "Waiting for ", " timed out"},
      {"stalls mid-body", Response::Ok("abcdef").Slow(3, milliseconds(1000)),
       "Waiting for ", " timed out"},
      {"length over the cap", Response::Ok(huge), "The response from ",
       " is larger than 1000 bytes"},
      {"chunks over the cap", Response::Ok(huge).Chunked(100),
       "The response from ", " is larger than 1000 bytes"},
      {"until close over the cap", Response::Ok(huge).UntilClose(),
       "The response from ", " is larger than 1000 bytes"},
  };
  LoopbackServer server;
  const std::string where = "127.0.0.1:" + std::to_string(server.port());
  HttpClient client(settings);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server.Serve("/feed", c.response);
    std::string expected = c.before + where + c.after;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ErrorOf(client, server.Url("/feed")), expected);
    EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(3000));
  }
}

TEST(HttpClientTest, GivesUpOnATricklingServer) {
  LoopbackServer server;
  server.Serve("/feed",
               Response::Ok(std::string(100, 'x')).Slow(1, milliseconds(50)));
  HttpClientSettings settings = Quick();
  settings.idle_timeout = milliseconds(5000);
  settings.total_timeout = milliseconds(400);
  HttpClient client(settings);
  EXPECT_EQ(ErrorOf(client, server.Url("/feed")),
            "Downloading from 127.0.0.1:" + std::to_string(server.port()) +
                " took too long");
}

TEST(HttpClientTest, FailsBeforeSendingOrConnecting) {
  LoopbackServer server;
  HttpClient client(Quick());
  const std::string port = std::to_string(server.port());
  EXPECT_EQ(ErrorOf(client, "127.0.0.1:" + port + "/feed"),
            "Not an absolute web address: 127.0.0.1:" + port + "/feed");
  EXPECT_EQ(
      ErrorOf(client, "ftp://127.0.0.1:" + port + "/feed"),
      "Only http:// and https:// addresses can be read: ftp://127.0.0.1:" +
          port + "/feed");
  EXPECT_EQ(server.ConnectionCount(), 0u);

  // A port nobody listens on: take one from a server that has gone.
  std::uint16_t closed_port;
  { closed_port = LoopbackServer().port(); }
  EXPECT_EQ(
      ErrorOf(client, "http://127.0.0.1:" + std::to_string(closed_port) + "/"),
      "Connection to 127.0.0.1:" + std::to_string(closed_port) + " refused");
  EXPECT_EQ(ErrorOf(client, "http://feeds.invalid/rss"),
            "Host not found: feeds.invalid");
}

TEST(HttpClientTest, ConnectTimesOut) {
  // A listener that never accepts, with its queue full: the kernel drops
  // further connection attempts, as from a host that does not answer.
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(
      bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 0), 0);
  ASSERT_EQ(
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  std::vector<int> fillers;
  bool queue_full = false;
  while (!queue_full && fillers.size() < 32) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    fillers.push_back(fd);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
      continue;
    pollfd p{fd, POLLOUT, 0};
    queue_full = poll(&p, 1, 100) == 0;
  }
  const std::string where =
      "127.0.0.1:" + std::to_string(ntohs(address.sin_port));

  HttpClientSettings settings = Quick();
  settings.connect_timeout = milliseconds(300);
  HttpClient client(settings);
  auto start = std::chrono::steady_clock::now();
  std::string error = ErrorOf(client, "http://" + where + "/");
  auto elapsed = std::chrono::steady_clock::now() - start;
  for (int fd : fillers) close(fd);
  close(listener);
  if (!queue_full) GTEST_SKIP() << "the connection queue never filled up";
  EXPECT_EQ(error, "Connecting to " + where + " timed out");
  EXPECT_GE(elapsed, milliseconds(250));
  EXPECT_LT(elapsed, milliseconds(3000));
}

TEST(LoopbackServerTest, HandlerSeesRequestsAndShutdownCutsAClientLoose) {
  auto server = std::make_unique<LoopbackServer>();
  server->SetHandler([](const testing::Request& request) {
    if (request.target == "/wait") return Response::Silent();
    return Response::Ok(request.method + " " + request.target);
  });
  HttpClient client;  // the default 30-second wait
  EXPECT_EQ(client.Get(server->Url("/a?b=c")), "GET /a?b=c");

  std::string error;
  std::thread waiting([&] { error = ErrorOf(client, server->Url("/wait")); });
  ASSERT_TRUE(server->WaitForRequests(2, milliseconds(5000)));
  auto start = std::chrono::steady_clock::now();
  server.reset();
  waiting.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(1000));
  EXPECT_NE(error.find(" closed the connection early"), std::string::npos)
      << error;
}

}  // namespace
}  // namespace rivolet
