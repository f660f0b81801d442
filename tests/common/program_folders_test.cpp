// Where the program's files live, and how desktop entries name the program.
#include "common/program_folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/desktop_entry.h"
#include "tests/support/temp_dir.h"

namespace rivolet {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFoldersTest, PortableUnlessInstalled) {
  testing::TempDir dir;
  const fs::path bin = dir / "usr/bin", dist = dir / "dist/bin";
  const fs::path shared = dir / "usr/share/rivolet", home = dir / "home";
  fs::create_directories(shared / "languages");
  fs::create_directories(bin);
  fs::create_directories(dist);  // a writable bin without data beside it
  const struct {
    fs::path exe_folder;
    const char* data_home;
    fs::path user, data;
  } cases[] = {
      {dist, "/x", dist, dist},
      {bin, "/x", "/x/rivolet", shared},
      {bin, "", home / ".local/share/rivolet", shared},
      {bin, "relative", home / ".local/share/rivolet", shared},
  };
  for (const auto& c : cases) {
    const ProgramFolders found =
        FindProgramFolders(c.exe_folder, c.data_home, home.string());
    EXPECT_EQ(found.user, c.user) << c.exe_folder << c.data_home;
    EXPECT_EQ(found.data, c.data) << c.exe_folder << c.data_home;
  }
  // No home at all: no user's folder, never the executable's.
  EXPECT_EQ(FindProgramFolders(bin, "", "").user, fs::path());

  // The user's own languages are read after the shipped ones.
  EXPECT_EQ(
      FindProgramFolders(bin, "/x", "").LanguageFolders(),
      (std::vector<fs::path>{shared / "languages", "/x/rivolet/languages"}));
  EXPECT_EQ(PortableFolders(dist).LanguageFolders(),
            std::vector<fs::path>{dist / "languages"});
  ProgramFolders made{dir / "data/rivolet", shared};
  MakeUserFolder(made);
  EXPECT_EQ(fs::status(dir / "data/rivolet").permissions() & fs::perms::all,
            fs::perms::owner_all);
}

TEST(DesktopEntryTest, ExecNamesTheProgramWhateverItsPathHolds) {
  const struct {
    const char* program;
    const char* field_code;
    const char* exec;
  } cases[] = {
      {"/usr/bin/rivolet", "%f", R"("/usr/bin/rivolet" %f)"},
      {"/opt/100% sure/%f/rivolet", "", R"(env "/opt/100%% sure/%%f/rivolet")"},
      {"/a\"b`c$d\\e/rivolet", "", R"("/a\\"b\\`c\\$d\\\\e/rivolet")"},
      {"/a\nb\tc\rd", "", R"("/a\nb\tc\rd")"},
      {"/a'b;c&d|e<f>g~h*i?j#k(l)m n", "", R"("/a'b;c&d|e<f>g~h*i?j#k(l)m n")"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DesktopExecValue(c.program, c.field_code), c.exec) << c.program;
  }
}

}  // namespace
}  // namespace rivolet
