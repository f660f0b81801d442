// The hand-over between a second start and the running program.
#include "app/hand_over.h"

#include <cstdint>
#include <cstdio>

namespace rivolet {
namespace {

constexpr std::string_view kMagic = "rivolet-open\n";
constexpr std::size_t kLengthSize = 4;
// sockaddr_un holds 108 bytes with the terminating zero; some systems fewer.
constexpr std::size_t kMaxSocketPath = 100;

// FNV-1a: the same name for the same folder in every build of the program.
std::uint64_t NameHash(std::string_view text) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3u;
  }
  return hash;
}

}  // namespace

std::string EncodeHandOver(const HandOver& hand_over) {
  const std::string body = std::string(kMagic) + hand_over.file.string();
  std::string bytes(kLengthSize, '\0');
  for (std::size_t i = 0; i < kLengthSize; ++i) {
    bytes[i] = static_cast<char>((body.size() >> (8 * i)) & 0xFF);
  }
  return bytes + body;
}

HandOverReader::State HandOverReader::Feed(std::string_view bytes) {
  if (state_ != State::kMore) return state_;
  // Never more than one message's worth is kept; what follows the message
  // is not read.
  const std::size_t room = kLengthSize + kMaxHandOverSize - buffer_.size();
  buffer_.append(bytes.substr(0, room));
  if (buffer_.size() < kLengthSize) return state_;
  std::size_t length = 0;
  for (std::size_t i = 0; i < kLengthSize; ++i) {
    length |= static_cast<std::size_t>(static_cast<unsigned char>(buffer_[i]))
              << (8 * i);
  }
  if (length > kMaxHandOverSize || length < kMagic.size()) {
    return state_ = State::kRefused;
  }
  if (buffer_.size() < kLengthSize + length) return state_;
  const std::string_view body =
      std::string_view(buffer_).substr(kLengthSize, length);
  if (body.substr(0, kMagic.size()) != kMagic ||
      body.find('\0') != std::string_view::npos) {
    return state_ = State::kRefused;
  }
  hand_over_.file = std::string(body.substr(kMagic.size()));
  return state_ = State::kDone;
}

std::filesystem::path InstanceSocketPath(
    const std::filesystem::path& user_folder,
    const std::filesystem::path& runtime_folder, unsigned user_id) {
  const std::filesystem::path beside = user_folder / ".rivolet.socket";
  if (beside.string().size() <= kMaxSocketPath) return beside;
  char name[64];
  std::snprintf(name, sizeof name, "rivolet-%016llx.socket",
                static_cast<unsigned long long>(
                    NameHash(user_folder.lexically_normal().string())));
  if (!runtime_folder.empty() && runtime_folder.is_absolute() &&
      (runtime_folder / name).string().size() <= kMaxSocketPath) {
    return runtime_folder / name;
  }
  return std::filesystem::path("/tmp") /
         ("rivolet-" + std::to_string(user_id) + "-" + name);
}

}  // namespace rivolet
