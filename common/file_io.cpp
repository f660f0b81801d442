// Whole-file reading and atomic writing over POSIX calls.
#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

}  // namespace

std::string ReadWholeFile(const std::filesystem::path& path,
                          std::size_t max_size) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
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

void WriteFileAtomically(const std::filesystem::path& path,
                         std::string_view bytes) {
  std::filesystem::path temp = path;
  temp += ".tmp";
  const Error failure("Cannot create file " + path.string());
  Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (fd.get() < 0) throw failure;
  bool ok = WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
  ok = (::close(fd.release()) == 0) && ok;
  if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    throw failure;
  }
  // Make the rename itself durable.
  Fd dir(::open(path.parent_path().empty() ? "." : path.parent_path().c_str(),
                O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace rivolet
