// Loading and saving the feed list file.
#include "feeds/feed_store.h"

#include <system_error>

#include "common/error.h"
#include "common/file_io.h"

namespace rivolet {

FeedStore::FeedStore(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path FeedStore::BackupFile() const {
  std::filesystem::path backup = file_;
  backup += ".bak";
  return backup;
}

bool FeedStore::LoadStored(FeedList& list, FeedListControl& control,
                           const NameTaken& name_taken,
                           const NameTaken& component_exists) {
  std::error_code ec;
  if (!std::filesystem::exists(file_, ec)) return true;
  try {
    ReadFeedFile(ReadWholeFile(file_), list, control, name_taken,
                 component_exists);
    return true;
  } catch (const std::exception&) {
    backup_pending_ = true;
    return false;
  }
}

void FeedStore::LoadFrom(const std::filesystem::path& path, FeedList& list,
                         FeedListControl& control, const NameTaken& name_taken,
                         const NameTaken& component_exists) {
  try {
    ReadFeedFile(ReadWholeFile(path), list, control, name_taken,
                 component_exists);
  } catch (...) {
    // The list may now hold part of the other file in place of the stored
    // one: keep the stored file before it is overwritten.
    backup_pending_ = true;
    throw;
  }
}

void FeedStore::Save(const FeedList& list, const FeedListControl& control) {
  const std::string bytes = WriteFeedFile(list, control);
  std::error_code ec;
  if (backup_pending_ && std::filesystem::exists(file_, ec)) {
    WriteFileAtomically(BackupFile(), ReadWholeFile(file_));
  }
  backup_pending_ = false;
  WriteFileAtomically(file_, bytes);
}

}  // namespace rivolet
