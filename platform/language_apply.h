// Puts a language file's texts on a window: its title, its message texts,
// its list's column captions and the text of every component the file names,
// found by the component's name without regard to letter case.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/language_file.h"

class QTreeWidget;
class QWidget;

namespace rivolet {

struct LanguageWindow {
  QWidget* window = nullptr;
  // The list whose columns the column keys name (Management, Catalogue).
  QTreeWidget* column_list = nullptr;
  // Sets one of the window's message texts (Management, Catalogue).
  std::function<void(std::string_view key, std::string text)> set_message;
};

// Carries out `plan` on the window, in order. A component shows its text the
// way its kind does: a label's or a button's caption, an edit's content, a
// menu's title, a menu item's caption (a separator becomes an item), a page's
// tab. A name no component has, or a component without text, changes
// nothing.
void ApplyLanguagePlan(const LanguageWindow& target,
                       const std::vector<LanguageAction>& plan);

// Plans and applies `lines` with the window's keys.
void ApplyLanguageLines(const LanguageWindow& target,
                        const LanguageLines& lines,
                        const WindowLanguageKeys& keys);

}  // namespace rivolet
