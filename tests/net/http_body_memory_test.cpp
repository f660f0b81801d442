// What a response body costs in resident memory: about its own size, however
// it is framed, and nothing much for a size that is only announced.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <string>

#include "net/http_message.h"

namespace rivolet {
namespace {

constexpr std::size_t kMiB = 1024 * 1024;

#ifdef __SANITIZE_ADDRESS__
// AddressSanitizer keeps shadow memory for every block touched, so resident
// memory no longer measures what the parser holds.
constexpr bool kResidentMeasuresTheParser = false;
#else
constexpr bool kResidentMeasuresTheParser = true;
#endif

std::size_t StatusKiB(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return std::stoul(line.substr(6));
  }
  return 0;
}

// How far resident memory rose above its level before `work`, at its peak;
// 0 when the system cannot tell.
std::size_t PeakGrowth(const std::function<void()>& work) {
  std::ofstream reset("/proc/self/clear_refs");
  if (!(reset << "5" << std::flush)) return 0;
  const std::size_t before = StatusKiB("VmRSS:");
  work();
  return (StatusKiB("VmHWM:") - before) * 1024;
}

TEST(HttpBodyMemoryTest, PeakStaysNearTheBytesReceived) {
  struct Case {
    const char* name;
    std::string head;
    std::size_t sent;
    std::size_t limit;
  };
  const std::size_t body = 33 * kMiB;  // just past a power of two
  const Case cases[] = {
      {"a Content-Length of 64 MiB with 10 bytes sent",
       "HTTP/1.1 200 OK\r\nContent-Length: 67108864\r\n\r\n", 10, 4 * kMiB},
      {"until close", "HTTP/1.1 200 OK\r\n\r\n", body, body * 5 / 4},
      {"one chunk",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2100000\r\n", body,
       body * 5 / 4},
      {"Content-Length", "HTTP/1.1 200 OK\r\nContent-Length: 34603008\r\n\r\n",
       body, body * 5 / 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::size_t received = 0;
    std::string taken;
    const std::size_t peak = PeakGrowth([&] {
      HttpResponseParser parser(64 * kMiB);
      parser.Feed(c.head);
      // Received in place, as the client does.
      while (received < c.sent) {
        std::span<char> window = parser.BodyWindow(
            std::min<std::size_t>(64 * 1024, c.sent - received));
        ASSERT_FALSE(window.empty());
        std::memset(window.data(), 'x', window.size());
        parser.BodyWindowFilled(window.size());
        received += window.size();
      }
      taken = parser.TakeBody();
    });
    EXPECT_EQ(taken.size(), c.sent);
    EXPECT_EQ(taken.find_first_not_of('x'), std::string::npos);
    if (peak == 0) GTEST_SKIP() << "peak memory cannot be measured here";
    if (kResidentMeasuresTheParser) {
      EXPECT_LE(peak, c.limit);
    }
  }
}

}  // namespace
}  // namespace rivolet
