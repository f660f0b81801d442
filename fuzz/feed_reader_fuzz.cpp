// Runs both feed readers on arbitrary bytes. Small inputs are also read by
// the literal reference reader, and the two must agree byte for byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "reader/feed_reader.h"
#include "tests/reader/feed_reader_reference.h"

namespace {

// The reference reader copies the whole text for every item; keep it quick.
constexpr std::size_t kCompareLimit = 4096;

void Check(bool ok) {
  if (!ok) std::abort();
}

bool SameRecords(const rivolet::FeedReadResult& a,
                 const rivolet::FeedReadResult& b) {
  if (a.items.count != b.items.count) return false;
  for (int i = 0; i < a.items.count; ++i) {
    const rivolet::ItemRecord& x = a.items.records[i];
    const rivolet::ItemRecord& y = b.items.records[i];
    if (x.title != y.title || x.date != y.date || x.link != y.link ||
        x.description != y.description) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string doc(reinterpret_cast<const char*>(data), size);

  const rivolet::FeedReadResult feed = rivolet::ReadFeed(doc);
  Check(feed.items.count >= 0 && feed.items.count <= rivolet::kItemTableSize);
  Check(feed.items.count == std::min(feed.total, rivolet::kItemTableSize));
  Check(feed.rest.size() <= doc.size());
  const rivolet::FirstItemResult first = rivolet::ReadFirstItem(doc);
  Check(first.has_row && first.caption == first.channel_title);

  if (size <= kCompareLimit) {
    const rivolet::FeedReadResult ref =
        rivolet::testing::ReferenceReadFeed(doc);
    Check(feed.total == ref.total && feed.rest == ref.rest &&
          feed.window_title == ref.window_title &&
          feed.channel_title == ref.channel_title && SameRecords(feed, ref));
    Check(rivolet::CountItems(doc) ==
          rivolet::testing::ReferenceCountItems(doc));
    const rivolet::FirstItemResult ref_first =
        rivolet::testing::ReferenceReadFirstItem(doc);
    Check(first.caption == ref_first.caption &&
          first.title == ref_first.title && first.date == ref_first.date &&
          first.rest == ref_first.rest);
  }
  return 0;
}
