// The message a second start hands over, read in pieces, and where the
// running program listens.
#include "app/hand_over.h"

#include <gtest/gtest.h>

#include <string>

namespace rivolet {
namespace {

using State = HandOverReader::State;

TEST(HandOverTest, ReadInAnyPiecesRefusedWhenNotOursAndListenedForNearby) {
  const std::string sent = EncodeHandOver({"/home/u/Shared list.che"});
  const std::string too_long = EncodeHandOver({std::string(9000, 'a')});
  const std::pair<std::string, State> cases[] = {
      {sent, State::kDone},
      {sent.substr(0, sent.size() - 1), State::kMore},
      {sent.substr(0, 4) + "R" + sent.substr(5), State::kRefused},
      {too_long, State::kRefused}};
  for (const auto& [bytes, state] : cases) {
    HandOverReader reader;
    for (char byte : bytes) reader.Feed(std::string_view(&byte, 1));
    EXPECT_EQ(reader.state(), state) << bytes.size();
  }
  HandOverReader reader;
  reader.Feed(sent);
  EXPECT_EQ(reader.hand_over().file, "/home/u/Shared list.che");

  const std::string deep = "/home/u/" + std::string(100, 'd');
  EXPECT_EQ(InstanceSocketPath("/home/u/data", "/run/u", 7),
            "/home/u/data/.rivolet.socket");
  EXPECT_EQ(InstanceSocketPath(deep, "/run/u", 7).parent_path(), "/run/u");
  EXPECT_NE(InstanceSocketPath(deep, "/run/u", 7),
            InstanceSocketPath(deep + "x", "/run/u", 7));
  EXPECT_EQ(InstanceSocketPath(deep, "", 7).parent_path(), "/tmp");
}

}  // namespace
}  // namespace rivolet
