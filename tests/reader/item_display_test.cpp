// The shortened item texts of the item list and the item view (the tab
// caption is checked through the window, which shows it).
#include "reader/item_display.h"

#include <gtest/gtest.h>

namespace rivolet {
namespace {

TEST(ItemDisplayTest, RowShowsTheFirstLineAndItemManTheChannel) {
  EXPECT_EQ(ItemRowText("One\r\nTwo"), "One");
  EXPECT_EQ(ItemRowText("One\nTwo"), "One");
  EXPECT_EQ(ItemRowText("\nTwo"), "");
  EXPECT_EQ(ItemRowText("Only"), "Only");
  EXPECT_EQ(ChannelFromWindowTitle("Rivolet - News"), "News");
  EXPECT_EQ(ChannelFromWindowTitle("Rivolet"), "");
  EXPECT_EQ(ChannelFromWindowTitle("Rivolet - "), "");
}

}  // namespace
}  // namespace rivolet
