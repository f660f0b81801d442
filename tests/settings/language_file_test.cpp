// Tests of the language files: splitting, value lookup, what a window is told
// to set, the languages folder, finding a language by name, language.dat.
#include "settings/language_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "common/error.h"
#include "tests/support/temp_dir.h"

namespace rivolet {
namespace {

using Kind = LanguageAction::Kind;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

TEST(LanguageFileTest, EnglishCountsOfOneAreSingular) {
  EXPECT_EQ(EnglishSingulars("Imported 1 feeds; 1 were there; 11 were not; "
                             "21 feeds; 1 feedstock"),
            "Imported 1 feed; 1 was there; 11 were not; 21 feeds; "
            "1 feedstock");
}

TEST(LanguageFileTest, Split) {
  struct Case {
    std::string bytes;
    LanguageLines lines;
  };
  const std::vector<Case> cases = {
      {"a=1\r\nb=2\rc=3\nd=4",
       {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}}},
      {"a=1\r\r\nb=2\n\r", {{"a", "1"}, {"b", "2"}}},
      {" a = b=c \t", {{" a ", " b=c \t"}}},
      {"no equals\n=v\n", {}},
      {std::string("a=1\0\nb=2", 9), {{"a", "1"}}},
      {std::string("\0a=1", 4), {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseLanguageFile(c.bytes), c.lines) << c.bytes;
  }
}

TEST(LanguageFileTest, KeysTheFileLeavesMoveOffTheLettersItTakes) {
  struct Case {
    const char* name;
    std::vector<MenuCaption> menu;
    std::vector<std::string> settled;
  };
  const std::vector<Case> cases = {
      {"an older file takes x from Export",
       {{"&New feed", true},
        {"&Xopts", true},
        {"&Import OPML...", false},
        {"E&xport OPML...", false},
        {"&Exit", true}},
       {"&New feed", "&Xopts", "&Import OPML...", "Ex&port OPML...", "&Exit"}},
      {"letter case and Polish letters compare folded",
       {{"&\xA3\xF3\x64\xBC", true}, {"&\xB3\x61\x64", false}, {"&aB", false}},
       {"&\xA3\xF3\x64\xBC", "\xB3&ad", "a&B"}},
      {"no letter free: no key; a literal & stays",
       {{"&ab", true}, {"&b", true}, {"a&&&b", false}, {"plain", false}},
       {"&ab", "&b", "a&&b", "plain"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SettleMenuKeys(c.menu), c.settled) << c.name;
  }
}

struct Act {
  Kind kind;
  std::string key;
  int column;
  std::string value;
  bool operator==(const Act&) const = default;
};

std::vector<Act> Plan(const std::string& file, const WindowLanguageKeys& keys) {
  const LanguageLines lines = ParseLanguageFile(file);
  std::vector<Act> acts;
  for (const LanguageAction& a : PlanLanguage(lines, keys)) {
    acts.push_back(
        {a.kind, std::string(a.key), a.column, std::string(a.value)});
  }
  return acts;
}

TEST(LanguageFileTest, PlanForOneWindow) {
  struct Case {
    const char* name;
    std::string file;
    const WindowLanguageKeys& keys;
    std::vector<Act> plan;
  };
  const std::vector<Case> cases = {
      {"a key given twice takes the first value twice",
       "ChooseButton=A\nchoosebutton=B\n",
       MainFormLanguageKeys(),
       {{Kind::kComponent, "ChooseButton", -1, "A"},
        {Kind::kComponent, "choosebutton", -1, "A"}}},
      {"the first value also serves the caption key",
       "optionsform=x\nOptionsForm=T\n",
       OptionsFormLanguageKeys(),
       {{Kind::kComponent, "optionsform", -1, "x"},
        {Kind::kCaption, "OptionsForm", -1, "x"},
        {Kind::kComponent, "OptionsForm", -1, "x"}}},
      {"blanks around = stay in the name",
       "ChooseButton = A\n",
       MainFormLanguageKeys(),
       {{Kind::kComponent, "ChooseButton ", -1, " A"}}},
      {"marker lines never reach a component",
       "RivoletLanguage=English\nMyRivoletLanguage2=x\nrivoletlanguage=y\n",
       MainFormLanguageKeys(),
       {{Kind::kComponent, "rivoletlanguage", -1, "English"}}},
      {"columns first, a missing one empty, keys found in any case",
       "catAdd=Dodaj\nKATALOG->column[0]=Nazwa\nkatalog->Column[1]=K\n"
       "UPS=Juz jest\nkatalog->Column[3]=U\n",
       CatalogueFormLanguageKeys(),
       {{Kind::kColumn, "", 0, "Nazwa"},
        {Kind::kColumn, "", 1, "K"},
        {Kind::kColumn, "", 2, ""},
        {Kind::kColumn, "", 3, "U"},
        {Kind::kComponent, "catAdd", -1, "Dodaj"},
        {Kind::kComponent, "KATALOG->column[0]", -1, "Nazwa"},
        {Kind::kComponent, "katalog->Column[1]", -1, "K"},
        {Kind::kMessage, "UPS", -1, "Juz jest"},
        {Kind::kComponent, "UPS", -1, "Juz jest"},
        {Kind::kComponent, "katalog->Column[3]", -1, "U"}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Plan(c.file, c.keys), c.plan) << c.name;
  }
}

// A program folder holding the given language files.
void AddLanguageFile(const TempDir& dir, const std::string& name,
                     const std::string& bytes) {
  std::filesystem::create_directories(dir / "languages");
  WriteFileBytes(dir / "languages" / name, bytes);
}

TEST(LanguageFileTest, IndexListsLanguageFilesByName) {
  TempDir dir;
  const std::filesystem::path folder = dir / "languages";
  std::vector<LanguageEntry> index;
  EXPECT_TRUE(BuildLanguageIndex(folder, index));  // no folder
  EXPECT_TRUE(index.empty());

  AddLanguageFile(dir, "b.lng", "x=1\r\nrivoletLANGUAGE=English\r\n");
  AddLanguageFile(dir, "A.LNG", "RivoletLanguage=Polski");
  AddLanguageFile(dir, "c.lng", "no marker=");
  AddLanguageFile(dir, "notes.txt", "RivoletLanguage=Other");
  std::filesystem::create_directory(dir / "languages/dir.lng");
  EXPECT_TRUE(BuildLanguageIndex(folder, index));
  EXPECT_EQ(index, (std::vector<LanguageEntry>{{"Polski", folder / "A.LNG"},
                                               {"English", folder / "b.lng"},
                                               {"", folder / "c.lng"}}));

  // A file that cannot be read stops the build; the entries before it stay.
  AddLanguageFile(dir, "bb.lng", std::string(kMaxLanguageFileSize + 1, 'x'));
  index.clear();
  EXPECT_FALSE(BuildLanguageIndex(folder, index));
  EXPECT_EQ(index, (std::vector<LanguageEntry>{{"Polski", folder / "A.LNG"},
                                               {"English", folder / "b.lng"}}));
}

TEST(LanguageFileTest, FindByExactNameLastMatchWins) {
  TempDir dir;
  AddLanguageFile(dir, "en.lng", "ChooseButton=en");
  AddLanguageFile(dir, "uk.lng", "ChooseButton=uk");
  AddLanguageFile(dir, "pl1.lng", "ChooseButton=pl1");
  AddLanguageFile(dir, "pl2.lng", "ChooseButton=pl2");
  const std::filesystem::path folder = dir / "languages";
  LanguageState state;
  state.index = {{"English", folder / "en.lng"},
                 {"English (UK)", folder / "uk.lng"},
                 {"Polski", folder / "pl1.lng"},
                 {"Polski", folder / "pl2.lng"},
                 {"", folder / "empty.lng"}};
  struct Case {
    const char* name;
    const char* value;  // nullptr: nothing found
    const char* file_after;
  };
  const Case cases[] = {
      {"English", "en", "en.lng"},
      {"Polski", "pl2", "pl2.lng"},
      {"english", nullptr, "x"},
      {"", nullptr, "x"},
  };
  for (const Case& c : cases) {
    state.current_file = "x";
    const auto lines = FindLanguage(c.name, state);
    ASSERT_EQ(lines.has_value(), c.value != nullptr) << c.name;
    if (lines) {
      EXPECT_EQ(FindLanguageValue(*lines, "choosebutton"), c.value);
    }
    EXPECT_EQ(state.current_file.filename(), c.file_after) << c.name;
  }
  // A later match that cannot be read ends the search after the earlier one.
  std::filesystem::remove(folder / "pl2.lng");
  state.current_file.clear();
  EXPECT_THROW(FindLanguage("Polski", state), Error);
  EXPECT_EQ(state.current_file, folder / "pl1.lng");
  EXPECT_FALSE(ChooseLanguage("&Polski", state));
  EXPECT_EQ(state.current_name, "Polski");
}

TEST(LanguageFileTest, ChoiceKeptInLanguageDat) {
  TempDir dir;
  AddLanguageFile(dir, "en.lng", "RivoletLanguage=English\nA=en");
  AddLanguageFile(dir, "pl.lng", "RivoletLanguage=Polski\nA=pl");
  LanguageState state;
  ASSERT_TRUE(BuildLanguageIndex(dir / "languages", state.index));
  const std::filesystem::path dat = dir / kLanguageChoiceFileName;

  auto start = StartupLanguage(dir.path(), state);  // no language.dat
  EXPECT_EQ(state.current_name, "English");
  ASSERT_TRUE(start);
  EXPECT_EQ(FindLanguageValue(*start, "a"), "en");

  WriteFileBytes(dat, " \t&Polski\r\n");
  start = StartupLanguage(dir.path(), state);
  EXPECT_EQ(state.current_name, "&Polski");  // kept as read
  ASSERT_TRUE(start);
  EXPECT_EQ(FindLanguageValue(*start, "a"), "pl");

  state.current_name = "RichEdit1";
  SaveLanguageChoice(dir.path(), state);
  EXPECT_EQ(ReadFileBytes(dat), "English");
  state.current_name.clear();
  SaveLanguageChoice(dir.path(), state);
  EXPECT_EQ(ReadFileBytes(dat), "English");

  // Gone since the start, or no longer a file: the dialogs report the path.
  const std::filesystem::path pl = dir / "languages" / "pl.lng";
  state.current_file = pl;
  std::filesystem::remove(pl);
  for (int pipe = 0; pipe < 2; ++pipe) {
    if (pipe) {
      ASSERT_EQ(mkfifo(pl.c_str(), 0600), 0);
    }
    try {
      DialogLanguage(state);
      ADD_FAILURE() << "no failure";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot open file " + pl.string());
    }
  }

  std::filesystem::remove(dat);
  std::filesystem::create_directory(dat);
  EXPECT_FALSE(StartupLanguage(dir.path(), state));
  EXPECT_EQ(state.current_name, "");  // unreadable: nothing to write back
  state.current_name = "Polski";
  try {
    SaveLanguageChoice(dir.path(), state);
    ADD_FAILURE() << "no failure";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + dat.string());
  }
}

}  // namespace
}  // namespace rivolet
