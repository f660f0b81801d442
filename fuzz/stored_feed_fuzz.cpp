// Runs both feed readers on arbitrary bytes. Small inputs are also read by
// the literal reference reader, and the two must agree byte for byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "reader/stored_feed.h"
#include "tests/reader/stored_feed_reference.h"

namespace {

// The reference reader copies the whole text for every item; keep it quick.
constexpr std::size_t kCompareLimit = 4096;

void Check(bool ok) {
  if (!ok) std::abort();
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
    Check(rivolet::testing::DifferenceFromReference(doc).empty());
  }
  return 0;
}
