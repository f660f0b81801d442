// What a second start of the program tells the one already running for the
// same user folder, and where the running one listens. Plain rules; the
// sockets and the lock are the windows' side (single_instance).
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace rivolet {

// A hand-over says which file the second start was given; an empty path
// when none (the running program only comes to the front).
struct HandOver {
  std::filesystem::path file;

  friend bool operator==(const HandOver&, const HandOver&) = default;
};

// Longer messages are refused: a path is at most 4096 bytes.
inline constexpr std::size_t kMaxHandOverSize = 8192;

// The bytes a second start sends: a 4-byte little-endian length, then
// "rivolet-open\n" and the file's path.
std::string EncodeHandOver(const HandOver& hand_over);

// Reads a hand-over as its bytes arrive, in pieces of any size.
class HandOverReader {
 public:
  enum class State { kMore, kDone, kRefused };

  // Takes the next bytes; once done or refused, further bytes change
  // nothing.
  State Feed(std::string_view bytes);
  State state() const { return state_; }
  // The hand-over once done.
  const HandOver& hand_over() const { return hand_over_; }

 private:
  State state_ = State::kMore;
  std::string buffer_;
  HandOver hand_over_;
};

// The answer the running program sends once it has a hand-over.
inline constexpr char kHandOverTaken[] = "ok\n";

// Where the program of `user_folder` listens: ".rivolet.socket" in that
// folder, or where that path is too long for a socket, a name made from the
// folder's path in `runtime_folder` (XDG_RUNTIME_DIR), or in /tmp with the
// user's id when there is none.
std::filesystem::path InstanceSocketPath(
    const std::filesystem::path& user_folder,
    const std::filesystem::path& runtime_folder, unsigned user_id);

}  // namespace rivolet
