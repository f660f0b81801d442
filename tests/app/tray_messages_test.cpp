// Which mouse messages on the tray icon each "restore on" / "menu on" value
// selects.
#include "app/tray_messages.h"

#include <gtest/gtest.h>

#include <string>

namespace rivolet {
namespace {

using I = TTrayIconMessage;
using M = TrayMouseMessage;

TEST(TrayMessagesTest, EachSettingSelectsItsMouseMessages) {
  const M all[] = {M::kMove,
                   M::kLeftDown,
                   M::kLeftUp,
                   M::kLeftDoubleClick,
                   M::kRightDown,
                   M::kRightUp,
                   M::kRightDoubleClick,
                   M::kMiddleDown,
                   M::kMiddleUp,
                   M::kMiddleDoubleClick};
  // For each setting, the messages of `all` it selects, one letter each.
  struct Case {
    I on;
    const char* selects;  // "x" selected, "." not, in the order of `all`
  } cases[] = {
      {I::imClick, "..x..x..x."},        {I::imDoubleClick, "...x..x..x"},
      {I::imMouseDown, ".x..x..x.."},    {I::imMouseUp, "..x..x..x."},
      {I::imLeftClickUp, "..x......."},  {I::imLeftDoubleClick, "...x......"},
      {I::imRightClickUp, ".....x...."}, {I::imRightDoubleClick, "......x..."},
      {I::imNone, ".........."},
  };
  for (const Case& c : cases) {
    std::string got;
    for (M m : all) got += TrayMessageSelects(c.on, m) ? 'x' : '.';
    EXPECT_EQ(got, c.selects) << static_cast<int>(c.on);
  }
}

}  // namespace
}  // namespace rivolet
