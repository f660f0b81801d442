// The list of subscribed feeds.
#include "feeds/feed_list.h"

#include <utility>

#include "common/error.h"

namespace rivolet {
namespace {

[[noreturn]] void ThrowOutOfBounds(std::size_t index) {
  throw Error("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

const std::string& FeedEntry::Field(std::size_t k) const {
  if (k >= fields.size()) ThrowOutOfBounds(k);
  return fields[k];
}

const FeedEntry& FeedList::Entry(std::size_t i) const {
  if (i >= entries_.size()) ThrowOutOfBounds(i);
  return entries_[i];
}

void FeedList::Append(std::string name, std::string category,
                      std::string period, std::string url) {
  FeedEntry e;
  e.name = std::move(name);
  e.fields = {std::move(category), std::move(period), std::move(url)};
  e.field_images.assign(e.fields.size(), -1);
  entries_.push_back(std::move(e));
}

void FeedList::AppendEntry(FeedEntry e) { entries_.push_back(std::move(e)); }

}  // namespace rivolet
