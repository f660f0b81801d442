// Reads arbitrary bytes as OPML: no crash, every feed within the caps, the
// import skipping exactly what the Catalogue's test refuses one feed at a
// time, and our own export of the result reading back as the same feeds.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/text.h"
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
  const auto feeds = rivolet::ParseOpml(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (!feeds) return 0;
  Check(feeds->size() <= rivolet::kMaxOpmlOutlines);
  rivolet::FeedList parsed;
  // What the import takes: every feed the rule allows, trimmed and whole,
  // with a period the list can keep.
  const auto any = [](std::string_view) { return true; };
  for (const rivolet::OpmlFeed& f : *feeds) {
    for (const std::string* text : {&f.name, &f.category, &f.url}) {
      Check(!text->empty());
    }
    rivolet::OpmlFeed taken = f;
    taken.url = rivolet::Trim(f.url);
    taken.name = rivolet::Trim(f.name);
    if (taken.name.empty()) taken.name = taken.url;
    if (taken.url.size() > rivolet::kMaxOpmlTextSize ||
        taken.name.size() > rivolet::kMaxOpmlTextSize ||
        taken.category.size() > rivolet::kMaxOpmlTextSize) {
      continue;
    }
    parsed.Append(taken.name, taken.category,
                  rivolet::HasOwnPeriod(f) ? *f.period : "60", taken.url);
  }

  rivolet::FeedList list;
  list.Append("old", "c", "1", "http://a/");
  const rivolet::FeedList walked = Walk(list, parsed.entries());
  rivolet::AddOpmlFeeds(*feeds, "60", list, any);
  Check(list.entries() == walked.entries());

  // The export holds the feeds grouped by category; read back into an empty
  // list, they are the walk over that order.
  const auto& in_list = list.entries();
  const auto group = [&](const rivolet::FeedEntry& e) {
    return std::find_if(in_list.begin(), in_list.end(), [&](const auto& f) {
      return f.Category() == e.Category();
    });
  };
  std::vector<rivolet::FeedEntry> grouped = in_list;
  std::stable_sort(
      grouped.begin(), grouped.end(),
      [&](const auto& a, const auto& b) { return group(a) < group(b); });
  const auto again = rivolet::ParseOpml(rivolet::WriteOpml(list));
  Check(again.has_value());
  rivolet::FeedList read;
  rivolet::AddOpmlFeeds(*again, "", read, any);
  Check(read.entries() == Walk(rivolet::FeedList(), grouped).entries());
  return 0;
}
