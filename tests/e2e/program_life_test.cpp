// The real program under a virtual X screen in a folder of its own: it shows
// its window and, asked to end by the session, saves its feed list.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "tests/e2e/e2e_fixture.h"

namespace rivolet::testing {
namespace {

TEST_F(ProgramTest, ShowsItsWindowAndSavesTheFeedListOnSigterm) {
  StartProgram();
  const std::string window = FindWindow("^Rivolet$");
  ASSERT_FALSE(window.empty()) << Log();
  EXPECT_EQ(Title(window), "Rivolet");
  EXPECT_FALSE(std::filesystem::exists(folder / "feeds.che"));

  program->Signal(SIGTERM);
  const auto code = program->Wait(std::chrono::seconds(20));
  ASSERT_TRUE(code.has_value()) << Log();
  EXPECT_EQ(*code, 0) << Log();
  EXPECT_TRUE(std::filesystem::exists(folder / "feeds.che"));
  // The file type was registered in the test's own data folder.
  EXPECT_TRUE(std::filesystem::exists(folder / "xdg" / "applications" /
                                      "rivolet.desktop"));
}

}  // namespace
}  // namespace rivolet::testing
