// The state of reading.
#include "app/reading_session.h"

#include <algorithm>
#include <stdexcept>

#include "reader/shown_text.h"

namespace rivolet {
namespace {

constexpr std::size_t kWindowTitlePrefix = 10;  // "Rivolet - "

}  // namespace

std::string_view ChannelFromWindowTitle(std::string_view window_title) {
  if (window_title.size() <= kWindowTitlePrefix) return {};
  return window_title.substr(kWindowTitlePrefix);
}

void ReadingSession::TakeFeedRead(FeedReadResult read) {
  shown_ = ShownFeed();
  has_shown_ = false;
  items_ = std::move(read.items);
  marks_.assign(static_cast<std::size_t>(items_.count), kUnread);
  total_ = read.total;
  window_title_ = std::move(read.window_title);
  channel_title_ = std::move(read.channel_title);
  temp_ = std::move(read.rest);
}

void ReadingSession::TakeFeedRead(FeedReadResult read, ShownFeed shown) {
  TakeFeedRead(std::move(read));
  shown_ = std::move(shown);
  has_shown_ = true;
  marks_.assign(shown_.items.size(), kUnread);
  total_ = shown_.total;
}

void ReadingSession::ReadDocument(std::string document) {
  ShownFeed shown = ReadShownFeed(document);
  TakeFeedRead(ReadFeed(std::move(document)), std::move(shown));
}

std::string_view ReadingSession::ShownRowText(int row) const {
  if (row < 0 || row >= static_cast<int>(shown_.items.size())) return {};
  return rivolet::ShownRowText(
      shown_.items[static_cast<std::size_t>(row)].title);
}

const ShownItem& ReadingSession::CurrentShownItem() const {
  static const ShownItem kNoItem;
  const auto index = static_cast<std::size_t>(current_item_index_);
  return index < shown_.items.size() ? shown_.items[index] : kNoItem;
}

const std::string& ReadingSession::ShownWindowTitle() const {
  static const std::string kCaption = kMainCaption;
  return has_shown_ ? shown_.window_title : kCaption;
}

void ReadingSession::TakeFirstItemRead(const FirstItemResult& read) {
  channel_title_ = read.channel_title;
  temp_ = read.rest;
}

int ReadingSession::Mark(int row) const {
  if (row < 0 || row >= static_cast<int>(marks_.size())) return -1;
  return marks_[static_cast<std::size_t>(row)];
}

void ReadingSession::MarkRead(int row) {
  if (row < 0 || row >= static_cast<int>(marks_.size())) return;
  marks_[static_cast<std::size_t>(row)] = kRead;
}

int ReadingSession::UnreadCount() const {
  return static_cast<int>(std::count(marks_.begin(), marks_.end(), kUnread));
}

void ReadingSession::set_current_item_index(int index) {
  if (index < 0 || index >= kItemTableSize)
    throw std::out_of_range("item index out of range");
  current_item_index_ = index;
}

const ItemRecord& ReadingSession::CurrentItem() const {
  return items_.records[static_cast<std::size_t>(current_item_index_)];
}

}  // namespace rivolet
