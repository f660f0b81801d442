// Tests of the feedcat tool run as a program: its exact JSON for a file and
// for a loopback URL, and its exit codes for documents it cannot get.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "reading/item_identity.h"
#include "reading/reading_store.h"
#include "tests/support/loopback_server.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace rivolet {
namespace {

const std::string kFeedcat = std::string(RIVOLET_BIN_DIR) + "/feedcat";

struct ToolRun {
  int exit_code = -1;
  std::string output;  // standard output and error together
};

ToolRun Feedcat(const std::vector<std::string>& args) {
  testing::TempDir dir;
  const std::string log = (dir / "out.txt").string();
  std::vector<std::string> argv = {kFeedcat};
  argv.insert(argv.end(), args.begin(), args.end());
  testing::ChildProcess child(argv, {}, log);
  ToolRun run;
  run.exit_code = child.Wait(std::chrono::seconds(30)).value_or(-1000);
  run.output = testing::ReadFileBytes(log);
  return run;
}

// A quote, a backslash, a tab, DEL and a Windows-1250 letter in the texts.
const std::string kDocument =
    "<title>Q\"B\\ \xB9</title><item><title>a\tb \x7F</title><link>L</link>"
    "<description>d</description><pubDate>Tue, 01 Mar 2005</pubDate></item>";

const std::string kFeedJson =
    "{\"window_title\":\"Rivolet - Q\\\"B\\\\ \\u00B9\","
    "\"channel_title\":\"Q\\\"B\\\\ \\u00B9\",\"count\":1,\"items\":[\n"
    "{\"title\":\"a\\u0009b \\u007F\",\"date\":\" 01.03.2005\","
    "\"link\":\"L\",\"description\":\"d\"}\n]}\n";

class FeedcatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kFeedcat)) {
      GTEST_FAIL() << kFeedcat << " is missing; build the feedcat target";
    }
    file_ = (dir_ / "feed.xml").string();
    testing::WriteFileBytes(file_, kDocument);
  }

  testing::TempDir dir_;
  std::string file_;
};

TEST_F(FeedcatTest, PrintsWhatEachReaderReadsFromAFile) {
  struct Case {
    std::vector<std::string> options;
    std::string expected;
  } cases[] = {
      {{}, kFeedJson},
      {{"--first"},
       "{\"caption\":\"Q\\\"B\\\\ \\u00B9\",\"title\":\"a\\u0009b \\u007F\","
       "\"date\":\"01.03.2005\"}\n"},
      {{"--utf8", "--first"},
       "{\"caption\":\"Q\\\"B\\\\ \xC4\x85\",\"title\":\"a\\u0009b \\u007F\","
       "\"date\":\"01.03.2005\"}\n"},
      // What the windows show: UTF-8, a title on one line, no controls.
      {{"--shown"},
       "{\"window_title\":\"Rivolet - Q\\\"B\\\\ \xC4\x85\",\"count\":1,"
       "\"items\":[\n{\"row\":\"a b\",\"tab\":\"a b\","
       // A relative link with nothing to resolve it against is no link.
       "\"title\":\"a b\",\"date\":\"01.03.2005\",\"link\":\"\","
       "\"text\":\"d\",\"rich\":\"d\"}\n]}\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.options;
    args.push_back(file_);
    const ToolRun run = Feedcat(args);
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.output, c.expected);
  }
}

TEST_F(FeedcatTest, SaysWhatTheStoreHasReadUnderTheFeedAsWritten) {
  // The item's JSON ends in its mark: the shown JSON, the mark before "}".
  std::string shown = Feedcat({"--shown", file_}).output;
  shown.resize(shown.rfind("}\n]}"));
  const std::string store = (dir_ / "store").string();
  std::filesystem::create_directory(store);
  EXPECT_EQ(Feedcat({"--shown", file_, "--store", store}).output,
            shown + ",\"read\":false}\n]}\n");
  ReadingStore::Open(dir_ / "store" / "reading.db")
      ->SetRead(file_, ItemIdentities(ReadShownFeed(kDocument)), true, 1);
  EXPECT_EQ(Feedcat({"--shown", file_, "--store", store}).output,
            shown + ",\"read\":true}\n]}\n");
  testing::WriteFileBytes(dir_ / "store" / "reading.db", "damaged");
  const ToolRun damaged = Feedcat({"--shown", file_, "--store", store});
  EXPECT_EQ(damaged.exit_code, 1);
  EXPECT_EQ(testing::ReadFileBytes(dir_ / "store" / "reading.db"), "damaged");
  EXPECT_EQ(Feedcat({file_, "--store", store}).exit_code, 2);
}

TEST_F(FeedcatTest, ReadsALoopbackUrl) {
  testing::LoopbackServer server;
  server.Serve("/feed.xml", testing::Response::Ok(kDocument));
  server.Serve("/gone.xml",
               testing::Response::Status("HTTP/1.1 404 Not Found"));

  const ToolRun ok = Feedcat({server.Url("/feed.xml")});
  EXPECT_EQ(ok.exit_code, 0);
  EXPECT_EQ(ok.output, kFeedJson);

  const ToolRun gone = Feedcat({server.Url("/gone.xml")});
  EXPECT_EQ(gone.exit_code, 1);
  EXPECT_EQ(gone.output, "HTTP/1.1 404 Not Found\n");
}

TEST_F(FeedcatTest, FailsOnWhatItCannotRead) {
  const ToolRun missing = Feedcat({(dir_ / "nothing.xml").string()});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(missing.output.find("Cannot open file"), std::string::npos)
      << missing.output;
  EXPECT_EQ(missing.output.find('{'), std::string::npos);

  EXPECT_EQ(Feedcat({}).exit_code, 2);
  EXPECT_EQ(Feedcat({"--bogus", file_}).exit_code, 2);
  EXPECT_EQ(Feedcat({file_, file_}).exit_code, 2);
  EXPECT_EQ(Feedcat({"--shown", "--first", file_}).exit_code, 2);
}

}  // namespace
}  // namespace rivolet
