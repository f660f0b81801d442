// The Catalogue dialog's rules.
#include "dialogs/catalogue.h"

#include <algorithm>
#include <array>
#include <unordered_set>

#include "common/file_io.h"
#include "common/text.h"
#include "feeds/feed_rules.h"
#include "settings/settings.h"

namespace rivolet {
namespace {

constexpr std::string_view kRecordOpen = "<c>";
constexpr std::string_view kRecordClose = "</c>";
constexpr std::string_view kSeparator = "||";

// Splits one record's content. Each of the first three fields ends at the
// next separator; once one is missing, the fields from there to the third
// stay empty and the rest goes to the site URL.
CatalogueEntry SplitRecord(std::string_view content) {
  std::string_view fields[3];
  for (std::string_view& field : fields) {
    const std::size_t at = content.find(kSeparator);
    if (at == std::string_view::npos) break;
    field = content.substr(0, at);
    content.remove_prefix(at + kSeparator.size());
  }
  return {Trim(fields[0]), Trim(fields[1]), Trim(fields[2]), Trim(content)};
}

bool FitsTheCap(const CatalogueEntry& e) {
  for (const std::string* field :
       {&e.name, &e.category, &e.feed_url, &e.site_url}) {
    if (field->size() > kMaxCatalogueFieldSize) return false;
  }
  return true;
}

// The letters of Windows-1250 in lower case, each after the plain letter it
// is made from, in the order of the alphabets that use them (Polish a, ą;
// l, ł; z, ź, ż; Czech c, č; ...).
constexpr std::string_view kAlphabet =
    "a\xE1\xE2\xE3\xE4\xB9"
    "bc\xE6\xE7\xE8"
    "d\xEF\xF0"
    "e\xE9\xEB\xEA\xEC"
    "fghi\xED\xEE"
    "jkl\xE5\xBE\xB3"
    "mn\xF1\xF2"
    "o\xF3\xF4\xF5\xF6"
    "pqr\xE0\xF8"
    "s\x9C\xBA\x9A\xDF"
    "t\x9D\xFE"
    "u\xFA\xF9\xFB\xFC"
    "vwxy\xFD"
    "z\x9F\xBF\x9E";

// The weight of each byte in the category list's order: any other byte
// before every letter, by its value; letters by their place in kAlphabet.
std::array<char16_t, 256> MakeCategoryWeights() {
  std::array<char16_t, 256> weights{};
  for (int b = 0; b < 256; ++b) weights[b] = static_cast<char16_t>(b);
  for (std::size_t place = 0; place < kAlphabet.size(); ++place) {
    weights[static_cast<unsigned char>(kAlphabet[place])] =
        static_cast<char16_t>(256 + place);
  }
  return weights;
}

// The text as the category list orders it: letter case folded, each byte
// turned into its weight.
std::u16string CategorySortKey(std::string_view text) {
  static const std::array<char16_t, 256> weights = MakeCategoryWeights();
  const std::string folded = FoldLetterCase(text);
  std::u16string key(folded.size(), u'\0');
  for (std::size_t i = 0; i < folded.size(); ++i) {
    key[i] = weights[static_cast<unsigned char>(folded[i])];
  }
  return key;
}

}  // namespace

CatalogueSource FindCatalogueSource(const ProgramFolders& folders) {
  const IniFile settings(SettingsFilePath(folders.user));
  std::optional<std::string> url =
      settings.ReadString("general", "catalogue_url");
  if (url && !url->empty()) return {std::move(*url), {}};
  return {{}, folders.data / kCatalogueFileName};
}

std::string ReadCatalogueFile(const std::filesystem::path& file,
                              std::size_t max_size) {
  return ReadWholeFile(file, max_size);
}

std::vector<CatalogueEntry> ParseCatalogue(std::string_view document) {
  std::vector<CatalogueEntry> entries;
  std::size_t from = 0;
  while (entries.size() < kMaxCatalogueRecords) {
    const std::size_t open = document.find(kRecordOpen, from);
    if (open == std::string_view::npos) break;
    const std::size_t content = open + kRecordOpen.size();
    const std::size_t close = document.find(kRecordClose, content);
    if (close == std::string_view::npos) break;
    CatalogueEntry entry =
        SplitRecord(document.substr(content, close - content));
    if (FitsTheCap(entry)) entries.push_back(std::move(entry));
    from = close + kRecordClose.size();
  }
  return entries;
}

bool CategoryListLess(std::string_view a, std::string_view b) {
  const std::u16string ka = CategorySortKey(a);
  const std::u16string kb = CategorySortKey(b);
  if (ka != kb) return ka < kb;
  return a < b;  // std::string_view compares bytes as unsigned
}

void MergeCategories(std::vector<std::string>& cat_list,
                     const std::vector<CatalogueEntry>& entries) {
  // Each item gets its key once, here, rather than in every comparison.
  // Texts that fold to the same text have the same key.
  struct Keyed {
    std::u16string key;
    std::string item;
  };
  std::vector<Keyed> keyed;
  std::unordered_set<std::u16string> known;
  for (std::string& item : cat_list) {
    std::u16string key = CategorySortKey(item);
    known.insert(key);
    keyed.push_back({std::move(key), std::move(item)});
  }
  for (const CatalogueEntry& e : entries) {
    std::u16string key = CategorySortKey(e.category);
    if (known.insert(key).second) {
      keyed.push_back({std::move(key), e.category});
    }
  }
  std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    return a.key != b.key ? a.key < b.key : a.item < b.item;
  });
  cat_list.clear();
  for (Keyed& k : keyed) cat_list.push_back(std::move(k.item));
}

std::optional<std::size_t> FindCategory(
    const std::vector<std::string>& cat_list, std::string_view category) {
  const std::string folded = FoldLetterCase(category);
  for (std::size_t i = 0; i < cat_list.size(); ++i) {
    if (FoldLetterCase(cat_list[i]) == folded) return i;
  }
  return std::nullopt;
}

std::vector<std::size_t> EntriesOfCategory(
    const std::vector<CatalogueEntry>& entries, std::string_view category) {
  const std::string folded = FoldLetterCase(category);
  std::vector<std::size_t> shown;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (FoldLetterCase(entries[i].category) == folded) shown.push_back(i);
  }
  return shown;
}

bool AddCatalogueFeed(const CatalogueEntry& shown, FeedList& list) {
  if (IsCatalogueDuplicate(list, shown.feed_url)) return false;
  list.Append(shown.name, shown.category, "", shown.feed_url);
  return true;
}

}  // namespace rivolet
