// The list of subscribed feeds: one FeedEntry per feed, in the user's order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rivolet {

// One subscribed feed. The display attributes and `data` mean nothing to the
// program; they are kept only so that a feed file comes back unchanged.
struct FeedEntry {
  std::string name;
  std::vector<std::string> fields;  // 0 category, 1 period, 2 URL
  std::int32_t image_index = 0;
  std::int32_t state_index = -1;
  std::int32_t overlay_index = -1;
  std::int32_t data = 0;
  std::vector<std::int16_t> field_images;  // one per field, -1 by default

  // Field k; fails with "List index out of bounds (k)" when the entry has
  // fewer fields (only a hand-made file can give it fewer than three).
  const std::string& Field(std::size_t k) const;
  const std::string& Category() const { return Field(0); }
  const std::string& Period() const { return Field(1); }
  const std::string& Url() const { return Field(2); }

  friend bool operator==(const FeedEntry&, const FeedEntry&) = default;
};

// The ordered list of feeds. No uniqueness is enforced here: the adding
// dialogs run their own duplicate tests (feed_rules.h).
class FeedList {
 public:
  std::size_t Count() const { return entries_.size(); }

  // Entry i; fails with "List index out of bounds (i)".
  const FeedEntry& Entry(std::size_t i) const;

  // Adds a feed at the end with three fields and the default attributes.
  void Append(std::string name, std::string category, std::string period,
              std::string url);

  // Adds a whole entry as it is (the file reader keeps every member).
  void AppendEntry(FeedEntry e);

  std::vector<FeedEntry> CopyOut() const { return entries_; }
  void ReplaceAll(std::vector<FeedEntry> entries) {
    entries_ = std::move(entries);
  }
  void Clear() { entries_.clear(); }

  const std::vector<FeedEntry>& entries() const { return entries_; }

 private:
  std::vector<FeedEntry> entries_;
};

}  // namespace rivolet
