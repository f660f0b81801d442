// Loading and saving the feed list file.
#include "feeds/feed_store.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "common/error.h"
#include "common/file_io.h"

namespace rivolet {

namespace {

// Beyond this many backups something is badly wrong; the save stops.
constexpr int kMaxBackups = 10000;

std::filesystem::path BackupName(const std::filesystem::path& file,
                                 int number) {
  std::filesystem::path backup = file;
  if (number > 0) backup += "." + std::to_string(number);
  backup += ".bak";
  return backup;
}

}  // namespace

FeedStore::FeedStore(std::filesystem::path file) : file_(std::move(file)) {}

std::optional<StoredFileDamage> FeedStore::LoadStored(
    FeedList& list, FeedListControl& control, const NameTaken& name_taken,
    const NameTaken& component_exists) {
  std::error_code ec;
  if (!std::filesystem::exists(file_, ec)) return std::nullopt;
  StoredFileDamage damage;
  try {
    std::string bytes = ReadWholeFile(file_);
    ReadFeedFile(bytes, list, control, name_taken, component_exists);
    if (WriteFeedFile(list, control) == bytes) saved_ = std::move(bytes);
    return std::nullopt;
  } catch (const std::exception& e) {
    damage.reason = e.what();
  }
  // Kept now, not at the first save: the user is told where it is, and a
  // run killed before any save loses nothing either way.
  try {
    damage.backup = KeepBackup();
    damage.kept = !damage.backup.empty();
  } catch (const std::exception&) {
    backup_pending_ = true;
    damage.backup = file_;
  }
  return damage;
}

FeedStore::OtherFile FeedStore::ReadOther(const std::filesystem::path& path,
                                          const NameTaken& name_taken,
                                          const NameTaken& component_exists) {
  OtherFile other;
  try {
    ReadFeedFile(ReadWholeFile(path), other.list, other.control, name_taken,
                 component_exists);
  } catch (const std::exception& e) {
    other.list.Clear();
    other.error = e.what();
  }
  return other;
}

std::filesystem::path FeedStore::KeepDatedBackup(const FeedList& list,
                                                 const FeedListControl& control,
                                                 const std::tm& when) const {
  const std::string bytes = WriteFeedFile(list, control);
  std::filesystem::path stored = FollowLinks(file_);
  if (stored.empty()) throw Error("Cannot create file " + file_.string());
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &when);
  for (int number = 0; number < kMaxBackups; ++number) {
    std::filesystem::path backup = stored;
    backup += std::string(".") + stamp;
    if (number > 0) backup += "." + std::to_string(number);
    backup += ".bak";
    const int fd =
        ::open(backup.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) throw Error("Cannot create file " + backup.string());
    bool written = true;
    for (std::size_t at = 0; written && at < bytes.size();) {
      const ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
      if (n < 0 && errno == EINTR) continue;
      written = n > 0;
      if (written) at += static_cast<std::size_t>(n);
    }
    written = ::fsync(fd) == 0 && written;
    written = ::close(fd) == 0 && written;
    if (written) return backup;
    ::unlink(backup.c_str());
    throw Error("Cannot create file " + backup.string());
  }
  throw Error("Cannot create file " + stored.string() + "." + stamp + ".bak");
}

void FeedStore::Save(const FeedList& list, const FeedListControl& control) {
  std::string bytes = WriteFeedFile(list, control);
  if (backup_pending_) KeepBackup();
  backup_pending_ = false;
  WriteFileAtomically(file_, bytes);
  saved_ = std::move(bytes);
}

bool FeedStore::NeedsSave(const FeedList& list,
                          const FeedListControl& control) const {
  return backup_pending_ || !saved_ || WriteFeedFile(list, control) != *saved_;
}

bool FeedStore::CanNeverBeWritten() const {
  const std::filesystem::path target = FollowLinks(file_);
  if (target.empty()) return true;  // links without end
  struct stat info {};
  if (::lstat(target.c_str(), &info) != 0) return false;  // made anew
  return !S_ISREG(info.st_mode);
}

// The stored file may be of any size, so it is never copied: the backup is a
// second name for it (the save then replaces only the first), or where the
// file system has no such names, the file itself moved; either way it keeps
// the stored file's permissions. Neither can replace an existing backup.
// Only a regular file is kept so: a device, a pipe or a folder that a link
// leads to is not ours to move, and the save that follows refuses it too.
std::filesystem::path FeedStore::KeepBackup() {
  const std::filesystem::path stored = FollowLinks(file_);
  struct stat info {};
  if (!stored.empty() && ::lstat(stored.c_str(), &info) != 0 &&
      errno == ENOENT) {
    return {};  // nothing stored any more
  }
  if (stored.empty() || !S_ISREG(info.st_mode)) {
    throw Error("Cannot create file " + file_.string());
  }
  for (int number = 0; number < kMaxBackups; ++number) {
    const std::filesystem::path backup = BackupName(stored, number);
    if (::link(stored.c_str(), backup.c_str()) == 0) return backup;
    if (errno == EEXIST) {
      // A run killed before its first save kept this very file already.
      struct stat taken {};
      if (::lstat(backup.c_str(), &taken) == 0 && taken.st_dev == info.st_dev &&
          taken.st_ino == info.st_ino) {
        return backup;
      }
      continue;
    }
    if (::renameat2(AT_FDCWD, stored.c_str(), AT_FDCWD, backup.c_str(),
                    RENAME_NOREPLACE) == 0) {
      return backup;
    }
    if (errno != EEXIST) throw Error("Cannot create file " + backup.string());
  }
  throw Error("Cannot create file " + BackupName(stored, kMaxBackups).string());
}

}  // namespace rivolet
