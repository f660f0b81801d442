// The Debian package: the files it holds, the installed program keeping the
// user's files in the user's data folder and writing nothing beside itself,
// and a portable copy keeping everything beside itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "feeds/feed_list.h"
#include "feeds/feed_stream.h"
#include "tests/e2e/e2e_fixture.h"

namespace rivolet::testing {
namespace {

namespace fs = std::filesystem;

// The files under `folder`, named from it.
std::set<std::string> FilesIn(const fs::path& folder) {
  std::set<std::string> files;
  std::error_code ec;
  for (const auto& entry : fs::recursive_directory_iterator(folder, ec)) {
    if (!entry.is_directory()) files.insert(fs::relative(entry, folder));
  }
  return files;
}

TEST_F(ProgramTest, InstalledUsesTheDataHomeAndPortableItsOwnFolder) {
  // Made by the package_build step.
  const fs::path deb = fs::path(RIVOLET_BIN_DIR).parent_path() /
                       "package-test/rivolet_0.51_amd64.deb";
  bool ok = false;
  RunCommand({"dpkg", "-x", deb.string(), (folder / "root").string()}, {}, &ok);
  if (!ok) GTEST_SKIP() << "no package: dpkg-deb or dpkg-shlibdeps is missing";
  const fs::path share = folder / "root/usr/share";
  const std::set<std::string> shipped = FilesIn(folder / "root");
  for (const char* file :
       {"bin/rivolet", "bin/feedcat", "bin/feedlist", "share/rivolet/help.html",
        "share/rivolet/pomoc.html", "share/rivolet/rss_pl.txt",
        "share/rivolet/languages/Polski.lng",
        "share/applications/rivolet.desktop", "share/mime/packages/rivolet.xml",
        "share/metainfo/local.rivolet.rivolet.metainfo.xml",
        "share/icons/hicolor/16x16/apps/rivolet.png",
        "share/icons/hicolor/256x256/apps/rivolet.png",
        "share/icons/hicolor/scalable/apps/rivolet.svg",
        "share/man/man1/rivolet.1.gz", "share/man/man1/feedcat.1.gz",
        "share/man/man1/feedlist.1.gz"}) {
    EXPECT_EQ(shipped.count(std::string("usr/") + file), 1u) << file;
  }
  // The desktop's own checkers, where installed, find no error.
  for (const std::string& check :
       {"desktop-file-validate " + (share / "applications/*").string(),
        "appstreamcli validate --no-net " + (share / "metainfo/*").string(),
        "lintian " + deb.string()}) {
    const std::string tool = check.substr(0, check.find(' '));
    const std::string out = RunCommand(
        {"sh", "-c", "! command -v " + tool + " >/dev/null || " + check}, {},
        &ok, std::chrono::seconds(120));
    EXPECT_TRUE(ok) << out;
  }

  FeedList list;
  list.Append("Local", "News", "60", "http://127.0.0.1:9/feed.xml");
  const fs::path list_file = folder / "mine.che";
  WriteFileBytes(list_file, WriteFeedFile(list, FeedListControl()));
  // Installed, then portable: each takes the list named on its command line
  // (saved at once) and is ended as the session does.
  const fs::path portable = executable;
  for (const fs::path& run : {folder / "root/usr/bin/rivolet", portable}) {
    executable = run;
    StartProgram({list_file.string()},
                 {"HOME=" + (folder / "home").string(),
                  "XDG_DATA_HOME=" + (folder / "data").string()});
    ASSERT_FALSE(FindWindow("^Rivolet$").empty()) << Log();
    EXPECT_EQ(Terminate(std::chrono::seconds(20)), std::optional<int>(0));
    if (run == portable) break;
    // The user's files and nothing else: no registration of its own.
    EXPECT_EQ(
        FilesIn(folder / "data"),
        (std::set<std::string>{"rivolet/feeds.che", "rivolet/language.dat",
                               "rivolet/rivolet.ini"}));
    EXPECT_EQ(FilesIn(folder / "root"), shipped);
  }
  EXPECT_NE(
      ReadFileBytes(folder / "data/rivolet/feeds.che").find("127.0.0.1:9"),
      std::string::npos);
  for (const char* file : {"feeds.che", "rivolet.ini", "language.dat"}) {
    EXPECT_TRUE(fs::exists(folder / file)) << file;
  }
}

}  // namespace
}  // namespace rivolet::testing
