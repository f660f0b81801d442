// A reading store as a long-time user's: `feeds` feeds of `items` items each
// (200,000 items in all by default), every third item read.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "reading/reading_store.h"

namespace rivolet {

inline std::string SampleFeedUrl(int feed) {
  return "http://127.0.0.1:8/feed" + std::to_string(feed) + ".xml";
}

inline std::vector<std::string> SampleIdentities(int feed, int items) {
  std::vector<std::string> identities;
  for (int i = 0; i < items; ++i) {
    identities.push_back("https://example.com/" + std::to_string(feed) +
                         "/articles/" + std::to_string(i));
  }
  return identities;
}

inline void MakeSampleReadingStore(const std::filesystem::path& file,
                                   int feeds = 2000, int items = 100) {
  auto store = ReadingStore::Open(file);
  const std::int64_t now = std::time(nullptr);
  for (int feed = 0; feed < feeds; ++feed) {
    const std::vector<std::string> identities = SampleIdentities(feed, items);
    store->Begin();
    store->RecordShowing(SampleFeedUrl(feed), identities, now);
    std::vector<std::string> read;
    for (int i = 0; i < items; i += 3) read.push_back(identities[i]);
    store->SetRead(SampleFeedUrl(feed), read, true, now);
    store->Commit();
  }
}

}  // namespace rivolet
