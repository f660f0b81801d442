// Putting a language file's texts on a window's components of every kind.
#include "settings/language_apply.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <map>

#include "platform/text_bridge.h"
#include "widgets/components.h"

namespace rivolet {
namespace {

TEST(ApplyLanguage, EveryKindOfComponentTakesItsTextByNameInAnyCase) {
  QWidget window;
  auto named = [](QObject* object, const char* name) {
    object->setObjectName(name);
    return object;
  };
  auto* label = static_cast<QLabel*>(named(new QLabel("old", &window), "kat1"));
  auto* button =
      static_cast<QPushButton*>(named(new QPushButton(&window), "catAdd"));
  auto* edit = static_cast<QLineEdit*>(named(new QLineEdit(&window), "Edit1"));
  auto* menu = static_cast<QMenu*>(named(new QMenu(&window), "File1"));
  QAction* separator = menu->addSeparator();
  separator->setObjectName("N1");
  auto* tabs = new QTabWidget(&window);
  auto* page = static_cast<QWidget*>(named(new QWidget, "Catalogues"));
  tabs->addTab(page, "Feed");
  auto* list =
      static_cast<QTableWidget*>(named(new QTableWidget(&window), "katalog"));
  list->setColumnCount(4);
  list->setHorizontalHeaderLabels({"a", "b", "c", "d"});
  auto* panel = static_cast<Panel*>(named(new Panel(&window), "Panel2"));
  auto* picture = static_cast<QLabel*>(named(new QLabel(&window), "img_inf"));
  picture->setPixmap(QPixmap(32, 32));
  std::map<std::string, std::string> messages;

  const LanguageLines lines = ParseLanguageFile(
      "RivoletLanguage=Polski\r\n"
      "CatalogueForm=Katalog\r\n"
      "catalogueform=ignored\r\n"
      "KAT1=Nazwa kana\xB3u\r\n"
      "catadd=Dodaj\n"
      "edit1=5\r"
      "file1=&Plik\r\n"
      "n1=Pozycja\r\n"
      "Catalogues=Kana\xB3\r\n"
      "katalog->Column[0]=Nazwa\r\n"
      "UPS=Ju\xBF jest\r\n"
      "nothing=x\r\n"
      "panel2=Ramka\r\n"
      "IMG_INF=Obrazek\r\n");
  WindowLanguageKeys keys;
  keys.caption_key = "CatalogueForm";
  keys.message_keys = {"UPS"};
  keys.column_list = "katalog";
  keys.column_count = 4;
  ApplyLanguageLines({&window, TableColumns(list),
                      [&](std::string_view key, std::string text) {
                        messages[std::string(key)] = text;
                      }},
                     lines, keys);

  EXPECT_EQ(window.windowTitle(), "Katalog");
  EXPECT_EQ(FromQt(label->text()), "Nazwa kana\xB3u");
  EXPECT_EQ(label->width(), label->sizeHint().width());
  EXPECT_EQ(button->text(), "Dodaj");
  EXPECT_EQ(edit->text(), "5");
  EXPECT_EQ(menu->title(), "&Plik");
  EXPECT_FALSE(separator->isSeparator());
  EXPECT_EQ(separator->text(), "Pozycja");
  EXPECT_EQ(FromQt(tabs->tabText(0)), "Kana\xB3");
  EXPECT_EQ(list->horizontalHeaderItem(0)->text(), "Nazwa");
  EXPECT_EQ(list->horizontalHeaderItem(2)->text(), "");  // no key: empty
  EXPECT_EQ(panel->text(), "Ramka");
  EXPECT_EQ(picture->text(), "");  // a picture takes no text
  EXPECT_EQ(messages,
            (std::map<std::string, std::string>{{"UPS", "Ju\xBF jest"}}));
}

}  // namespace
}  // namespace rivolet
