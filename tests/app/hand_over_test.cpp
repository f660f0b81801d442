// The message a second start hands over, read in pieces, and where the
// running program listens.
#include "app/hand_over.h"

#include <gtest/gtest.h>

#include <string>

namespace rivolet {
namespace {

TEST(HandOverTest, ReadInAnyPiecesAndRefusedWhenNotOurs) {
  const std::string sent = EncodeHandOver({"/home/u/Shared list.che"});
  std::string foreign = sent;
  foreign[4] = 'R';
  const struct {
    std::string bytes;
    std::size_t piece;
    HandOverReader::State state;
  } cases[] = {
      {sent, 1, HandOverReader::State::kDone},
      {sent.substr(0, sent.size() - 1), 64, HandOverReader::State::kMore},
      {sent + "x", 64, HandOverReader::State::kRefused},
      {foreign, 64, HandOverReader::State::kRefused},
      {EncodeHandOver({std::string("a\0b", 3)}), 64,
       HandOverReader::State::kRefused},
      {EncodeHandOver({std::string(kMaxHandOverSize, 'a')}), 64,
       HandOverReader::State::kRefused},
  };
  for (const auto& c : cases) {
    HandOverReader reader;
    for (std::size_t at = 0; at < c.bytes.size(); at += c.piece) {
      reader.Feed(std::string_view(c.bytes).substr(at, c.piece));
    }
    EXPECT_EQ(reader.state(), c.state) << c.bytes.size();
    if (c.state == HandOverReader::State::kDone) {
      EXPECT_EQ(reader.hand_over().file, "/home/u/Shared list.che");
    }
  }
}

TEST(HandOverTest, TheSocketIsInTheUserFolderWhenItFits) {
  const std::string deep = "/home/u/" + std::string(100, 'd');
  EXPECT_EQ(InstanceSocketPath("/home/u/.local/share/rivolet", "/run/u", 7),
            "/home/u/.local/share/rivolet/.rivolet.socket");
  EXPECT_EQ(InstanceSocketPath(deep, "/run/u", 7).parent_path(), "/run/u");
  EXPECT_NE(InstanceSocketPath(deep, "/run/u", 7),
            InstanceSocketPath(deep + "x", "/run/u", 7));
  EXPECT_EQ(InstanceSocketPath(deep, "", 7).string().substr(0, 18),
            "/tmp/rivolet-7-riv");
}

}  // namespace
}  // namespace rivolet
