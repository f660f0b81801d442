// Tests of the socket-free half of the HTTP client: URLs, request bytes, the
// response parser (fed whole and one byte at a time) and the cookie store.
#include "net/http_message.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "net/http_cookies.h"

namespace rivolet {
namespace {

TEST(HttpUrlTest, SplitsAbsoluteUrls) {
  struct Case {
    const char* url;
    bool secure;
    const char* host;
    int port;
    const char* target;
    const char* host_header;
  };
  const Case cases[] = {
      {"http://example.com", false, "example.com", 80, "/", "example.com"},
      {"http://example.com/", false, "example.com", 80, "/", "example.com"},
      {"HTTP://Example.COM:80/a/b.xml?x=1&y=%20z#frag", false, "Example.COM",
       80, "/a/b.xml?x=1&y=%20z", "Example.COM"},
      {"http://example.com:8080/rss", false, "example.com", 8080, "/rss",
       "example.com:8080"},
      {"http://example.com?q=1", false, "example.com", 80, "/?q=1",
       "example.com"},
      {"http://example.com#top", false, "example.com", 80, "/", "example.com"},
      {"http://example.com:/x", false, "example.com", 80, "/x", "example.com"},
      {"https://example.com/feed", true, "example.com", 443, "/feed",
       "example.com:443"},
      {"https://example.com:80/feed", true, "example.com", 80, "/feed",
       "example.com"},
      {"http://user:pw@example.com/x", false, "example.com", 80, "/x",
       "example.com"},
      {"http://[::1]:8080/x", false, "[::1]", 8080, "/x", "[::1]:8080"},
      // Bytes above 127 (Windows-1250 letters) go out as they are.
      {"http://example.com/\xe8l\xe1nky", false, "example.com", 80,
       "/\xe8l\xe1nky", "example.com"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    HttpUrl url = ParseHttpUrl(c.url);
    EXPECT_EQ(url.secure, c.secure);
    EXPECT_EQ(url.host, c.host);
    EXPECT_EQ(url.port, c.port);
    EXPECT_EQ(url.target, c.target);
    EXPECT_EQ(url.HostHeader(), c.host_header);
  }
  EXPECT_EQ(ParseHttpUrl("http://[::1]:8080/").BareHost(), "::1");
}

TEST(HttpUrlTest, RejectsWhatIsNotAnAbsoluteHttpUrl) {
  struct Case {
    const char* url;
    const char* error;
  };
  const Case cases[] = {
      {"", "Not an absolute web address: "},
      {"feed.xml", "Not an absolute web address: feed.xml"},
      {"/feeds/a.xml", "Not an absolute web address: /feeds/a.xml"},
      {"ftp://example.com/a",
       "Only http:// and https:// addresses can be read: "
       "ftp://example.com/a"},
      {"://example.com/",
       "Only http:// and https:// addresses can be read: "
       "://example.com/"},
      {"http:///feed", "No host name in the address http:///feed"},
      {"http://:8080/feed", "No host name in the address http://:8080/feed"},
      {"http://example.com:0/",
       "Bad port number in the address http://example.com:0/"},
      {"http://example.com:65536/",
       "Bad port number in the address "
       "http://example.com:65536/"},
      {"http://example.com:8o/",
       "Bad port number in the address http://example.com:8o/"},
      {"http://exa mple.com/",
       "Bad host name in the address http://exa mple.com/"},
      {"http://[::1/", "Bad host name in the address http://[::1/"},
      {"http://example.com/a b",
       "Invalid character in the address "
       "http://example.com/a b"},
      {"http://example.com/a\r\nX: y",
       "Invalid character in the address "
       "http://example.com/a\r\nX: y"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    try {
      ParseHttpUrl(c.url);
      ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), c.error);
    }
  }
}

TEST(HttpRequestTest, HasExactlyTheFixedHeadersInOrder) {
  EXPECT_EQ(
      BuildHttpRequest(ParseHttpUrl("http://example.com/rss.xml?id=5"), ""),
      "GET /rss.xml?id=5 HTTP/1.1\r\n"
      "Host: example.com\r\n"
      "Accept: text/html, */*\r\n"
      "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
      "\r\n");
  EXPECT_EQ(
      BuildHttpRequest(ParseHttpUrl("http://example.com:8080"), "a=1; b=2"),
      "GET / HTTP/1.1\r\n"
      "Host: example.com:8080\r\n"
      "Accept: text/html, */*\r\n"
      "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
      "Cookie: a=1; b=2\r\n"
      "\r\n");
}

struct Parsed {
  std::string error;  // empty when the response was read
  HttpProtocolError::Kind kind{};
  int status = 0;
  std::string status_line;
  bool refused = false;
  std::string body;
};

// Feeds `input` in pieces of `step` bytes, then reports the connection closed.
Parsed Parse(const std::string& input, std::size_t step,
             std::size_t max_body = 1000) {
  HttpResponseParser parser(max_body);
  Parsed out;
  try {
    for (std::size_t pos = 0; pos < input.size() && !parser.Done();
         pos += step) {
      parser.Feed(std::string_view(input).substr(pos, step));
    }
    if (!parser.Done()) parser.FinishAtEof();
  } catch (const HttpProtocolError& e) {
    out.error = e.what();
    out.kind = e.kind();
  }
  if (parser.HeadDone()) {
    out.status = parser.status();
    out.status_line = parser.status_line();
    out.refused = parser.refused();
  }
  out.body = parser.TakeBody();
  return out;
}

TEST(HttpResponseParserTest, ReadsBodiesHoweverFramed) {
  struct Case {
    const char* name;
    std::string input;
    int status;
    std::string body;
  };
  const Case cases[] = {
      {"content length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello",
       200, "hello"},
      {"bytes past the length are not the body",
       "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhello", 200, "he"},
      {"empty", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", 200, ""},
      {"until close", "HTTP/1.0 200 OK\r\nServer: x\r\n\r\nall of it", 200,
       "all of it"},
      {"bare line feeds", "HTTP/1.1 200 OK\nContent-Length: 3\n\nabc", 200,
       "abc"},
      {"no reason phrase", "HTTP/1.1 200\r\nContent-Length: 1\r\n\r\nx", 200,
       "x"},
      {"chunked with extensions and trailers",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
       "5;name=value\r\nhello\r\n1A ; x\r\nabcdefghijklmnopqrstuvwxyz\r\n"
       "0;last\r\nX-Checksum: 1\r\nX-Other: 2\r\n\r\n",
       200, "helloabcdefghijklmnopqrstuvwxyz"},
      {"chunked wins over a length, codings stay encoded",
       "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nTransfer-Encoding: gzip, "
       "chunked\r\n\r\n"
       "2\r\n\x1f\x8b\r\n0\r\n\r\n",
       200, "\x1f\x8b"},
      {"a final coding other than chunked runs until close",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\n\r\nzz", 200, "zz"},
      {"interim responses skipped",
       "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: "
       "x\r\n\r\n"
       "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok",
       200, "ok"},
      {"no body for 204",
       "HTTP/1.1 204 No Content\r\nContent-Length: 5\r\n\r\n", 204, ""},
      {"folded header",
       "HTTP/1.1 200 OK\r\nX: a\r\n  b\r\nContent-Length: 1\r\n\r\nz", 200,
       "z"},
      {"repeated equal lengths",
       "HTTP/1.1 200 OK\r\nContent-Length: 2, 2\r\nContent-Length: 2\r\n\r\nab",
       200, "ab"},
      {"every byte value",
       std::string("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n") +
           std::string("\0\r\n\xff", 4),
       200, std::string("\0\r\n\xff", 4)},
  };
  for (const Case& c : cases) {
    for (std::size_t step : {c.input.size(), std::size_t{1}, std::size_t{3}}) {
      SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(step));
      Parsed p = Parse(c.input, step);
      EXPECT_EQ(p.error, "");
      EXPECT_EQ(p.status, c.status);
      EXPECT_FALSE(p.refused);
      EXPECT_EQ(p.body, c.body);
    }
  }
}

TEST(HttpResponseParserTest,
     RefusedResponsesKeepTheirStatusLineAndDropTheBody) {
  struct Case {
    std::string input;
    std::string status_line;
  };
  const Case cases[] = {
      {"HTTP/1.1 301 Moved Permanently\r\nLocation: "
       "http://x/\r\nContent-Length: 3\r\n"
       "\r\nabc",
       "HTTP/1.1 301 Moved Permanently"},
      {"HTTP/1.1 404 Not Found\r\nTransfer-Encoding: "
       "chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n",
       "HTTP/1.1 404 Not Found"},
      {"HTTP/1.0 500  Internal  Error \r\n\r\nabc",
       "HTTP/1.0 500  Internal  Error "},
      {"HTTP/1.1 304 Not Modified\r\n\r\n", "HTTP/1.1 304 Not Modified"},
      {"HTTP/1.1 200 OK\r\nlocation: /elsewhere\r\nContent-Length: 1\r\n\r\nx",
       "HTTP/1.1 200 OK"},
      {"HTTP/1.1 101 Switching Protocols\r\n\r\nxyz",
       "HTTP/1.1 101 Switching Protocols"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    Parsed p = Parse(c.input, 1);
    EXPECT_EQ(p.error, "");
    EXPECT_TRUE(p.refused);
    EXPECT_EQ(p.status_line, c.status_line);
    EXPECT_EQ(p.body, "");
  }
}

TEST(HttpResponseParserTest, FailsOnBrokenResponses) {
  using Kind = HttpProtocolError::Kind;
  struct Case {
    const char* name;
    std::string input;
    Kind kind;
  };
  const std::string ok = "HTTP/1.1 200 OK\r\n";
  const Case cases[] = {
      {"nothing at all", "", Kind::kClosedEarly},
      {"not http", "<html>hello</html>\r\n", Kind::kMalformed},
      {"bad status code", "HTTP/1.1 2x0 OK\r\n\r\n", Kind::kMalformed},
      {"status code too long", "HTTP/1.1 2000 OK\r\n\r\n", Kind::kMalformed},
      {"head cut off", ok + "Content-Length: 5\r\n", Kind::kClosedEarly},
      {"body cut off", ok + "Content-Length: 5\r\n\r\nhel", Kind::kClosedEarly},
      {"header without colon", ok + "Oops\r\n\r\n", Kind::kMalformed},
      {"space in header name", ok + "Content-Length : 1\r\n\r\nx",
       Kind::kMalformed},
      {"negative length", ok + "Content-Length: -1\r\n\r\n", Kind::kMalformed},
      {"conflicting lengths",
       ok + "Content-Length: 1\r\nContent-Length: 2\r\n\r\nab",
       Kind::kMalformed},
      {"huge length", ok + "Content-Length: 99999999999999999999\r\n\r\n",
       Kind::kMalformed},
      {"length over the cap", ok + "Content-Length: 1001\r\n\r\n",
       Kind::kTooLarge},
      {"until close over the cap", ok + "\r\n" + std::string(1001, 'x'),
       Kind::kTooLarge},
      {"bad chunk size",
       ok + "Transfer-Encoding: chunked\r\n\r\nzz\r\nab\r\n0\r\n\r\n",
       Kind::kMalformed},
      {"chunk size with junk",
       ok + "Transfer-Encoding: chunked\r\n\r\n2x\r\nab\r\n", Kind::kMalformed},
      {"chunk longer than said",
       ok + "Transfer-Encoding: chunked\r\n\r\n2\r\nabc\r\n", Kind::kMalformed},
      {"chunk size overflow",
       ok + "Transfer-Encoding: chunked\r\n\r\n10000000000000001\r\n",
       Kind::kMalformed},
      {"chunks over the cap",
       ok + "Transfer-Encoding: chunked\r\n\r\n3e8\r\n" +
           std::string(1000, 'x') + "\r\n1\r\n",
       Kind::kTooLarge},
      {"chunked cut off before the last chunk",
       ok + "Transfer-Encoding: chunked\r\n\r\n2\r\nab\r\n",
       Kind::kClosedEarly},
      {"trailers cut off",
       ok + "Transfer-Encoding: chunked\r\n\r\n0\r\nX: 1\r\n",
       Kind::kClosedEarly},
      {"endless header", ok + "X: " + std::string(300 * 1024, 'a'),
       Kind::kMalformed},
      {"endless interim responses",
       [] {
         std::string s;
         for (int i = 0; i < 100; ++i) s += "HTTP/1.1 100 Continue\r\n\r\n";
         return s;
       }(),
       Kind::kMalformed},
  };
  for (const Case& c : cases) {
    for (std::size_t step :
         {std::max<std::size_t>(c.input.size(), 1), std::size_t{1}}) {
      SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(step));
      Parsed p = Parse(c.input, step);
      EXPECT_NE(p.error, "");
      EXPECT_EQ(p.kind, c.kind) << p.error;
      EXPECT_EQ(p.body.size() > 1000, false);
    }
  }
}

using Clock = CookieJar::Clock;
const Clock::time_point kNow = Clock::time_point(
    std::chrono::sys_days(std::chrono::year(2024) / std::chrono::March / 10));

TEST(CookieJarTest, SendsCookiesBackToTheHostThatSetThem) {
  CookieJar jar;
  jar.Store("Feeds.Example.com", "session=abc123; Path=/; HttpOnly", false,
            kNow);
  jar.Store("feeds.example.com", " lang = cs ; Domain=example.com", false,
            kNow);
  jar.Store("feeds.example.com", "session=xyz", false, kNow);  // replaces
  jar.Store("feeds.example.com", "token=1; Secure", false, kNow);
  jar.Store("feeds.example.com", "no-equals-sign", false, kNow);
  jar.Store("feeds.example.com", "=nameless", false, kNow);
  jar.Store("feeds.example.com", std::string("bad=a\x01z"), false, kNow);
  jar.Store("other.example.com", "other=1", false, kNow);

  EXPECT_EQ(jar.HeaderFor("feeds.example.COM", false, kNow),
            "session=xyz; lang=cs");
  EXPECT_EQ(jar.HeaderFor("feeds.example.com", true, kNow),
            "session=xyz; lang=cs; token=1");
  EXPECT_EQ(jar.HeaderFor("example.com", false, kNow), "");
}

TEST(CookieJarTest, HonoursExpiry) {
  CookieJar jar;
  jar.Store("h", "a=1; Max-Age=60", false, kNow);
  jar.Store("h", "b=2; Expires=Sun, 10 Mar 2024 00:00:30 GMT", false, kNow);
  jar.Store("h", "c=3; Expires=Sun, 10 Mar 2024 01:00:00 GMT; Max-Age=10",
            false, kNow);
  jar.Store("h", "d=4", false, kNow);
  EXPECT_EQ(jar.HeaderFor("h", false, kNow), "a=1; b=2; c=3; d=4");
  EXPECT_EQ(jar.HeaderFor("h", false, kNow + std::chrono::seconds(20)),
            "a=1; b=2; d=4");
  EXPECT_EQ(jar.HeaderFor("h", false, kNow + std::chrono::seconds(40)),
            "a=1; d=4");
  // Servers delete cookies by sending them already expired.
  jar.Store("h", "a=; Max-Age=0", false, kNow);
  jar.Store("h", "d=; Expires=Thu, 01 Jan 1970 00:00:00 GMT", false, kNow);
  EXPECT_EQ(jar.HeaderFor("h", false, kNow), "");
}

TEST(CookieJarTest, ReadsSetCookie2Lists) {
  CookieJar jar;
  jar.Store("h", "a=\"x,y\"; Version=1, b=2;Max-Age=5 , c=3; Discard", true,
            kNow);
  EXPECT_EQ(jar.HeaderFor("h", false, kNow), "a=\"x,y\"; b=2; c=3");
}

TEST(CookieJarTest, KeepsABoundedNumberPerHost) {
  CookieJar jar;
  for (std::size_t i = 0; i < CookieJar::kMaxCookiesPerHost + 5; ++i) {
    jar.Store("h", "n" + std::to_string(i) + "=v", false, kNow);
  }
  std::string header = jar.HeaderFor("h", false, kNow);
  EXPECT_EQ(header.find("n4=v"), std::string::npos);
  EXPECT_EQ(header.rfind("n5=v", 0), 0u);
  jar.Store("h", "big=" + std::string(CookieJar::kMaxCookieBytes, 'x'), false,
            kNow);
  EXPECT_EQ(jar.HeaderFor("h", false, kNow).find("big="), std::string::npos);
}

TEST(CookieJarTest, ParsesCookieDatesLeniently) {
  const auto expected = kNow + std::chrono::hours(8) +
                        std::chrono::minutes(49) + std::chrono::seconds(37);
  for (const char* text :
       {"Sun, 10 Mar 2024 08:49:37 GMT", "Sunday, 10-Mar-24 08:49:37 GMT",
        "Sun Mar 10 08:49:37 2024", "10 march 2024 8:49:37"}) {
    SCOPED_TRACE(text);
    auto parsed = CookieJar::ParseCookieDate(text);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(*parsed, expected);
  }
  for (const char* text :
       {"", "tomorrow", "Sun, 31 Feb 2024 08:49:37 GMT",
        "Sun, 10 Mar 2024 25:00:00 GMT", "10 Mar 1500 08:00:00"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(CookieJar::ParseCookieDate(text).has_value());
  }
}

TEST(CookieJarTest, DatesBeyondTheClockClampInsteadOfWrapping) {
  struct Case {
    const char* expires;
    const char* sent;
  };
  const Case cases[] = {
      {"Fri, 31 Dec 9999 23:59:59 GMT", "a=1"},
      {"Sat, 12 Apr 2262 00:00:00 GMT", "a=1"},
      {"Mon, 01 Jan 1601 00:00:00 GMT", ""},
      {"Wed, 01 Jan 1677 00:00:00 GMT", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expires);
    CookieJar jar;
    jar.Store("h", std::string("a=1; Expires=") + c.expires, false, kNow);
    EXPECT_EQ(jar.HeaderFor("h", false, kNow), c.sent);
  }
}

}  // namespace
}  // namespace rivolet
