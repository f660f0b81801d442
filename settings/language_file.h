// Language files: key=value texts that rename a window's components. This is
// everything but touching the widgets: reading the files, the index of the
// languages folder, the chosen language, and the list of texts a window must
// set, in order.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rivolet {

inline constexpr char kLanguageChoiceFileName[] = "language.dat";
inline constexpr char kLanguageMarker[] = "RivoletLanguage";
inline constexpr char kDefaultLanguageName[] = "English";

// Language files and language.dat are outside input.
inline constexpr std::size_t kMaxLanguageFileSize = 1024 * 1024;
// More files than this in the languages folder are not listed.
inline constexpr std::size_t kMaxLanguageFiles = 1000;

// One line: the name is what precedes its first "=", the value what follows.
// Neither is trimmed.
struct LanguageLine {
  std::string name;
  std::string value;
  bool operator==(const LanguageLine&) const = default;
};
using LanguageLines = std::vector<LanguageLine>;

// Splits the bytes at CR LF, a lone CR and a lone LF; a zero byte ends the
// text. Lines with an empty name (no "=", or "=" first) can have no effect
// and are left out.
LanguageLines ParseLanguageFile(std::string_view bytes);

// Reads and parses a whole file. Fails with "Cannot open file <path>" or
// "File too large: <path>".
LanguageLines ReadLanguageFile(const std::filesystem::path& file);

// The value of the first line whose name equals `name` without regard to
// ASCII letter case, or nothing.
std::optional<std::string_view> FindLanguageValue(const LanguageLines& lines,
                                                  std::string_view name);

// The value of the marker line, or empty when there is none.
std::string LanguageDisplayName(const LanguageLines& lines);

// The keys one window answers to besides its components' names.
struct WindowLanguageKeys {
  std::string caption_key;                // empty: the window has none
  std::vector<std::string> message_keys;  // compared exactly
  std::string column_list;                // list view named in column keys
  int column_count = 0;
};

// "<list>-><Column[i]>", e.g. "katalog->Column[0]".
std::string ColumnKey(std::string_view list, int column);

// The main window's own texts that no component shows: its messages. A
// language file replaces one by its key; "%s" marks where the program puts
// its values, in order (FillIn).
struct WindowText {
  const char* key;
  const char* english;
};
const std::vector<WindowText>& MainFormTexts();

// `text` with each "%s" replaced by the next of `values`; marks beyond the
// values stay as they are, values beyond the marks are left out.
std::string FillIn(std::string_view text,
                   const std::vector<std::string>& values);

// The keys of the windows that take a language.
const WindowLanguageKeys& MainFormLanguageKeys();
const WindowLanguageKeys& NewFormLanguageKeys();
const WindowLanguageKeys& ManagementFormLanguageKeys();
const WindowLanguageKeys& OptionsFormLanguageKeys();
const WindowLanguageKeys& CatalogueFormLanguageKeys();
const WindowLanguageKeys& InformationFormLanguageKeys();
const WindowLanguageKeys& ImportPeriodFormLanguageKeys();

// One text a window sets. `key` and `value` view the LanguageLines the plan
// was made from, which must outlive the plan (so a value used by many lines
// is not copied for each).
struct LanguageAction {
  enum class Kind {
    kColumn,     // caption of column `column` of the window's list view
    kCaption,    // the window's title; `key` is the caption key
    kMessage,    // the message text of message key `key`
    kComponent,  // the component named `key`, found without regard to case;
                 // no component of that name, or one without text: no effect
  };
  Kind kind = Kind::kComponent;
  std::string_view key;
  int column = -1;
  std::string_view value;
  bool operator==(const LanguageAction&) const = default;
};

// The texts to set, in order: first every column caption (empty when the file
// lacks its key), then for each line in file order its caption action
// (name equals the caption key exactly), its message action (name equals a
// message key exactly) and its component action (unless the name contains the
// marker, case-sensitive). Every value is the line's looked-up value.
std::vector<LanguageAction> PlanLanguage(const LanguageLines& lines,
                                         const WindowLanguageKeys& keys);

// One entry of a menu (or of the menu bar): its caption as it stands, "&"
// marking its key ("&&" is a literal "&"), and whether the language file just
// applied named it.
struct MenuCaption {
  std::string caption;
  bool from_file = false;
};

// The captions of one menu once a language file is applied. An entry the
// file names keeps its caption. Another keeps its key unless an entry the file
// names, or an earlier entry it does not name, has that key already; then it
// takes the first free ASCII letter or digit of its caption, or no key when
// none is free. Keys are compared without regard to letter case.
std::vector<std::string> SettleMenuKeys(const std::vector<MenuCaption>& menu);

// One language found in a languages folder.
struct LanguageEntry {
  std::string display_name;
  std::filesystem::path file;
  bool operator==(const LanguageEntry&) const = default;
};

// The language state the main window keeps for the whole run.
struct LanguageState {
  std::vector<LanguageEntry> index;
  std::string current_name;            // written to language.dat at close
  std::filesystem::path current_file;  // the file the dialogs apply; empty:
                                       // none
};

// The built-in texts or the English language file are in use.
bool IsEnglish(const LanguageState& language);

// English grammar for counts filled into a text: "1 feeds" reads "1 feed"
// and "1 were" reads "1 was". The other languages' texts are written so
// that no count changes a word.
std::string EnglishSingulars(std::string text);

// Appends an entry for every regular file in the languages folder `folder`
// whose name ends in ".lng" (any letter case), sorted by name. A missing
// folder adds nothing. Returns false when a file or the folder cannot be read
// ("Language Problem"); the entries added before it remain.
bool BuildLanguageIndex(const std::filesystem::path& folder,
                        std::vector<LanguageEntry>& index);

// Reads the file of every entry whose display name equals `name` exactly (an
// empty name matches none), setting current_file to each file read; the last
// one read is returned. Nothing when no entry matches. A file that cannot be
// read throws Error and ends the search there (callers stay silent).
std::optional<LanguageLines> FindLanguage(std::string_view name,
                                          LanguageState& state);

// The name without its first "&" (a menu accelerator mark).
std::string WithoutFirstAmpersand(std::string_view name);

// Start of the run: current_name := trimmed text of language.dat (in the
// user's folder `user_folder`), or
// "English" when there is none, or empty when it cannot be read (so it is not
// overwritten at close). Returns the lines to apply to the main window: the
// language of that name less its first "&". Never throws.
std::optional<LanguageLines> StartupLanguage(
    const std::filesystem::path& user_folder, LanguageState& state);

// A Languages menu choice: current_name := the caption less its first "&";
// returns the lines to apply to the main window. Never throws.
std::optional<LanguageLines> ChooseLanguage(std::string_view caption,
                                            LanguageState& state);

// A dialog being shown: the current file's lines, or nothing while no file is
// current. Fails with "Cannot open file <full path>" when it is gone.
std::optional<LanguageLines> DialogLanguage(const LanguageState& state);

// language.dat: its trimmed text, or nothing when the file does not exist.
// Fails with "Cannot open file <path>" when it exists but cannot be read.
std::optional<std::string> ReadLanguageChoice(
    const std::filesystem::path& user_folder);

// At close: "RichEdit1" becomes "English"; a non-empty current_name replaces
// language.dat whole (temporary file, flush, rename). Fails with "Cannot
// create file <path>".
void SaveLanguageChoice(const std::filesystem::path& user_folder,
                        LanguageState& state);

}  // namespace rivolet
