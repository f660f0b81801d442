// The message a second start hands to the running program, read back in
// pieces, and where the running program listens.
#include "app/hand_over.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rivolet {
namespace {

using State = HandOverReader::State;

TEST(HandOverTest, ReadBackInAnyPiecesAndRefusedWhenNotOurs) {
  const std::string sent = EncodeHandOver({"/home/u/Shared list.che"});
  std::string too_long = EncodeHandOver({std::string(kMaxHandOverSize, 'a')});
  std::string with_zero = EncodeHandOver({std::string("a\0b", 3)});
  std::string foreign = sent;
  foreign[4] = 'R';
  const struct {
    const char* what;
    std::vector<std::string> pieces;
    State state;
  } cases[] = {
      {"whole", {sent}, State::kDone},
      {"a byte at a time", {}, State::kDone},
      {"no file", {EncodeHandOver({})}, State::kDone},
      {"cut short", {sent.substr(0, sent.size() - 1)}, State::kMore},
      {"longer than a path can be", {too_long}, State::kRefused},
      {"a zero byte", {with_zero}, State::kRefused},
      {"another program's", {foreign}, State::kRefused},
      {"more after it", {sent + "x"}, State::kRefused},
  };
  for (const auto& c : cases) {
    std::vector<std::string> pieces = c.pieces;
    if (pieces.empty()) {
      for (char byte : sent) pieces.emplace_back(1, byte);
    }
    HandOverReader reader;
    for (const std::string& piece : pieces) reader.Feed(piece);
    EXPECT_EQ(reader.state(), c.state) << c.what;
  }
  HandOverReader reader;
  reader.Feed(sent);
  EXPECT_EQ(reader.hand_over().file, "/home/u/Shared list.che");
}

TEST(HandOverTest, TheSocketIsInTheUserFolderWhenItFits) {
  const std::string deep = "/home/u/" + std::string(100, 'd');
  EXPECT_EQ(
      InstanceSocketPath("/home/u/.local/share/rivolet", "/run/user/7", 7),
      "/home/u/.local/share/rivolet/.rivolet.socket");
  const std::filesystem::path runtime =
      InstanceSocketPath(deep, "/run/user/7", 7);
  EXPECT_EQ(runtime.parent_path(), "/run/user/7");
  EXPECT_NE(InstanceSocketPath(deep + "x", "/run/user/7", 7), runtime);
  EXPECT_EQ(InstanceSocketPath(deep, "", 7).parent_path(), "/tmp");
  EXPECT_EQ(InstanceSocketPath(deep, "", 7).filename().string().substr(0, 10),
            "rivolet-7-");
}

}  // namespace
}  // namespace rivolet
