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
using testing::TempDir;

TEST(ProgramFoldersTest, PortableUnlessInstalled) {
  TempDir dir;
  const fs::path prefix = dir / "usr";
  fs::create_directories(prefix / "bin");
  fs::create_directories(prefix / "share/rivolet/languages");
  fs::create_directories(dir / "dist/bin");  // a writable bin without data
  const fs::path home = dir / "home";
  const fs::path shared = prefix / "share/rivolet";
  struct Case {
    const char* name;
    fs::path exe_folder;
    std::string xdg_data_home;
    std::string home;
    fs::path user;
    fs::path data;
  };
  const Case cases[] = {
      {"writable", dir / "dist", "/x", home, dir / "dist", dir / "dist"},
      {"writable bin", dir / "dist/bin", "/x", home, dir / "dist/bin",
       dir / "dist/bin"},
      {"installed", prefix / "bin", "/x", home, "/x/rivolet", shared},
      {"no data home", prefix / "bin", "", home, home / ".local/share/rivolet",
       shared},
      {"relative data home", prefix / "bin", "x", home,
       home / ".local/share/rivolet", shared},
      {"no home", prefix / "bin", "", "", prefix / "bin", prefix / "bin"},
  };
  for (const Case& c : cases) {
    const ProgramFolders folders =
        FindProgramFolders(c.exe_folder, c.xdg_data_home, c.home);
    EXPECT_EQ(folders.user, c.user) << c.name;
    EXPECT_EQ(folders.data, c.data) << c.name;
  }

  // Installed, the user's own languages are read after the shipped ones.
  const ProgramFolders installed =
      FindProgramFolders(prefix / "bin", "/x", home.string());
  EXPECT_EQ(
      installed.LanguageFolders(),
      (std::vector<fs::path>{shared / "languages", "/x/rivolet/languages"}));
  EXPECT_EQ(installed.HelpPage(true), shared / "pomoc.html");
  EXPECT_EQ(PortableFolders(dir.path()).LanguageFolders(),
            std::vector<fs::path>{dir / "languages"});

  // Made when missing, private to the user.
  MakeUserFolder({dir / "data/rivolet", shared});
  EXPECT_EQ(fs::status(dir / "data/rivolet").permissions() & fs::perms::all,
            fs::perms::owner_all);
}

TEST(DesktopEntryTest, ExecNamesTheProgramWhateverItsPathHolds) {
  struct Case {
    const char* program;
    const char* field_code;
    const char* exec;
  };
  const Case cases[] = {
      {"/usr/bin/rivolet", "%f", R"("/usr/bin/rivolet" %f)"},
      {"/opt/100% sure/%f/rivolet", "", R"("/opt/100%% sure/%%f/rivolet")"},
      {"/a\"b`c$d\\e/rivolet", "", R"("/a\\"b\\`c\\$d\\\\e/rivolet")"},
      {"/a\nb\tc\rd", "", R"("/a\nb\tc\rd")"},
      {"/a'b;c&d|e<f>g~h*i?j#k(l)m n", "%f",
       R"("/a'b;c&d|e<f>g~h*i?j#k(l)m n" %f)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DesktopExecValue(c.program, c.field_code), c.exec) << c.program;
  }
}

}  // namespace
}  // namespace rivolet
