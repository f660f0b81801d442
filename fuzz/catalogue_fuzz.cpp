// Reads arbitrary bytes as a catalogue: no crash, every field trimmed and
// within its cap, the record count bounded, and the category list sorted with
// one item per category whatever the letter case.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "dialogs/catalogue.h"
#include "feeds/feed_rules.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckField(const std::string& field) {
  Check(field == rivolet::Trim(field));
  Check(field.size() <= rivolet::kMaxCatalogueFieldSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view doc(reinterpret_cast<const char*>(data), size);
  const std::vector<rivolet::CatalogueEntry> entries =
      rivolet::ParseCatalogue(doc);
  Check(entries.size() <= rivolet::kMaxCatalogueRecords);
  // Every record needs its two markers.
  Check(entries.size() <= size / 7);
  for (const rivolet::CatalogueEntry& e : entries) {
    CheckField(e.name);
    CheckField(e.category);
    CheckField(e.feed_url);
    CheckField(e.site_url);
  }

  std::vector<std::string> cat_list;
  rivolet::MergeCategories(cat_list, entries);
  for (std::size_t i = 1; i < cat_list.size(); ++i) {
    Check(rivolet::CategoryListLess(cat_list[i - 1], cat_list[i]));
    Check(rivolet::FoldLetterCase(cat_list[i - 1]) !=
          rivolet::FoldLetterCase(cat_list[i]));
  }
  for (const rivolet::CatalogueEntry& e : entries) {
    Check(rivolet::FindCategory(cat_list, e.category).has_value());
  }
  return 0;
}
