// URL splitting, request writing and the incremental response parser of the
// HTTP/1.1 client.
#include "net/http_message.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "common/ascii.h"

namespace rivolet {
namespace {

using Kind = HttpProtocolError::Kind;

[[noreturn]] void Malformed(const std::string& what) {
  throw HttpProtocolError(Kind::kMalformed, what);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = LowerAscii(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Bytes that would break the request line or smuggle in a header: every
// code up to the space, and DEL.
bool IsCodeUpToSpaceOrDel(char c) { return IsCodeUpToSpace(c) || c == 0x7f; }

// Header names are tokens; anything else marks a line we cannot trust.
bool IsTokenChar(char c) {
  auto u = static_cast<unsigned char>(c);
  if (u <= 0x20 || u >= 0x7f) return false;
  return std::strchr("\"(),/:;<=>?@[\\]{}", c) == nullptr;
}

// Parses a decimal number of at most 19 digits; false when it is not one.
bool ParseDecimal(std::string_view s, std::uint64_t& value) {
  if (s.empty() || s.size() > 19) return false;
  value = 0;
  for (char c : s) {
    if (!IsAsciiDigit(c)) return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return true;
}

}  // namespace

// --- URL and request -------------------------------------------------------

std::string HttpUrl::BareHost() const {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    return host.substr(1, host.size() - 2);
  }
  return host;
}

std::string HttpUrl::HostHeader() const {
  return port == 80 ? host : host + ":" + std::to_string(port);
}

std::string HttpUrl::Where() const {
  return port == (secure ? 443 : 80) ? host : host + ":" + std::to_string(port);
}

HttpUrl ParseHttpUrl(std::string_view url) {
  const std::string shown(url);
  std::size_t sep = url.find("://");
  if (sep == std::string_view::npos) {
    throw Error(kNotAbsoluteAddressText + shown);
  }
  HttpUrl result;
  std::string_view scheme = url.substr(0, sep);
  if (EqualsIgnoreCase(scheme, "https")) {
    result.secure = true;
    result.port = 443;
  } else if (!EqualsIgnoreCase(scheme, "http")) {
    throw Error("Only http:// and https:// addresses can be read: " + shown);
  }

  std::string_view rest = url.substr(sep + 3);
  std::size_t authority_end = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, authority_end);
  std::string_view target = authority_end == std::string_view::npos
                                ? std::string_view()
                                : rest.substr(authority_end);
  // No credentials are ever sent, so user information is dropped.
  if (std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
    authority.remove_prefix(at + 1);
  }

  std::string_view host;
  std::string_view port_text;
  bool has_port = false;
  if (!authority.empty() && authority.front() == '[') {
    std::size_t close = authority.find(']');
    if (close == std::string_view::npos) {
      throw Error("Bad host name in the address " + shown);
    }
    host = authority.substr(0, close + 1);
    std::string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') {
        throw Error("Bad host name in the address " + shown);
      }
      has_port = true;
      port_text = after.substr(1);
    }
  } else {
    std::size_t colon = authority.find(':');
    host = authority.substr(0, colon);
    if (colon != std::string_view::npos) {
      has_port = true;
      port_text = authority.substr(colon + 1);
    }
  }
  if (host.empty() || host == "[]") {
    throw Error("No host name in the address " + shown);
  }
  for (char c : host) {
    if (IsCodeUpToSpaceOrDel(c) || c == '\\') {
      throw Error("Bad host name in the address " + shown);
    }
  }
  // An empty port means the scheme's default.
  if (has_port && !port_text.empty()) {
    std::uint64_t port = 0;
    if (port_text.size() > 5 || !ParseDecimal(port_text, port) || port == 0 ||
        port > 65535) {
      throw Error("Bad port number in the address " + shown);
    }
    result.port = static_cast<std::uint16_t>(port);
  }

  if (std::size_t hash = target.find('#'); hash != std::string_view::npos) {
    target = target.substr(0, hash);
  }
  for (char c : target) {
    if (IsCodeUpToSpaceOrDel(c)) {
      throw Error("Invalid character in the address " + shown);
    }
  }
  result.host = std::string(host);
  if (target.empty()) {
    result.target = "/";
  } else if (target.front() == '?') {
    result.target = "/" + std::string(target);
  } else {
    result.target = std::string(target);
  }
  return result;
}

std::string PercentEncodeTarget(std::string_view target) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(target.size());
  for (const char c : target) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F) {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

std::string BuildHttpRequest(const HttpUrl& url, std::string_view cookie) {
  std::string request;
  request.reserve(160 + url.target.size() + url.host.size() + cookie.size());
  request += "GET ";
  request += url.target;
  request += " HTTP/1.1\r\nHost: ";
  request += url.HostHeader();
  request +=
      "\r\nAccept: text/html, */*\r\n"
      "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n";
  if (!cookie.empty()) {
    request += "Cookie: ";
    request += cookie;
    request += "\r\n";
  }
  request += "\r\n";
  return request;
}

// --- Response parser -------------------------------------------------------

HttpResponseParser::HttpResponseParser(std::size_t max_body)
    : max_body_(max_body) {}

std::size_t HttpResponseParser::HeadRoom() const {
  return kMaxHeadBytes - head_bytes_;
}

// Collects bytes up to a line feed. Lines may end in CR LF or a bare LF; the
// ending is not part of `line`. `cap` bounds the line including its ending.
bool HttpResponseParser::TakeLine(const char*& p, const char* end,
                                  std::size_t cap, std::string_view& line) {
  const void* found = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
  const char* stop = found ? static_cast<const char*>(found) + 1 : end;
  std::size_t n = static_cast<std::size_t>(stop - p);
  if (line_.size() + n > cap) {
    if (state_ <= State::kHeaders || state_ == State::kTrailers) {
      Malformed("header too long");
    }
    Malformed("bad chunk framing");
  }
  line_.append(p, n);
  p = stop;
  if (!found) return false;
  line_.pop_back();
  if (!line_.empty() && line_.back() == '\r') line_.pop_back();
  line = line_;
  return true;
}

void HttpResponseParser::ParseStatusLine(std::string_view line) {
  // HTTP/<digits>[.<digits>] SP <3 digits> [SP reason]
  std::string_view s = line;
  if (s.size() < 5 || s.substr(0, 5) != "HTTP/") Malformed("no status line");
  s.remove_prefix(5);
  std::size_t i = 0;
  while (i < s.size() && IsAsciiDigit(s[i])) ++i;
  if (i == 0) Malformed("bad status line");
  if (i < s.size() && s[i] == '.') {
    std::size_t j = ++i;
    while (i < s.size() && IsAsciiDigit(s[i])) ++i;
    if (i == j) Malformed("bad status line");
  }
  if (i >= s.size() || s[i] != ' ') Malformed("bad status line");
  while (i < s.size() && s[i] == ' ') ++i;
  s.remove_prefix(i);
  if (s.size() < 3 || !IsAsciiDigit(s[0]) || !IsAsciiDigit(s[1]) ||
      !IsAsciiDigit(s[2]) || (s.size() > 3 && !IsSpaceOrTab(s[3]))) {
    Malformed("bad status code");
  }
  status_ = (s[0] - '0') * 100 + (s[1] - '0') * 10 + (s[2] - '0');
  if (status_ < 100) Malformed("bad status code");
  status_line_.assign(line);
  headers_.clear();
}

void HttpResponseParser::ParseHeaderLine(std::string_view line) {
  if (IsSpaceOrTab(line.front())) {
    // An obsolete folded line continues the previous header's value.
    if (headers_.empty()) Malformed("bad header");
    std::string_view more = TrimSpacesAndTabs(line);
    if (!more.empty()) {
      std::string& value = headers_.back().value;
      if (!value.empty()) value += ' ';
      value += more;
    }
    return;
  }
  std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) Malformed("bad header");
  std::string_view name = line.substr(0, colon);
  if (name.empty()) Malformed("bad header");
  for (char c : name) {
    if (!IsTokenChar(c)) Malformed("bad header");
  }
  if (headers_.size() >= kMaxHeaders) Malformed("too many headers");
  headers_.push_back({std::string(name),
                      std::string(TrimSpacesAndTabs(line.substr(colon + 1)))});
}

void HttpResponseParser::EndOfHead() {
  // Interim responses carry no body; 101 would switch protocols, which was
  // never asked for, so it ends the exchange like any refused status.
  if (status_ < 200 && status_ != 101) {
    if (++interim_count_ > kMaxInterim) Malformed("too many interim responses");
    headers_.clear();
    status_line_.clear();
    state_ = State::kStatusLine;
    return;
  }

  bool has_location = false;
  bool has_transfer_encoding = false;
  bool chunked = false;
  bool has_length = false;
  std::uint64_t length = 0;
  for (const HttpHeader& header : headers_) {
    if (EqualsIgnoreCase(header.name, "Location")) {
      has_location = true;
    } else if (EqualsIgnoreCase(header.name, "Transfer-Encoding")) {
      // Only the last coding decides the framing; other codings stay in the
      // bytes handed back, which are never decoded.
      has_transfer_encoding = true;
      std::string_view codings = header.value;
      std::size_t comma = codings.rfind(',');
      std::string_view last = TrimSpacesAndTabs(
          comma == std::string_view::npos ? codings
                                          : codings.substr(comma + 1));
      if (!last.empty() || comma == std::string_view::npos) {
        chunked = EqualsIgnoreCase(last, "chunked");
      }
    } else if (EqualsIgnoreCase(header.name, "Content-Length")) {
      // Repeated values (in one header or several) must agree, or the end of
      // the body is anyone's guess.
      std::string_view list = header.value;
      while (true) {
        std::size_t comma = list.find(',');
        std::string_view item = TrimSpacesAndTabs(list.substr(0, comma));
        std::uint64_t value = 0;
        if (!ParseDecimal(item, value)) Malformed("bad Content-Length");
        if (has_length && value != length) Malformed("bad Content-Length");
        has_length = true;
        length = value;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
      }
    }
  }
  refused_ = status_ < 200 || status_ > 299 || has_location;

  if (status_ == 101 || status_ == 204 || status_ == 304) {
    state_ = State::kDone;
  } else if (has_transfer_encoding) {
    state_ = chunked ? State::kChunkSize : State::kBodyUntilClose;
  } else if (has_length) {
    if (length > max_body_) {
      state_ = State::kBodyLength;  // the head is complete all the same
      throw HttpProtocolError(Kind::kTooLarge, "body too large");
    }
    if (length == 0) {
      state_ = State::kDone;
    } else {
      if (!refused_) body_.Expect(static_cast<std::size_t>(length));
      remaining_ = length;
      state_ = State::kBodyLength;
    }
  } else {
    state_ = State::kBodyUntilClose;
  }
}

void HttpResponseParser::ParseChunkSize(std::string_view line) {
  std::size_t i = 0;
  std::uint64_t size = 0;
  while (i < line.size() && HexValue(line[i]) >= 0) {
    if (i == 15) Malformed("bad chunk size");
    size = size * 16 + static_cast<std::uint64_t>(HexValue(line[i]));
    ++i;
  }
  if (i == 0) Malformed("bad chunk size");
  while (i < line.size() && IsSpaceOrTab(line[i])) ++i;
  // Chunk extensions carry nothing we use.
  if (i < line.size() && line[i] != ';') Malformed("bad chunk size");
  if (size > max_body_ - body_size_) {
    throw HttpProtocolError(Kind::kTooLarge, "body too large");
  }
  if (size == 0) {
    state_ = State::kTrailers;
  } else {
    remaining_ = size;
    state_ = State::kChunkData;
  }
}

void HttpResponseParser::TakeBodyBytes(const char* p, std::size_t n) {
  if (n > max_body_ - body_size_) {
    throw HttpProtocolError(Kind::kTooLarge, "body too large");
  }
  body_size_ += n;
  if (!refused_) body_.Append(std::string_view(p, n));
}

std::span<char> HttpResponseParser::BodyWindow(std::size_t max) {
  std::uint64_t room = max_body_ - body_size_;
  if (state_ == State::kBodyLength || state_ == State::kChunkData) {
    room = std::min(room, remaining_);
  } else if (state_ != State::kBodyUntilClose) {
    return {};
  }
  if (refused_ || room == 0) return {};
  return body_.Room(
      static_cast<std::size_t>(std::min<std::uint64_t>(room, max)));
}

void HttpResponseParser::BodyWindowFilled(std::size_t used) {
  body_.Commit(used);
  body_size_ += used;
  if (state_ != State::kBodyUntilClose) {
    remaining_ -= used;
    if (remaining_ == 0) {
      state_ =
          state_ == State::kBodyLength ? State::kDone : State::kChunkDataEnd;
    }
  }
}

std::size_t HttpResponseParser::Feed(std::string_view bytes) {
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  // Limits for lines that are not part of the head.
  constexpr std::size_t kMaxChunkLine = 4096;
  std::string_view line;
  while (p < end && state_ != State::kDone) {
    switch (state_) {
      case State::kStatusLine:
      case State::kHeaders: {
        std::size_t before = line_.size();
        const char* start = p;
        bool complete = TakeLine(p, end, HeadRoom() + before, line);
        head_bytes_ += static_cast<std::size_t>(p - start);
        if (!complete) {
          // Something other than HTTP need not be waited for to the end of
          // its first line, which may never come.
          std::string_view partial = line_;
          if (state_ == State::kStatusLine && partial != "\r" &&
              std::string_view("HTTP/").substr(0, partial.size()) !=
                  partial.substr(0, 5)) {
            Malformed("no status line");
          }
          break;
        }
        std::string_view l = line;
        if (state_ == State::kStatusLine) {
          // Empty lines before a status line are tolerated.
          if (!l.empty()) {
            ParseStatusLine(l);
            state_ = State::kHeaders;
          }
        } else if (l.empty()) {
          EndOfHead();
        } else {
          ParseHeaderLine(l);
        }
        line_.clear();
        break;
      }
      case State::kBodyLength:
      case State::kChunkData: {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(
            remaining_, static_cast<std::uint64_t>(end - p)));
        TakeBodyBytes(p, n);
        p += n;
        remaining_ -= n;
        if (remaining_ == 0) {
          state_ = state_ == State::kBodyLength ? State::kDone
                                                : State::kChunkDataEnd;
        }
        break;
      }
      case State::kChunkSize:
        if (TakeLine(p, end, kMaxChunkLine, line)) {
          ParseChunkSize(line);
          line_.clear();
        }
        break;
      case State::kChunkDataEnd:
        if (TakeLine(p, end, 2, line)) {
          if (!line.empty()) Malformed("bad chunk framing");
          line_.clear();
          state_ = State::kChunkSize;
        }
        break;
      case State::kTrailers: {
        // Trailers are read and ignored, within the head's budget.
        const char* start = p;
        std::size_t before = line_.size();
        bool complete = TakeLine(p, end, HeadRoom() + before, line);
        head_bytes_ += static_cast<std::size_t>(p - start);
        if (complete) {
          if (line.empty()) state_ = State::kDone;
          line_.clear();
        }
        break;
      }
      case State::kBodyUntilClose:
        TakeBodyBytes(p, static_cast<std::size_t>(end - p));
        p = end;
        break;
      case State::kDone:
        break;
    }
  }
  return static_cast<std::size_t>(p - bytes.data());
}

void HttpResponseParser::FinishAtEof() {
  if (state_ == State::kBodyUntilClose) {
    state_ = State::kDone;
  } else if (state_ != State::kDone) {
    throw HttpProtocolError(Kind::kClosedEarly, "connection closed early");
  }
}

}  // namespace rivolet
