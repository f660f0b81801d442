// Tests of https downloads against a loopback TLS server whose certificate a
// test authority made at run time signed: trusted only when told to.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "net/http_client.h"
#include "tests/net/http_test_util.h"
#include "tests/support/loopback_server.h"
#include "tests/support/tls_authority.h"

namespace rivolet {
namespace {

using std::chrono::milliseconds;
using testing::ErrorOf;
using testing::LoopbackServer;
using testing::Response;
using testing::TestAuthority;

HttpClientSettings Trusting(const std::string& ca_file) {
  HttpClientSettings settings;
  settings.connect_timeout = milliseconds(2000);
  settings.idle_timeout = milliseconds(2000);
  settings.extra_ca_file = ca_file;
  return settings;
}

LoopbackServer::Options Tls(std::vector<std::string> names = {"localhost",
                                                              "127.0.0.1"}) {
  LoopbackServer::Options options;
  options.tls = true;
  options.certificate_names = std::move(names);
  return options;
}

TEST(HttpTlsTest, DownloadsFromATrustedServerByAddressAndByName) {
  LoopbackServer server(Tls());
  const std::string big(2 * 1024 * 1024 + 3, 'q');
  server.Serve("/feed.xml",
               Response::Ok("<rss>\xc5\xbe</rss>").Header("Set-Cookie", "s=1"));
  server.Serve("/big", Response::Ok(big).Chunked(70000));
  server.Serve("/close", Response::Ok("to the end").UntilClose());
  HttpClient client(Trusting(server.CaFile()));
  const std::string port = std::to_string(server.port());

  EXPECT_EQ(client.Get(server.Url("/feed.xml")), "<rss>\xc5\xbe</rss>");
  EXPECT_EQ(client.Get("https://localhost:" + port + "/feed.xml?x=1"),
            "<rss>\xc5\xbe</rss>");
  EXPECT_EQ(client.Get(server.Url("/big")), big);
  EXPECT_EQ(client.Get(server.Url("/close")), "to the end");
  EXPECT_EQ(ErrorOf(client, server.Url("/missing")), "HTTP/1.1 404 Not Found");

  std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(requests.size(), 5u);
  // The cookie came from the host 127.0.0.1, so localhost does not get it.
  EXPECT_EQ(requests[1],
            "GET /feed.xml?x=1 HTTP/1.1\r\nHost: localhost:" + port +
                "\r\nAccept: text/html, */*\r\n"
                "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n");
  EXPECT_NE(requests[2].find("\r\nCookie: s=1\r\n\r\n"), std::string::npos);
}

TEST(HttpTlsTest, RefusesCertificatesItCannotTrust) {
  LoopbackServer server(Tls());
  server.Serve("/feed.xml", Response::Ok("secret"));
  const std::string url = server.Url("/feed.xml");

  HttpClient system_store_only(Trusting(""));
  EXPECT_EQ(
      ErrorOf(system_store_only, url),
      "The certificate of 127.0.0.1 is not trusted (unable to get local issuer "
      "certificate)");

  TestAuthority stranger;
  HttpClient other_authority(Trusting(stranger.CertificateFile()));
  EXPECT_EQ(
      ErrorOf(other_authority, url),
      "The certificate of 127.0.0.1 is not trusted (unable to get local issuer "
      "certificate)");

  LoopbackServer impostor(Tls({"feeds.example.com"}));
  impostor.Serve("/feed.xml", Response::Ok("secret"));
  HttpClient trusting(Trusting(server.CaFile()));
  EXPECT_EQ(ErrorOf(trusting, impostor.Url("/feed.xml")),
            "The certificate of 127.0.0.1 is issued for another name");
  EXPECT_EQ(ErrorOf(trusting, "https://localhost:" +
                                  std::to_string(impostor.port()) + "/"),
            "The certificate of localhost is issued for another name");
  EXPECT_EQ(server.RequestCount() + impostor.RequestCount(), 0u);
}

TEST(HttpTlsTest, FailsClearlyWhenTheOtherSideIsNotTls) {
  LoopbackServer plain;
  plain.Serve("/", Response::Ok("plain"));
  HttpClient client(Trusting(""));
  std::string https_url =
      "https://127.0.0.1:" + std::to_string(plain.port()) + "/";
  std::string error = ErrorOf(client, https_url);
  EXPECT_EQ(error.rfind("Secure connection to 127.0.0.1:" +
                            std::to_string(plain.port()) + " failed (",
                        0),
            0u)
      << error;

  HttpClient missing_authority(Trusting("/nonexistent/ca.pem"));
  EXPECT_EQ(ErrorOf(missing_authority, https_url),
            "Cannot read the certificate authority file /nonexistent/ca.pem");
  // Plain http does not need the authority at all.
  EXPECT_EQ(missing_authority.Get(plain.Url("/")), "plain");
}

}  // namespace
}  // namespace rivolet
