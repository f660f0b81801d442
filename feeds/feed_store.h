// Keeps the feed list's file on disk: loads it, saves it whole or not at all,
// and never lets a save destroy a file that could not be read.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

#include "feeds/feed_list.h"
#include "feeds/feed_stream.h"

namespace rivolet {

class FeedStore {
 public:
  // Answers whether a name is taken: by one of the program's windows, or by
  // another component of the main window (see ReadFeedFile).
  using NameTaken = std::function<bool(std::string_view)>;

  // `file` is the feed list file the program saves to (feeds.che).
  explicit FeedStore(std::filesystem::path file);

  const std::filesystem::path& file() const { return file_; }

  // Loads the stored file when it exists. Errors are not reported: the list
  // keeps whatever the load had reached. Returns false when the load failed.
  bool LoadStored(FeedList& list, FeedListControl& control,
                  const NameTaken& name_taken,
                  const NameTaken& component_exists);

  // Loads another feed list file (named on the command line). Errors are
  // thrown; the list keeps whatever the load had reached.
  void LoadFrom(const std::filesystem::path& path, FeedList& list,
                FeedListControl& control, const NameTaken& name_taken,
                const NameTaken& component_exists);

  // Writes the list. Before the first save after a failed load, the stored
  // file is kept, since the list in memory may be missing what the file
  // held: under the first free name of feeds.che.bak, feeds.che.1.bak,
  // feeds.che.2.bak, ... beside it (beside the file a link named feeds.che
  // leads to), never over an older backup. Fails with "Cannot create file
  // <path>"; the stored file is then unchanged. Only a regular file is ever
  // kept or replaced (see WriteFileAtomically).
  void Save(const FeedList& list, const FeedListControl& control);

  bool backup_pending() const { return backup_pending_; }

 private:
  void KeepBackup();

  std::filesystem::path file_;
  bool backup_pending_ = false;
};

}  // namespace rivolet
