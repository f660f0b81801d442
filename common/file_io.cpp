// Whole-file reading and atomic writing over POSIX calls.
#include "common/file_io.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <string>

#include "common/ascii.h"
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

constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr int kTemporaryLetters = 6;

// Creates a new file beside `target` ("<name>.<6 letters>.tmp"). Exclusive
// creation refuses any name already taken, a planted link included, so what
// gets written can only be a new regular file of ours, readable by no one
// else until it has its final permissions.
int CreateTemporary(const std::filesystem::path& target,
                    std::filesystem::path& temp) {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 random(std::random_device{}());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix = ".";
    for (int i = 0; i < kTemporaryLetters; ++i) {
      suffix += kLetters[random() % 62];
    }
    temp = target;
    temp += suffix;
    temp += kTemporarySuffix;
    int fd = ::open(temp.c_str(),
                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool IsReadOnly(const std::filesystem::path& file, const struct stat& info) {
  return (info.st_mode & S_IWUSR) == 0 ||
         ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0;
}

// Gives the new file the owner and permissions of the one it replaces, or
// private ones. Either may fail where the file system keeps no owners or
// permissions (a FAT stick); the file then keeps what it was created with,
// which is never more open than 0600.
void TakeOwnerAndMode(int fd, const struct stat* old) {
  if (old == nullptr) {
    ::fchmod(fd, 0600);
    return;
  }
  // Root replacing a user's file must not make it root's; a user replacing
  // another's file may not give it away, and the file becomes theirs.
  [[maybe_unused]] const int owned = ::fchown(fd, old->st_uid, old->st_gid);
  ::fchmod(fd, old->st_mode & 0777);
}

// Renames the written temporary file into place, provided the name still
// holds what was checked: the same file, or nothing.
bool MoveIntoPlace(const std::filesystem::path& temp,
                   const std::filesystem::path& target,
                   const struct stat* old) {
  if (old != nullptr) {
    struct stat now {};
    if (::lstat(target.c_str(), &now) != 0 || now.st_dev != old->st_dev ||
        now.st_ino != old->st_ino) {
      return false;
    }
    return ::rename(temp.c_str(), target.c_str()) == 0;
  }
  if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(),
                  RENAME_NOREPLACE) == 0) {
    return true;
  }
  // A file system that cannot refuse to replace: look once more.
  if (errno != EINVAL && errno != ENOSYS) return false;
  struct stat now {};
  return ::lstat(target.c_str(), &now) != 0 && errno == ENOENT &&
         ::rename(temp.c_str(), target.c_str()) == 0;
}

bool IsTemporaryName(std::string_view file_name,
                     const std::vector<std::string>& names) {
  if (!file_name.ends_with(kTemporarySuffix)) return false;
  file_name.remove_suffix(kTemporarySuffix.size());
  constexpr std::size_t kTail = kTemporaryLetters + 1;  // the dot, 6 letters
  if (file_name.size() <= kTail) return false;
  const std::string_view letters = file_name.substr(file_name.size() - kTail);
  if (letters[0] != '.') return false;
  for (char c : letters.substr(1)) {
    if (!IsAsciiDigit(c) && !(LowerAscii(c) >= 'a' && LowerAscii(c) <= 'z')) {
      return false;
    }
  }
  file_name.remove_suffix(kTail);
  return names.empty() ||
         std::find(names.begin(), names.end(), file_name) != names.end();
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
  // A list kept elsewhere through a link stays there, and the link stays;
  // but only a regular file or a new name is ever replaced: moving a new
  // file over a device, a pipe or a folder would destroy it.
  const std::filesystem::path target = FollowLinks(path);
  if (target.empty()) throw failure;
  struct stat old {};
  const bool exists = ::lstat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) throw failure;
  if (exists && (!S_ISREG(old.st_mode) || IsReadOnly(target, old))) {
    throw failure;
  }
  std::filesystem::path temp;
  Fd fd(CreateTemporary(target, temp));
  if (fd.get() < 0) throw failure;
  TakeOwnerAndMode(fd.get(), exists ? &old : nullptr);
  bool ok = WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
  ok = (::close(fd.release()) == 0) && ok;
  if (!ok || !MoveIntoPlace(temp, target, exists ? &old : nullptr)) {
    ::unlink(temp.c_str());
    throw failure;
  }
  // Make the rename itself durable.
  Fd dir(
      ::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
             O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

void RemoveTemporaryLeftovers(const std::filesystem::path& folder,
                              const std::vector<std::string>& names) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end;
       !ec && it != end; it.increment(ec)) {
    const std::filesystem::path& entry = it->path();
    if (!IsTemporaryName(entry.filename().string(), names)) continue;
    // Only what is surely ours goes: a regular file of this user, still
    // readable by no one else, as a save makes it. A user's own file of
    // the same name (feeds.che.backup.tmp) stays. unlink() removes a link,
    // never what it leads to.
    struct stat info {};
    if (::lstat(entry.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_uid == ::geteuid() && (info.st_mode & 07777) == 0600) {
      ::unlink(entry.c_str());
    }
  }
}

void RemoveTemporaryLeftoversOf(const std::filesystem::path& file) {
  const std::filesystem::path target = FollowLinks(file);
  if (target.empty()) return;
  RemoveTemporaryLeftovers(target.parent_path(), {target.filename().string()});
}

}  // namespace rivolet
