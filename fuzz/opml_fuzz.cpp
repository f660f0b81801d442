// Reads arbitrary bytes as OPML: no crash, every feed within the caps, the
// import skipping exactly what the Catalogue's test refuses one feed at a
// time, and our own export of the result reading back as the same feeds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "feeds/feed_rules.h"
#include "feeds/opml.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// `feeds` added one at a time by the Catalogue's test.
rivolet::FeedList Walk(rivolet::FeedList list,
                       const std::vector<rivolet::FeedEntry>& feeds) {
  for (const rivolet::FeedEntry& e : feeds) {
    if (!rivolet::IsCatalogueDuplicate(list, e.Url())) list.AppendEntry(e);
  }
  return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view doc(reinterpret_cast<const char*>(data), size);
  const std::optional<std::vector<rivolet::OpmlFeed>> feeds =
      rivolet::ParseOpml(doc);
  if (!feeds) return 0;
  Check(feeds->size() <= rivolet::kMaxOpmlOutlines);
  rivolet::FeedList parsed;
  for (const rivolet::OpmlFeed& f : *feeds) {
    for (const std::string* text : {&f.name, &f.category, &f.url}) {
      Check(!text->empty() && text->size() <= rivolet::kMaxOpmlTextSize);
    }
    Check(!f.period || f.period->size() <= rivolet::kMaxOpmlTextSize);
    parsed.Append(f.name, f.category, f.period.value_or("60"), f.url);
  }

  rivolet::FeedList list;
  list.Append("old", "c", "1", "http://a/");
  const rivolet::FeedList walked = Walk(list, parsed.entries());
  const rivolet::OpmlImportCounts counts =
      rivolet::AddOpmlFeeds(*feeds, "60", list);
  Check(list.entries() == walked.entries());
  Check(counts.added + counts.already_there == feeds->size());

  // The export holds the feeds grouped by category; read back into an empty
  // list, they are the walk over that order.
  std::vector<rivolet::FeedEntry> grouped;
  for (const rivolet::FeedEntry& first : list.entries()) {
    bool seen = false;
    for (const rivolet::FeedEntry& e : grouped) {
      seen = seen || e.Category() == first.Category();
    }
    if (seen) continue;
    for (const rivolet::FeedEntry& e : list.entries()) {
      if (e.Category() == first.Category()) grouped.push_back(e);
    }
  }
  const std::optional<std::vector<rivolet::OpmlFeed>> again =
      rivolet::ParseOpml(rivolet::WriteOpml(list));
  Check(again.has_value());
  rivolet::FeedList read;
  rivolet::AddOpmlFeeds(*again, "", read);
  Check(read.entries() == Walk(rivolet::FeedList(), grouped).entries());
  return 0;
}
