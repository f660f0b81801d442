// Puts a language file's texts on a window: its title, its message texts,
// its list's column captions and the text of every component the file names,
// found by the component's name without regard to letter case.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/language_file.h"

class QString;
class QTableWidget;
class QWidget;

namespace rivolet {

struct LanguageWindow {
  LanguageWindow(
      QWidget* target_window,
      std::function<void(int, const QString&)> column_setter = {},
      std::function<void(std::string_view, std::string)> message_setter = {})
      : window(target_window),
        set_column(std::move(column_setter)),
        set_message(std::move(message_setter)) {}

  QWidget* window = nullptr;
  // Sets a caption of the list the column keys name (Management, Catalogue).
  std::function<void(int column, const QString& caption)> set_column;
  // Sets one of the window's message texts (Management, Catalogue).
  std::function<void(std::string_view key, std::string text)> set_message;
};

// Where a dialog finds the chosen language at each showing: the lines of the
// current language file, or nothing while no language is chosen. Fails with
// "Cannot open file <path>" when the file is gone.
using LanguageSource = std::function<std::optional<LanguageLines>()>;

// The column captions of a table's header.
std::function<void(int, const QString&)> TableColumns(QTableWidget* table);

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

// A dialog's language step at its showing: the language file is read again
// and applied. Nothing happens while no language is chosen (or no source is
// set); an unreadable file throws, which ends the showing there.
void ApplyDialogLanguage(const LanguageWindow& target,
                         const LanguageSource& source,
                         const WindowLanguageKeys& keys);

}  // namespace rivolet
