// The Catalogue dialog: reads the catalogue of feeds each time it opens, shows
// its categories and the feeds of the chosen one, and adds the feed shown in
// its four fields to the feed list.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "dialogs/catalogue.h"
#include "dialogs/modal_dialog.h"
#include "feeds/feed_list.h"
#include "net/http_client.h"
#include "widgets/link_label.h"

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace rivolet {

class TCatalogueForm : public ModalDialog {
  Q_OBJECT

 public:
  // The frame, as the layout builds it.
  static constexpr DialogFrame kFrame = {"CatalogueForm", "Catalogue", 539,
                                         493};

  // Feeds are added to `feed_list`; the settings file and the shipped
  // catalogue are looked for in `folders`.
  TCatalogueForm(FeedList& feed_list, ProgramFolders folders,
                 HttpClientSettings settings, LanguageSource language = {},
                 QWidget* parent = nullptr);
  ~TCatalogueForm() override;

  // Components, named as the language files know them.
  QLabel* catCat;
  QLabel* catFeeds;
  QListWidget* catList;
  QTableWidget* katalog;
  QTabWidget* catView;
  QWidget* Catalogues;
  QLabel* kat1;
  ClickEdit* kat1edit;
  QLabel* kat2;
  ClickEdit* kat2edit;
  QLabel* kat3;
  ClickEdit* kat3edit;
  QLabel* kat4;
  ClickEdit* kat4edit;
  QPushButton* catAdd;
  QPushButton* CatClose;

  // The dialog's own client, with its own cookies.
  HttpClient http;

  // The notices of Add; the language step may replace them.
  std::string DoneText = kCatalogueDoneText;
  std::string DuplicateText = kCatalogueDuplicateText;

  // The entries of the last catalogue read, in document order.
  const std::vector<CatalogueEntry>& entries() const { return entries_; }

  // Handlers.
  void FormShow() override;
  void catListClick();
  void katalogClick();
  void kat1editClick() { kat1edit->selectAll(); }
  void kat2editClick() { kat2edit->selectAll(); }
  void kat3editClick() { kat3edit->selectAll(); }
  void kat4editClick() { kat4edit->selectAll(); }
  void catAddClick();
  void CatCloseClick();

 signals:
  // The feed list changed: the program writes it at once.
  void feedListChanged();

 protected:
  // The list's column captions and the two notices take the language too.
  LanguageWindow LanguageTarget() override;
  QWidget* OpeningFocus() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Building the components (catalogue_form_layout.cpp).
  void CreateComponents();
  void CreateFeedPage();
  void ConnectHandlers();

  // The catalogue's entries from the configured address (read by the worker
  // that downloads it) or the shipped file.
  std::vector<CatalogueEntry> FetchCatalogue();
  // Puts the categories into catList and selects the given item (or none).
  void ShowCategories(std::ptrdiff_t selected);
  // Fills katalog with the entries at `rows`.
  void ShowRows(std::vector<std::size_t> rows);

  FeedList& feed_list_;
  ProgramFolders folders_;
  QFrame* panel_;
  std::vector<CatalogueEntry> entries_;
  std::vector<std::string> categories_;  // catList's items, in its order
  std::vector<std::size_t> rows_;        // the entry each katalog row shows
};

}  // namespace rivolet
