// Keeps the feed list's file on disk: loads it, saves it whole or not at all,
// and never lets a save destroy a file that could not be read.
#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "feeds/feed_list.h"
#include "feeds/feed_stream.h"

namespace rivolet {

// A stored feed list file that could not be read.
struct StoredFileDamage {
  std::string reason;  // the load's error text
  // Where the file was kept; the file itself while it could not be kept yet
  // (every save then tries again before it writes, and fails while it
  // cannot).
  std::filesystem::path backup;
  bool kept = false;  // a backup was made
};

class FeedStore {
 public:
  // Answers whether a name is taken: by one of the program's windows, or by
  // another component of the main window (see ReadFeedFile).
  using NameTaken = std::function<bool(std::string_view)>;

  // `file` is the feed list file the program saves to (feeds.che).
  explicit FeedStore(std::filesystem::path file);

  const std::filesystem::path& file() const { return file_; }

  // Loads the stored file when it exists. Errors are not thrown: the list
  // keeps whatever the load had reached, and the file, which the list in
  // memory may be missing part of, is kept at once as a backup (see Save).
  // Returns what went wrong, or nothing when the load succeeded.
  std::optional<StoredFileDamage> LoadStored(FeedList& list,
                                             FeedListControl& control,
                                             const NameTaken& name_taken,
                                             const NameTaken& component_exists);

  // Reads another feed list file (named on the command line, or handed
  // over by a second start) into a list of its own; the stored one is not
  // touched. A file that cannot be read gives no entries and the error.
  struct OtherFile {
    FeedList list;
    FeedListControl control;
    std::optional<std::string> error;
  };
  static OtherFile ReadOther(const std::filesystem::path& path,
                             const NameTaken& name_taken,
                             const NameTaken& component_exists);

  // Keeps `list` in a backup of its own beside the stored file (beside the
  // file a link named feeds.che leads to), named for `when`:
  // feeds.che.2024-05-01-102230.bak, with ".1", ".2", ... before ".bak" when
  // that name is taken. Nothing is ever written over. Returns its path.
  // Fails with "Cannot create file <path>".
  std::filesystem::path KeepDatedBackup(const FeedList& list,
                                        const FeedListControl& control,
                                        const std::tm& when) const;

  // Writes the list. Before the first save after a failed load of the
  // stored file, that file is kept (unless the load kept it already), since
  // the list in memory may be missing what the file held: under the first free
  // name of feeds.che.bak, feeds.che.1.bak, feeds.che.2.bak, ... beside it
  // (beside the file a link named feeds.che leads to), never over an older
  // backup; a backup that is already the same file serves again. Fails with
  // "Cannot create file <path>"; the stored file is then unchanged. Only a
  // regular file is ever kept or replaced (see WriteFileAtomically).
  void Save(const FeedList& list, const FeedListControl& control);

  // The file does not hold `list` yet: it changed since it was loaded or
  // last saved, a backup is still to be kept, or nothing was ever read or
  // written.
  bool NeedsSave(const FeedList& list, const FeedListControl& control) const;

  // The file is there but not a regular file (a folder, a pipe, a device,
  // or a link to one): no save can ever replace it.
  bool CanNeverBeWritten() const;

  bool backup_pending() const { return backup_pending_; }

 private:
  // The backup's path.
  std::filesystem::path KeepBackup();

  std::filesystem::path file_;
  bool backup_pending_ = false;
  std::optional<std::string> saved_;  // the bytes known to be in the file
};

}  // namespace rivolet
