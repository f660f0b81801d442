// Applying language files to windows.
#include "settings/language_apply.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>

#include "platform/text_bridge.h"
#include "widgets/components.h"

namespace rivolet {
namespace {

// The page's tab, when `widget` is a page of a page control.
bool SetTabText(QWidget* widget, const QString& text) {
  auto* stack = qobject_cast<QStackedWidget*>(widget->parentWidget());
  if (stack == nullptr) return false;
  auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget());
  if (tabs == nullptr || tabs->indexOf(widget) < 0) return false;
  tabs->setTabText(tabs->indexOf(widget), text);
  return true;
}

void SetComponentText(QObject* component, const QString& text) {
  if (auto* action = qobject_cast<QAction*>(component)) {
    action->setSeparator(false);
    action->setText(text);
  } else if (auto* menu = qobject_cast<QMenu*>(component)) {
    menu->setTitle(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(component)) {
    button->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(component)) {
    // A picture shows no text: setting one would put it in the picture's
    // place.
    if (!label->pixmap().isNull()) return;
    label->setText(text);
    if (!label->wordWrap()) label->adjustSize();
  } else if (auto* edit = qobject_cast<QLineEdit*>(component)) {
    SetWholeText(edit, text);
  } else if (auto* memo = qobject_cast<QPlainTextEdit*>(component)) {
    memo->setPlainText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(component)) {
    group->setTitle(text);
  } else if (auto* panel = dynamic_cast<Panel*>(component)) {
    panel->setText(text);
  } else if (auto* widget = qobject_cast<QWidget*>(component)) {
    SetTabText(widget, text);
  }
}

// The window's components by their names in lower case; the first of a name
// is the one a language file reaches.
QHash<QString, QObject*> ComponentsByName(QWidget* window) {
  QHash<QString, QObject*> components;
  for (QObject* child : window->findChildren<QObject*>()) {
    const QString name = child->objectName().toLower();
    if (!name.isEmpty() && !components.contains(name)) {
      components.insert(name, child);
    }
  }
  return components;
}

}  // namespace

void ApplyLanguagePlan(const LanguageWindow& target,
                       const std::vector<LanguageAction>& plan) {
  QHash<QString, QObject*> components;
  bool components_listed = false;
  for (const LanguageAction& action : plan) {
    const QString value = ToQt(action.value);
    switch (action.kind) {
      case LanguageAction::Kind::kColumn:
        if (target.set_column) target.set_column(action.column, value);
        break;
      case LanguageAction::Kind::kCaption:
        target.window->setWindowTitle(PlainWindowTitle(value));
        break;
      case LanguageAction::Kind::kMessage:
        if (target.set_message) {
          target.set_message(action.key, std::string(action.value));
        }
        break;
      case LanguageAction::Kind::kComponent: {
        if (!components_listed) {
          components = ComponentsByName(target.window);
          components_listed = true;
        }
        QObject* component = components.value(ToQt(action.key).toLower());
        if (component != nullptr) SetComponentText(component, value);
        break;
      }
    }
  }
}

std::function<void(int, const QString&)> TableColumns(QTableWidget* table) {
  return [table](int column, const QString& caption) {
    if (column < 0 || column >= table->columnCount()) return;
    if (table->horizontalHeaderItem(column) == nullptr) {
      table->setHorizontalHeaderItem(column, new QTableWidgetItem);
    }
    table->horizontalHeaderItem(column)->setText(caption);
  };
}

void ApplyLanguageLines(const LanguageWindow& target,
                        const LanguageLines& lines,
                        const WindowLanguageKeys& keys) {
  ApplyLanguagePlan(target, PlanLanguage(lines, keys));
}

void ApplyDialogLanguage(const LanguageWindow& target,
                         const LanguageSource& source,
                         const WindowLanguageKeys& keys) {
  if (!source) return;
  if (const std::optional<LanguageLines> lines = source()) {
    ApplyLanguageLines(target, *lines, keys);
  }
}

}  // namespace rivolet
