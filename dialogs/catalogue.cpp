// The Catalogue dialog's rules.
#include "dialogs/catalogue.h"

#include <algorithm>
#include <unordered_set>

#include "common/file_io.h"
#include "common/text.h"
#include "feeds/feed_rules.h"
#include "settings/options.h"

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
  const std::string fa = FoldLetterCase(a);
  const std::string fb = FoldLetterCase(b);
  if (fa != fb) return fa < fb;  // std::string compares bytes as unsigned
  return a < b;
}

void MergeCategories(std::vector<std::string>& cat_list,
                     const std::vector<CatalogueEntry>& entries) {
  // Each item is folded once, here, rather than in every comparison.
  struct Keyed {
    std::string folded;
    std::string item;
  };
  std::vector<Keyed> keyed;
  std::unordered_set<std::string> known;
  for (std::string& item : cat_list) {
    std::string folded = FoldLetterCase(item);
    known.insert(folded);
    keyed.push_back({std::move(folded), std::move(item)});
  }
  for (const CatalogueEntry& e : entries) {
    std::string folded = FoldLetterCase(e.category);
    if (known.insert(folded).second) {
      keyed.push_back({std::move(folded), e.category});
    }
  }
  std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    return a.folded != b.folded ? a.folded < b.folded : a.item < b.item;
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
