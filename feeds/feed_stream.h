// The feed list file (feeds.che): the stored form of the hidden list control
// that holds the feeds, as an object stream. Reader and writer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "feeds/feed_list.h"

namespace rivolet {

// One column of the list control.
struct ListColumn {
  std::string caption;
  std::int32_t width = 50;

  friend bool operator==(const ListColumn&, const ListColumn&) = default;
};

// The list control's own state as the file stores it: its name, its layout
// properties and its columns. A loaded file may change them; the next save
// writes them back.
struct FeedListControl {
  std::string name = "MainRssList";
  std::int32_t left = 9;
  std::int32_t top = 248;
  std::int32_t width = 277;
  std::int32_t height = 97;
  std::string align = "alCustom";
  std::string bevel_inner = "bvSpace";
  std::string bevel_kind = "bkFlat";
  std::string border_style = "bsNone";
  std::vector<ListColumn> columns = {
      {"Feed Name", 50}, {"Category", 50}, {"Update", 50}, {"URL", 50}};
  bool full_drag = true;
  bool read_only = true;
  bool row_select = true;
  bool show_work_areas = true;
  std::int32_t tab_order = 3;
  std::string view_style = "vsReport";
  bool visible = false;

  friend bool operator==(const FeedListControl&,
                         const FeedListControl&) = default;
};

// The whole file's bytes. Names and fields longer than 255 bytes are stored
// as their first 255 bytes. Fails only when the list is too large for the
// format's 32-bit sizes.
std::string WriteFeedFile(const FeedList& list, const FeedListControl& control);

// Reads a whole file. The list's entries are replaced only when the file has
// an item block, and only when that block reads completely. Layout
// properties and columns are applied to `control` as they are read; reading
// stops at the first error, keeping what was applied before it.
// `name_taken` answers whether a name belongs to one of the program's windows:
// such an object name gets "_1", "_2", ... appended until it is free.
// `component_exists` answers whether a name belongs to another component of
// the main window: such an object name is refused.
// Fails with rivolet::Error carrying the message the user sees.
void ReadFeedFile(
    std::string_view bytes, FeedList& list, FeedListControl& control,
    const std::function<bool(std::string_view)>& name_taken = {},
    const std::function<bool(std::string_view)>& component_exists = {});

}  // namespace rivolet
