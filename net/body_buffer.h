// Memory for a response body as it arrives, holding little more than the
// bytes received however the body is framed: a length the server announces
// is trusted only once the body has begun to live up to it, and a body of
// unknown length grows without ever being copied into a larger block.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace rivolet {

class BodyBuffer {
 public:
  // What is set aside before any byte of the body has shown up.
  static constexpr std::size_t kFirstReserve = 1024 * 1024;

  BodyBuffer() = default;
  ~BodyBuffer();
  BodyBuffer(const BodyBuffer&) = delete;
  BodyBuffer& operator=(const BodyBuffer&) = delete;

  // The server says the body is `size` bytes long. Called at most once,
  // before the first byte.
  void Expect(std::size_t size);

  // Room for the next `max` bytes of the body (fewer when the room set aside
  // so far ends sooner, but at least one for `max` > 0), to be followed by
  // Commit with how many were written there.
  std::span<char> Room(std::size_t max);
  void Commit(std::size_t used);
  void Append(std::string_view bytes);

  std::string_view view() const;
  // The body; the buffer is empty afterwards.
  std::string Take();

 private:
  void Grow(std::size_t needed);
  void Populate(char* base, std::size_t end);
  void Release();

  // A body of announced length lives in the string it is handed back in.
  bool expected_ = false;
  std::size_t expected_size_ = 0;
  std::string text_;
  // A body of unknown length lives in pages of its own, whose mapping grows
  // in place or moves without copying.
  char* map_ = nullptr;
  std::size_t mapped_ = 0;
  std::size_t used_ = 0;

  std::size_t room_start_ = 0;
  std::size_t populated_ = 0;  // bytes from the start already backed
};

}  // namespace rivolet
