// The Debian package: the files it holds, the installed program keeping the
// user's files in the user's data folder and writing nothing beside itself,
// and a portable copy keeping everything beside itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "feeds/feed_list.h"
#include "feeds/feed_stream.h"
#include "tests/e2e/e2e_fixture.h"

namespace rivolet::testing {
namespace {

namespace fs = std::filesystem;

// The package the package_build step made, or empty.
fs::path BuiltPackage() {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(
           fs::path(RIVOLET_BIN_DIR).parent_path() / "package-test", ec)) {
    if (entry.path().extension() == ".deb") return entry.path();
  }
  return {};
}

// The files under `folder`, named from it.
std::set<std::string> FilesIn(const fs::path& folder) {
  std::set<std::string> files;
  std::error_code ec;
  for (const auto& entry : fs::recursive_directory_iterator(folder, ec)) {
    if (!entry.is_directory()) {
      files.insert(fs::relative(entry.path(), folder).string());
    }
  }
  return files;
}

class PackageTest : public ProgramTest {
 protected:
  // Runs `executable` with a feed-list file on its command line (it takes
  // the list and saves it), then ends it as the session does.
  void RunWithList(const fs::path& list_file, std::vector<std::string> env) {
    StartProgram({list_file.string()}, std::move(env));
    ASSERT_FALSE(FindWindow("^Rivolet$").empty()) << Log();
    EXPECT_EQ(Terminate(std::chrono::seconds(20)), std::optional<int>(0))
        << Log();
  }

  static std::string SavedUrl(const fs::path& file) {
    FeedList list;
    FeedListControl control;
    ReadFeedFile(ReadFileBytes(file), list, control);
    return list.Count() == 1 ? list.Entry(0).Url() : std::string();
  }
};

TEST_F(PackageTest, InstalledUsesTheDataHomeAndPortableItsOwnFolder) {
  bool ok = false;
  RunCommand({"dpkg-deb", "--version"}, {}, &ok);
  const fs::path deb = BuiltPackage();
  if (!ok || deb.empty()) {
    GTEST_SKIP() << "dpkg-deb is missing: the package was not built";
  }
  const std::string contents =
      RunCommand({"dpkg-deb", "-c", deb.string()}, {}, &ok);
  ASSERT_TRUE(ok);
  for (const char* file :
       {"bin/rivolet", "bin/feedcat", "bin/feedlist", "share/rivolet/help.html",
        "share/rivolet/pomoc.html", "share/rivolet/rss_pl.txt",
        "share/rivolet/languages/English.lng",
        "share/rivolet/languages/Polski.lng",
        "share/applications/rivolet.desktop", "share/mime/packages/rivolet.xml",
        "share/metainfo/local.rivolet.rivolet.metainfo.xml",
        "share/icons/hicolor/16x16/apps/rivolet.png",
        "share/icons/hicolor/256x256/apps/rivolet.png",
        "share/icons/hicolor/scalable/apps/rivolet.svg",
        "share/doc/rivolet/copyright"}) {
    EXPECT_NE(contents.find(std::string(" ./usr/") + file + "\n"),
              std::string::npos)
        << file;
  }
  EXPECT_NE(RunCommand({"dpkg-deb", "-f", deb.string(), "Depends"}, {}, &ok)
                .find("libqt6widgets6"),
            std::string::npos);

  const fs::path root = folder / "root";
  RunCommand({"dpkg", "-x", deb.string(), root.string()}, {}, &ok);
  ASSERT_TRUE(ok);
  // The desktop's own checkers, where installed, find no error.
  const fs::path share = root / "usr/share";
  for (const std::vector<std::string>& check :
       std::vector<std::vector<std::string>>{
           {"desktop-file-validate",
            (share / "applications/rivolet.desktop").string()},
           {"appstreamcli", "validate", "--no-net",
            (share / "metainfo/local.rivolet.rivolet.metainfo.xml").string()},
           {"lintian", deb.string()}}) {
    RunCommand({"sh", "-c", "command -v " + check[0]}, {}, &ok);
    if (!ok) continue;
    const std::string out =
        RunCommand(check, {}, &ok, std::chrono::seconds(120));
    EXPECT_TRUE(ok) << check[0] << ": " << out;
  }
  const std::set<std::string> shipped = FilesIn(root);
  FeedList list;
  list.Append("Local", "News", "60", "http://127.0.0.1:9/feed.xml");
  const fs::path list_file = folder / "mine.che";
  WriteFileBytes(list_file, WriteFeedFile(list, FeedListControl()));
  const fs::path home = folder / "home";

  const fs::path data_home = folder / "data";
  executable = root / "usr/bin/rivolet";
  RunWithList(list_file,
              {"HOME=" + home.string(), "XDG_DATA_HOME=" + data_home.string()});
  EXPECT_EQ(SavedUrl(data_home / "rivolet/feeds.che"),
            "http://127.0.0.1:9/feed.xml");
  // The user's files and nothing else: no registration of its own.
  EXPECT_EQ(FilesIn(data_home),
            (std::set<std::string>{"rivolet/feeds.che", "rivolet/language.dat",
                                   "rivolet/rivolet.ini"}));
  EXPECT_EQ(FilesIn(root), shipped);

  executable = folder / "rivolet";
  RunWithList(list_file, {"HOME=" + home.string(),
                          "XDG_DATA_HOME=" + (folder / "xdg").string()});
  EXPECT_EQ(SavedUrl(folder / "feeds.che"), "http://127.0.0.1:9/feed.xml");
  EXPECT_TRUE(fs::exists(folder / "rivolet.ini"));
  EXPECT_TRUE(fs::exists(folder / "language.dat"));
  EXPECT_FALSE(fs::exists(folder / "xdg/rivolet"));
}

}  // namespace
}  // namespace rivolet::testing
