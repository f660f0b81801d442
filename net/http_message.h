// The socket-free half of the HTTP/1.1 client: splitting a URL, writing the
// request and reading a response incrementally. The fuzz target and the tests
// drive exactly the code the client runs on live connections.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "common/uri.h"
#include "net/body_buffer.h"

namespace rivolet {

// An absolute http:// or https:// URL taken apart.
struct HttpUrl {
  bool secure = false;  // https
  std::string host;     // as written; an IPv6 literal keeps its brackets
  std::uint16_t port = 80;
  std::string target;  // path and query exactly as written, "/" when absent

  // The host without the brackets of an IPv6 literal, for name resolution
  // and certificate checks.
  std::string BareHost() const;
  // The value of the "Host" header: the host, then ":port" unless port is 80.
  std::string HostHeader() const;
  // The host as error texts name it: with the port unless it is the default.
  std::string Where() const;
};

// The start of the text that refuses an address which is not an absolute
// web address; the address follows it.
inline constexpr char kNotAbsoluteAddressText[] =
    "Not an absolute web address: ";

// Throws Error with a clear text for anything but an absolute http:// or
// https:// URL with a host and a valid port, so nothing is sent for it.
HttpUrl ParseHttpUrl(std::string_view url);

// A request target with every byte outside printable ASCII written as
// "%XX", as a request line needs (a server's Location may hold raw bytes).
std::string PercentEncodeTarget(std::string_view target);

// The GET request for `url`; "Cookie" is added only for a non-empty value.
std::string BuildHttpRequest(const HttpUrl& url, std::string_view cookie);

// A response the parser refuses to read further. `kind` lets the client word
// the text for the user with the host's name.
class HttpProtocolError : public Error {
 public:
  enum class Kind { kMalformed, kTooLarge, kClosedEarly };
  HttpProtocolError(Kind kind, const std::string& what)
      : Error(what), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

struct HttpHeader {
  std::string name;
  std::string value;
};

// Reads one response from bytes handed in as they arrive, in pieces of any
// size. Interim 1xx responses are skipped. The body of a refused response (not
// 2xx, or carrying "Location") is read and dropped instead of kept.
class HttpResponseParser {
 public:
  // Limits on the head (status line, headers and any interim responses).
  static constexpr std::size_t kMaxHeadBytes = 256 * 1024;
  static constexpr std::size_t kMaxHeaders = 1000;
  static constexpr int kMaxInterim = 64;

  explicit HttpResponseParser(std::size_t max_body);

  // Consumes `bytes`; returns how many were used, which is fewer only when the
  // response ends within them. Throws HttpProtocolError.
  std::size_t Feed(std::string_view bytes);
  // The peer closed the connection: ends a body that runs until the close,
  // otherwise throws HttpProtocolError (kClosedEarly).
  void FinishAtEof();

  // Lets the body be received in place instead of copied out of a buffer,
  // while the parser is inside body bytes it keeps: the room for up to `max`
  // next bytes of the body (empty when the next bytes must go through Feed).
  // BodyWindowFilled() then says how many were written there.
  std::span<char> BodyWindow(std::size_t max);
  void BodyWindowFilled(std::size_t used);

  bool HeadDone() const { return state_ > State::kHeaders; }
  bool Done() const { return state_ == State::kDone; }

  // Valid once HeadDone().
  int status() const { return status_; }
  const std::string& status_line() const { return status_line_; }
  const std::vector<HttpHeader>& headers() const { return headers_; }
  bool refused() const { return refused_; }

  std::string_view body() const { return body_.view(); }
  std::string TakeBody() { return body_.Take(); }

 private:
  enum class State {
    kStatusLine,
    kHeaders,
    kBodyLength,
    kChunkSize,
    kChunkData,
    kChunkDataEnd,
    kTrailers,
    kBodyUntilClose,
    kDone,
  };

  bool TakeLine(const char*& p, const char* end, std::size_t cap,
                std::string_view& line);
  std::size_t HeadRoom() const;
  void ParseStatusLine(std::string_view line);
  void ParseHeaderLine(std::string_view line);
  void EndOfHead();
  void ParseChunkSize(std::string_view line);
  void TakeBodyBytes(const char* p, std::size_t n);

  std::size_t max_body_;
  State state_ = State::kStatusLine;
  std::string line_;  // a line still waiting for its end
  std::size_t head_bytes_ = 0;
  int interim_count_ = 0;

  int status_ = 0;
  std::string status_line_;
  std::vector<HttpHeader> headers_;
  bool refused_ = false;

  std::uint64_t remaining_ = 0;  // of the Content-Length body or the chunk
  std::uint64_t body_size_ = 0;  // counted also while dropping
  BodyBuffer body_;
};

}  // namespace rivolet
