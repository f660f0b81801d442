// Fuzz target for the reading store's file: whatever bytes reading.db holds,
// opening it either fails with an error (StoreDamaged for a file that is not
// ours) or gives a store that answers every use; it never crashes.
#include <stdlib.h>

#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "reading/reading_store.h"

namespace {

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "reading-fuzz-XXXXXX")
            .string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(Folder(), ec);
    });
    return std::filesystem::path(pattern);
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::filesystem::path file = Folder() / "reading.db";
  std::error_code ec;
  for (const char* name : {"reading.db", "reading.db-wal", "reading.db-shm"})
    std::filesystem::remove(Folder() / name, ec);
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(data),
             static_cast<std::streamsize>(size));
  try {
    auto store = rivolet::ReadingStore::Open(file);
    store->RecordShowing("u", {"a", "b"}, 100);
    store->SetRead("u", {"a", "c"}, true, 101);
    store->ReadMarks("u", {"a", "b", "c"});
    store->UnreadCounts();
    store->Prune(1000000000);
  } catch (const std::exception&) {
  }
  return 0;
}
