// Whole-file reading and atomic writing over POSIX calls.
#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>

#include "common/error.h"

namespace rivolet {
namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Creates a new file beside `target` ("<name>.<6 letters>.tmp"). Exclusive
// creation refuses any name already taken, a planted link included, so what
// gets written can only be a new regular file of ours.
int CreateTemporary(const std::filesystem::path& target,
                    std::filesystem::path& temp) {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 random(std::random_device{}());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix = ".";
    for (int i = 0; i < 6; ++i) suffix += kLetters[random() % 62];
    temp = target;
    temp += suffix + ".tmp";
    int fd = ::open(temp.c_str(),
                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

std::string ReadWholeFile(const std::filesystem::path& path,
                          std::size_t max_size) {
  // Only a regular file is ever opened: opening a pipe or a device could
  // wait forever for a writer or set the device going. The kind is checked
  // again on what was opened, in case the name changed hands in between,
  // and the opening itself never waits.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    throw Error("Cannot open file " + path.string());
  }
  Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    throw Error("Cannot open file " + path.string());
  }
  if (static_cast<std::size_t>(info.st_size) > max_size) {
    throw Error("File too large: " + path.string());
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw Error("Cannot open file " + path.string());
    }
    if (got == 0) break;
    if (bytes.size() + static_cast<std::size_t>(got) > max_size) {
      throw Error("File too large: " + path.string());
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return bytes;
}

std::filesystem::path FollowLinks(const std::filesystem::path& path) {
  // As many links as the system itself follows before calling it a loop.
  constexpr int kMaxLinks = 40;
  std::filesystem::path current = path;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      return current;
    }
    std::error_code ec;
    std::filesystem::path target = std::filesystem::read_symlink(current, ec);
    if (ec) return {};
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  return {};
}

void WriteFileAtomically(const std::filesystem::path& path,
                         std::string_view bytes) {
  const Error failure("Cannot create file " + path.string());
  // A list kept elsewhere through a link stays there, and the link stays.
  const std::filesystem::path target = FollowLinks(path);
  if (target.empty()) throw failure;
  std::filesystem::path temp;
  Fd fd(CreateTemporary(target, temp));
  if (fd.get() < 0) throw failure;
  bool ok = WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
  ok = (::close(fd.release()) == 0) && ok;
  if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    throw failure;
  }
  // Make the rename itself durable.
  Fd dir(
      ::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
             O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace rivolet
