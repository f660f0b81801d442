// Reading language files, planning what a window sets from one, the index of
// the languages folder and the chosen language kept in language.dat.
#include "settings/language_file.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "common/ascii.h"
#include "common/codepage.h"
#include "common/error.h"
#include "common/file_io.h"
#include "common/lines.h"
#include "common/text.h"

namespace rivolet {

LanguageLines ParseLanguageFile(std::string_view bytes) {
  const std::string_view text = bytes.substr(0, bytes.find('\0'));
  LanguageLines lines;
  LineCursor cursor(text);
  Line line;
  while (cursor.Next(line)) {
    const std::string_view content =
        text.substr(line.begin, line.end - line.begin);
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos || equals == 0) continue;
    lines.push_back({std::string(content.substr(0, equals)),
                     std::string(content.substr(equals + 1))});
  }
  return lines;
}

LanguageLines ReadLanguageFile(const std::filesystem::path& file) {
  return ParseLanguageFile(ReadWholeFile(file, kMaxLanguageFileSize));
}

std::optional<std::string_view> FindLanguageValue(const LanguageLines& lines,
                                                  std::string_view name) {
  for (const LanguageLine& line : lines) {
    if (EqualsIgnoreCase(line.name, name)) return line.value;
  }
  return std::nullopt;
}

std::string LanguageDisplayName(const LanguageLines& lines) {
  return std::string(FindLanguageValue(lines, kLanguageMarker).value_or(""));
}

std::string ColumnKey(std::string_view list, int column) {
  return std::string(list) + "->Column[" + std::to_string(column) + "]";
}

const std::vector<WindowText>& MainFormTexts() {
  static const std::vector<WindowText> texts = {
      {"OpmlImported",
       "Imported %s feeds; %s were already in the list; %s were refused."},
      {"FeedListDamaged",
       "feeds.che could not be read (%s); it was kept as %s."},
      {"FeedListNotKept",
       "feeds.che could not be read (%s); nothing could be kept of it."},
      {"NoUserFolder",
       "Rivolet keeps your files in $XDG_DATA_HOME/rivolet or "
       "~/.local/share/rivolet, but neither that nor a home folder is set: "
       "nothing of this run will be kept."},
      {"NoFeedsYet", "No feeds yet: use Add feed or Catalogue"},
      {"NoMoreUnread", "No more unread items"},
      {"UnreadInTray", "Rivolet: %s unread"},
      {"ReadingStoreDamaged",
       "reading.db could not be read (%s); it was kept as %s and a new one "
       "was started."},
      {"ReadingStoreUnavailable",
       "reading.db could not be opened (%s); what you read is remembered "
       "only until Rivolet closes."},
      {"OpenListQuestion",
       "Feeds in %s: %s. Feeds in your list: %s. Add them to your list (the "
       "feeds it has already are left out), or replace your list with them? "
       "Your list as it is now was kept as %s."},
      {"OpenListAdd", "&Add"},
      {"OpenListReplace", "&Replace"},
      {"LostLettersImport",
       "Some names or categories have letters the feed list cannot keep, and "
       "would be stored like this:%sImport them like this?"},
      {"ImportAsShown", "&Import like this"},
  };
  return texts;
}

std::string EnglishSingulars(std::string text) {
  for (const auto& [plural, singular] :
       {std::pair<std::string_view, std::string_view>{"feeds", "feed"},
        {"were", "was"}}) {
    const std::string one = "1 " + std::string(plural);
    for (std::size_t at = text.find(one); at != std::string::npos;
         at = text.find(one, at + 1)) {
      // The count alone, not the end of a larger number.
      if (at > 0 && IsAsciiDigit(text[at - 1])) continue;
      const std::size_t end = at + one.size();
      if (end < text.size() && IsAsciiLetter(text[end])) continue;
      text.replace(at + 2, plural.size(), singular);
    }
  }
  return text;
}

bool IsEnglish(const LanguageState& language) {
  return language.current_name.empty() ||
         EqualsIgnoreCase(language.current_name, "English");
}

std::string FillIn(std::string_view text,
                   const std::vector<std::string>& values) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t at = 0; at < text.size();) {
    if (next < values.size() && text.compare(at, 2, "%s") == 0) {
      out += values[next++];
      at += 2;
    } else {
      out += text[at++];
    }
  }
  return out;
}

const WindowLanguageKeys& MainFormLanguageKeys() {
  static const WindowLanguageKeys keys = [] {
    WindowLanguageKeys made;
    for (const WindowText& text : MainFormTexts())
      made.message_keys.push_back(text.key);
    return made;
  }();
  return keys;
}

const WindowLanguageKeys& NewFormLanguageKeys() {
  static const WindowLanguageKeys keys{
      "NewFeedForm", {"LostLetters", "StoreAsShown"}, "", 0};
  return keys;
}

const WindowLanguageKeys& ManagementFormLanguageKeys() {
  static const WindowLanguageKeys keys{
      "ManagementForm",
      {"warning1", "warning2", "DeleteFeedQuestion", "LostLetters",
       "StoreAsShown"},
      "ManageRssList",
      4};
  return keys;
}

const WindowLanguageKeys& OptionsFormLanguageKeys() {
  static const WindowLanguageKeys keys{"OptionsForm", {}, "", 0};
  return keys;
}

const WindowLanguageKeys& CatalogueFormLanguageKeys() {
  static const WindowLanguageKeys keys{
      "CatalogueForm", {"DoneWarning", "UPS"}, "katalog", 4};
  return keys;
}

const WindowLanguageKeys& InformationFormLanguageKeys() {
  static const WindowLanguageKeys keys{"InformationForm", {}, "", 0};
  return keys;
}

const WindowLanguageKeys& ImportPeriodFormLanguageKeys() {
  static const WindowLanguageKeys keys{"ImportPeriodForm", {}, "", 0};
  return keys;
}

std::vector<LanguageAction> PlanLanguage(const LanguageLines& lines,
                                         const WindowLanguageKeys& keys) {
  using Kind = LanguageAction::Kind;
  // First line of each name, so every lookup is one hash probe: a file of many
  // short lines must not cost a scan per line.
  std::unordered_map<std::string, std::size_t> first_of;
  std::vector<std::string_view> value_of(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto [at, added] =
        first_of.try_emplace(ToLowerAscii(lines[i].name), i);
    value_of[i] = lines[at->second].value;
  }
  std::vector<LanguageAction> plan;
  for (int column = 0; column < keys.column_count; ++column) {
    const auto at =
        first_of.find(ToLowerAscii(ColumnKey(keys.column_list, column)));
    plan.push_back(
        {Kind::kColumn,
         {},
         column,
         at == first_of.end() ? std::string_view() : lines[at->second].value});
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view name = lines[i].name;
    if (!keys.caption_key.empty() && name == keys.caption_key) {
      plan.push_back({Kind::kCaption, name, -1, value_of[i]});
    }
    if (std::find(keys.message_keys.begin(), keys.message_keys.end(), name) !=
        keys.message_keys.end()) {
      plan.push_back({Kind::kMessage, name, -1, value_of[i]});
    }
    if (!name.empty() && !Contains(name, kLanguageMarker)) {
      plan.push_back({Kind::kComponent, name, -1, value_of[i]});
    }
  }
  return plan;
}

namespace {

// Where the key mark of a caption is: the position of the "&" before its
// key, or npos.
std::size_t KeyMark(std::string_view caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return i;
    ++i;  // "&&" is a literal "&"
  }
  return std::string_view::npos;
}

}  // namespace

std::vector<std::string> SettleMenuKeys(const std::vector<MenuCaption>& menu) {
  bool taken[256] = {};
  auto key_of = [](char c) {
    return static_cast<unsigned char>(LowerCp1250(c));
  };
  for (const MenuCaption& entry : menu) {
    const std::size_t mark = KeyMark(entry.caption);
    if (entry.from_file && mark != std::string::npos) {
      taken[key_of(entry.caption[mark + 1])] = true;
    }
  }
  std::vector<std::string> settled;
  settled.reserve(menu.size());
  for (const MenuCaption& entry : menu) {
    std::string caption = entry.caption;
    const std::size_t mark = KeyMark(caption);
    if (entry.from_file || mark == std::string::npos) {
      settled.push_back(std::move(caption));
      continue;
    }
    if (!taken[key_of(caption[mark + 1])]) {
      taken[key_of(caption[mark + 1])] = true;
      settled.push_back(std::move(caption));
      continue;
    }
    caption.erase(mark, 1);
    for (std::size_t i = 0; i < caption.size(); ++i) {
      if (caption[i] == '&') {
        ++i;  // a literal "&" stays as it is
        continue;
      }
      if (!IsAsciiLetter(caption[i]) && !IsAsciiDigit(caption[i])) continue;
      if (taken[key_of(caption[i])]) continue;
      taken[key_of(caption[i])] = true;
      caption.insert(i, 1, '&');
      break;
    }
    settled.push_back(std::move(caption));
  }
  return settled;
}

namespace {

bool HasLanguageExtension(std::string_view file_name) {
  constexpr std::string_view kExtension = ".lng";
  return file_name.size() >= kExtension.size() &&
         EqualsIgnoreCase(
             file_name.substr(file_name.size() - kExtension.size()),
             kExtension);
}

// Lists the language files' names, sorted by name without regard to case as
// a Windows folder lists them (a Linux folder lists in no useful order).
bool ListLanguageFiles(const std::filesystem::path& folder,
                       std::vector<std::string>& names) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(folder, error);
  if (status.type() == fs::file_type::not_found) return true;
  if (error) return false;
  if (!fs::is_directory(status)) return true;
  for (fs::directory_iterator it(folder, error);
       !error && it != fs::directory_iterator(); it.increment(error)) {
    std::error_code type_error;
    if (!it->is_regular_file(type_error)) continue;
    std::string name = it->path().filename().string();
    if (!HasLanguageExtension(name)) continue;
    if (names.size() == kMaxLanguageFiles) break;
    names.push_back(std::move(name));
  }
  if (error) return false;
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) {
              const std::string fa = ToLowerAscii(a), fb = ToLowerAscii(b);
              return fa != fb ? fa < fb : a < b;
            });
  return true;
}

}  // namespace

bool BuildLanguageIndex(const std::filesystem::path& folder,
                        std::vector<LanguageEntry>& index) {
  std::vector<std::string> names;
  if (!ListLanguageFiles(folder, names)) return false;
  for (const std::string& name : names) {
    try {
      const std::filesystem::path file = folder / name;
      index.push_back({LanguageDisplayName(ReadLanguageFile(file)), file});
    } catch (const Error&) {
      return false;
    }
  }
  return true;
}

std::optional<LanguageLines> FindLanguage(std::string_view name,
                                          LanguageState& state) {
  std::optional<LanguageLines> found;
  if (name.empty()) return found;
  for (const LanguageEntry& entry : state.index) {
    if (entry.display_name != name) continue;
    found = ReadLanguageFile(entry.file);
    state.current_file = entry.file;
  }
  return found;
}

std::string WithoutFirstAmpersand(std::string_view name) {
  std::string result(name);
  Delete(result, static_cast<std::int64_t>(Pos("&", result)), 1);
  return result;
}

std::optional<LanguageLines> StartupLanguage(
    const std::filesystem::path& user_folder, LanguageState& state) {
  try {
    state.current_name =
        ReadLanguageChoice(user_folder).value_or(kDefaultLanguageName);
  } catch (const Error&) {
    // Unreadable: remember no name, so the file is not replaced at close.
    state.current_name.clear();
  }
  try {
    return FindLanguage(WithoutFirstAmpersand(state.current_name), state);
  } catch (const Error&) {
    return std::nullopt;
  }
}

std::optional<LanguageLines> ChooseLanguage(std::string_view caption,
                                            LanguageState& state) {
  state.current_name = WithoutFirstAmpersand(caption);
  try {
    return FindLanguage(state.current_name, state);
  } catch (const Error&) {
    return std::nullopt;
  }
}

std::optional<LanguageLines> DialogLanguage(const LanguageState& state) {
  if (state.current_file.empty()) return std::nullopt;
  return ReadLanguageFile(state.current_file);
}

std::optional<std::string> ReadLanguageChoice(
    const std::filesystem::path& user_folder) {
  const std::filesystem::path file = user_folder / kLanguageChoiceFileName;
  std::error_code error;
  const auto type = std::filesystem::status(file, error).type();
  if (type == std::filesystem::file_type::not_found) return std::nullopt;
  return Trim(ReadWholeFile(file, kMaxLanguageFileSize));
}

void SaveLanguageChoice(const std::filesystem::path& user_folder,
                        LanguageState& state) {
  if (state.current_name == "RichEdit1") {
    state.current_name = kDefaultLanguageName;
  }
  if (state.current_name.empty()) return;
  WriteFileAtomically(user_folder / kLanguageChoiceFileName,
                      state.current_name);
}

}  // namespace rivolet
