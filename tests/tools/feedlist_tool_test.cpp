// The feedlist tool: a list made on the command line reads back in the
// program's own format, and a damaged file is refused, not overwritten.
#include <gtest/gtest.h>

#include "feeds/feed_stream.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace rivolet {
namespace {

using testing::ReadFileBytes;
using testing::RunCommand;
using testing::TempDir;

const std::string kTool = std::string(RIVOLET_BIN_DIR) + "/feedlist";

TEST(FeedlistTool, AddsFeedsInTheProgramsFormatAndShowsThemBack) {
  TempDir dir;
  const std::string file = (dir / "feeds.che").string();
  bool ok = false;
  RunCommand(
      {kTool, "add", file, "Zażółć", "Polska", "60", "http://a.example/rss"},
      {}, &ok);
  ASSERT_TRUE(ok);
  RunCommand(
      {kTool, "add", file, "Tech & more", "Tech", "", "https://b.example/"}, {},
      &ok);
  ASSERT_TRUE(ok);

  FeedList expected;
  expected.Append("Za\xBF\xF3\xB3\xE6", "Polska", "60", "http://a.example/rss");
  expected.Append("Tech & more", "Tech", "", "https://b.example/");
  EXPECT_EQ(ReadFileBytes(dir / "feeds.che"),
            WriteFeedFile(expected, FeedListControl()));
  EXPECT_EQ(RunCommand({kTool, "show", file}, {}, &ok),
            "Zażółć\tPolska\t60\thttp://a.example/rss\n"
            "Tech & more\tTech\t\thttps://b.example/\n");
  EXPECT_TRUE(ok);
}

TEST(FeedlistTool, RefusesToAddToADamagedFile) {
  TempDir dir;
  testing::WriteFileBytes(dir / "feeds.che", "TPF0 damaged");
  bool ok = true;
  RunCommand(
      {kTool, "add", (dir / "feeds.che").string(), "n", "c", "1", "http://x/"},
      {}, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(ReadFileBytes(dir / "feeds.che"), "TPF0 damaged");
}

TEST(FeedlistTool, MovesFeedsInAndOutAsOpml) {
  TempDir dir;
  const std::string file = (dir / "feeds.che").string();
  const std::string opml = (dir / "feeds.opml").string();
  testing::WriteFileBytes(opml,
                          "<opml><body><outline text=\"Tech\">"
                          "<outline text=\"A\" xmlUrl=\"http://a/\"/>"
                          "</outline></body></opml>");
  bool ok = false;
  EXPECT_EQ(RunCommand({kTool, "import-opml", file, opml, ""}, {}, &ok),
            "1 added, 0 already in the list, 0 refused\n");
  RunCommand({kTool, "export-opml", file, opml}, {}, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(RunCommand({kTool, "import-opml", file, opml}, {}, &ok),
            "0 added, 1 already in the list, 0 refused\n");
  EXPECT_EQ(RunCommand({kTool, "show", file}, {}, &ok),
            "A\tTech\t\thttp://a/\n");
  RunCommand({kTool, "import-opml", file, file}, {}, &ok);
  EXPECT_FALSE(ok);  // a feed list file is not OPML
}

}  // namespace
}  // namespace rivolet
