// Fuzz target for language files: any bytes parse, and the plan for every
// window matches the rule worked out line by line the slow way.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "settings/language_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

using rivolet::LanguageAction;
using rivolet::LanguageLines;
using rivolet::WindowLanguageKeys;

std::string_view ValueOf(const LanguageLines& lines, std::string_view name) {
  return rivolet::FindLanguageValue(lines, name).value_or("");
}

void CheckPlan(const LanguageLines& lines, const WindowLanguageKeys& keys) {
  using Kind = LanguageAction::Kind;
  const std::vector<LanguageAction> plan = rivolet::PlanLanguage(lines, keys);
  std::vector<LanguageAction> expected;
  for (int i = 0; i < keys.column_count; ++i) {
    expected.push_back(
        {Kind::kColumn,
         {},
         i,
         ValueOf(lines, rivolet::ColumnKey(keys.column_list, i))});
  }
  for (const rivolet::LanguageLine& line : lines) {
    const std::string_view value = ValueOf(lines, line.name);
    if (!keys.caption_key.empty() && line.name == keys.caption_key) {
      expected.push_back({Kind::kCaption, line.name, -1, value});
    }
    if (std::count(keys.message_keys.begin(), keys.message_keys.end(),
                   line.name) != 0) {
      expected.push_back({Kind::kMessage, line.name, -1, value});
    }
    if (line.name.find(rivolet::kLanguageMarker) == std::string::npos) {
      expected.push_back({Kind::kComponent, line.name, -1, value});
    }
  }
  Check(plan == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 14) return 0;  // the slow rule is quadratic
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const LanguageLines lines = rivolet::ParseLanguageFile(bytes);
  for (const rivolet::LanguageLine& line : lines) {
    Check(!line.name.empty());
    Check(line.name.find('=') == std::string::npos);
    for (const std::string& part : {line.name, line.value}) {
      Check(part.find_first_of(std::string_view("\r\n\0", 3)) ==
            std::string::npos);
    }
  }
  for (const WindowLanguageKeys* keys :
       {&rivolet::MainFormLanguageKeys(), &rivolet::NewFormLanguageKeys(),
        &rivolet::ManagementFormLanguageKeys(),
        &rivolet::OptionsFormLanguageKeys(),
        &rivolet::CatalogueFormLanguageKeys(),
        &rivolet::InformationFormLanguageKeys()}) {
    CheckPlan(lines, *keys);
  }
  rivolet::LanguageDisplayName(lines);
  return 0;
}
