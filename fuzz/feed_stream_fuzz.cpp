// Fuzz target for the feed list file reader: whatever it accepts must write
// and read back to the same entries and layout, and write the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/error.h"
#include "feeds/feed_list.h"
#include "feeds/feed_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using rivolet::FeedList;
  using rivolet::FeedListControl;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  FeedList list;
  FeedListControl control;
  try {
    rivolet::ReadFeedFile(bytes, list, control);
  } catch (const rivolet::Error&) {
    return 0;
  }
  const std::string written = rivolet::WriteFeedFile(list, control);
  FeedList again;
  FeedListControl again_control;
  try {
    rivolet::ReadFeedFile(written, again, again_control);
  } catch (const rivolet::Error&) {
    std::abort();  // the reader refused what the writer wrote
  }
  if (again.entries() != list.entries() || again_control != control)
    std::abort();
  if (rivolet::WriteFeedFile(again, again_control) != written) std::abort();
  return 0;
}
