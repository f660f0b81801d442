// The state of reading, shared by the main window, the notification window
// and the scheduler: the items of the last feed read with their read marks,
// the channel title, what is left of the last document, the item the view
// shows and the feed fetched last. Plain data and rules, no widgets.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reader/shown_feed.h"
#include "reader/stored_feed.h"

namespace rivolet {

// The main window's caption before any feed was read.
inline constexpr char kMainCaption[] = "Rivolet";

// The channel title inside a window title "Rivolet - <title>": the caption
// without its first 10 characters (nothing when it is shorter).
std::string_view ChannelFromWindowTitle(std::string_view window_title);

class ReadingSession {
 public:
  // Read marks of the item list's rows.
  static constexpr int kUnread = 0;
  static constexpr int kRead = 1;

  // Takes a full read of a feed: its items (every row unread), channel
  // title, the rest of its document and the window title.
  void TakeFeedRead(FeedReadResult read);

  // Takes both readings of one document: the stored one as above, and the
  // shown one, whose items become the rows (for a document with items the
  // same items in the same order; for an Atom document its entries, while
  // the stored reading found none). Every row is unread.
  void TakeFeedRead(FeedReadResult read, ShownFeed shown);

  // Reads a downloaded document both ways and takes both readings.
  void ReadDocument(std::string document);

  // Takes what the notification reader left behind; the items stay.
  void TakeFirstItemRead(const FirstItemResult& read);

  const ItemTable& items() const { return items_; }
  // Rows of the item list: one per item record read, or per shown item when
  // the shown reading was taken too.
  int RowCount() const { return static_cast<int>(marks_.size()); }
  // The item count of the last document (may exceed the rows kept); the
  // shown reading's when it was taken.
  int total() const { return total_; }

  // A row's mark; -1 for a row that does not exist.
  int Mark(int row) const;
  void MarkRead(int row);
  int UnreadCount() const;

  // The item the view shows: an index into the item records (0 to 99).
  int current_item_index() const { return current_item_index_; }
  void set_current_item_index(int index);
  const ItemRecord& CurrentItem() const;

  const std::string& window_title() const { return window_title_; }
  const std::string& channel_title() const { return channel_title_; }
  // What is left of the last document read.
  const std::string& temp() const { return temp_; }

  // What the windows show (UTF-8): the shown reading of the last document
  // (empty before one was taken), its rows and the item the view shows.
  const ShownFeed& shown() const { return shown_; }
  std::string_view ShownRowText(int row) const;
  // The item at current_item_index(); an empty item when there is none.
  const ShownItem& CurrentShownItem() const;
  // "Rivolet", or "Rivolet - " and the channel title as shown.
  const std::string& ShownWindowTitle() const;

  // The feed fetched last, by the feed menu or by the scheduler.
  const std::string& current_feed_url() const { return current_feed_url_; }
  void set_current_feed_url(std::string url) {
    current_feed_url_ = std::move(url);
  }

 private:
  ItemTable items_;
  ShownFeed shown_;
  bool has_shown_ = false;
  std::vector<int> marks_;
  int total_ = 0;
  int current_item_index_ = 0;
  std::string window_title_ = kMainCaption;
  std::string channel_title_;
  std::string temp_;
  std::string current_feed_url_;
};

}  // namespace rivolet
