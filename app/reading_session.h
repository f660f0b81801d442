// The state of reading, shared by the main window, the notification window
// and the scheduler: the shown reading of the last feed opened with its read
// marks, the item the view shows and the feed fetched last. Plain data and
// rules, no widgets.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reader/shown_feed.h"

namespace rivolet {

// The main window's caption before any feed was read.
inline constexpr char kMainCaption[] = "Rivolet";

class ReadingSession {
 public:
  // Read marks of the item list's rows.
  static constexpr int kUnread = 0;
  static constexpr int kRead = 1;

  // Takes the reading of a feed just opened (made by the worker that
  // downloaded it) from `url`: its items become the rows, every one unread
  // but those `read` marks read.
  void TakeReading(ShownFeed reading, std::string url = {},
                   const std::vector<bool>& read = {});
  // The URL of the feed whose reading is taken; the feed fetched last may
  // be another.
  const std::string& shown_feed_url() const { return shown_feed_url_; }

  // The reading of the last feed opened; empty before one was taken.
  const ShownFeed& reading() const { return reading_; }
  // Rows of the item list: one per item of the reading.
  int RowCount() const { return static_cast<int>(marks_.size()); }
  // The item count the count labels show (may exceed the rows kept).
  int total() const { return reading_.total; }
  // A row's caption in the list.
  std::string_view RowText(int row) const;
  // "Rivolet", or "Rivolet - " and the channel title.
  const std::string& WindowTitle() const;

  // A row's mark; -1 for a row that does not exist.
  int Mark(int row) const;
  void MarkRead(int row);
  void MarkUnread(int row);
  // Every row read; returns the rows that were unread.
  std::vector<int> MarkAllRead();
  int UnreadCount() const;
  // The first unread row after `row` (-1 to look from the first); -1 when
  // there is none down to the last row.
  int NextUnreadRow(int row) const;

  // The item the view shows: an index into the rows (0 to 99).
  int current_item_index() const { return current_item_index_; }
  void set_current_item_index(int index);
  // The item at current_item_index(); an empty item when there is none.
  const ShownItem& CurrentItem() const;

  // The feed fetched last, by the feed menu or by the scheduler.
  const std::string& current_feed_url() const { return current_feed_url_; }
  void set_current_feed_url(std::string url) {
    current_feed_url_ = std::move(url);
  }

 private:
  ShownFeed reading_;
  std::string shown_feed_url_;
  bool has_reading_ = false;
  std::vector<int> marks_;
  int current_item_index_ = 0;
  std::string current_feed_url_;
};

}  // namespace rivolet
