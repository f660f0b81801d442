// The state of reading.
#include "app/reading_session.h"

#include <algorithm>
#include <stdexcept>

#include "reader/shown_text.h"
#include "reader/stored_feed.h"

namespace rivolet {

void ReadingSession::TakeReading(ShownFeed reading, std::string url,
                                 const std::vector<bool>& read) {
  reading_ = std::move(reading);
  shown_feed_url_ = std::move(url);
  has_reading_ = true;
  marks_.assign(reading_.items.size(), kUnread);
  for (std::size_t i = 0; i < marks_.size() && i < read.size(); ++i) {
    if (read[i]) marks_[i] = kRead;
  }
}

std::string_view ReadingSession::RowText(int row) const {
  if (row < 0 || row >= static_cast<int>(reading_.items.size())) return {};
  return ShownRowText(reading_.items[static_cast<std::size_t>(row)].title);
}

const std::string& ReadingSession::WindowTitle() const {
  static const std::string kCaption = kMainCaption;
  return has_reading_ ? reading_.window_title : kCaption;
}

int ReadingSession::Mark(int row) const {
  if (row < 0 || row >= static_cast<int>(marks_.size())) return -1;
  return marks_[static_cast<std::size_t>(row)];
}

void ReadingSession::MarkRead(int row) {
  if (row < 0 || row >= static_cast<int>(marks_.size())) return;
  marks_[static_cast<std::size_t>(row)] = kRead;
}

void ReadingSession::MarkUnread(int row) {
  if (row < 0 || row >= static_cast<int>(marks_.size())) return;
  marks_[static_cast<std::size_t>(row)] = kUnread;
}

std::vector<int> ReadingSession::MarkAllRead() {
  std::vector<int> marked;
  for (std::size_t i = 0; i < marks_.size(); ++i) {
    if (marks_[i] == kUnread) marked.push_back(static_cast<int>(i));
    marks_[i] = kRead;
  }
  return marked;
}

int ReadingSession::NextUnreadRow(int row) const {
  for (int k = std::max(row + 1, 0); k < RowCount(); ++k) {
    if (marks_[static_cast<std::size_t>(k)] == kUnread) return k;
  }
  return -1;
}

int ReadingSession::UnreadCount() const {
  return static_cast<int>(std::count(marks_.begin(), marks_.end(), kUnread));
}

void ReadingSession::set_current_item_index(int index) {
  if (index < 0 || index >= kItemTableSize)
    throw std::out_of_range("item index out of range");
  current_item_index_ = index;
}

const ShownItem& ReadingSession::CurrentItem() const {
  static const ShownItem kNoItem;
  const auto index = static_cast<std::size_t>(current_item_index_);
  return index < reading_.items.size() ? reading_.items[index] : kNoItem;
}

}  // namespace rivolet
