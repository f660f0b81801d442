// The Catalogue dialog's handlers. The components are built in
// catalogue_form_layout.cpp.
#include "dialogs/catalogue_form.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <utility>

#include "background/download.h"
#include "common/error.h"
#include "platform/desktop.h"
#include "platform/guard.h"
#include "platform/text_bridge.h"
#include "settings/language_file.h"
#include "widgets/connect.h"

namespace rivolet {

TCatalogueForm::TCatalogueForm(FeedList& feed_list, ProgramFolders folders,
                               HttpClientSettings settings,
                               LanguageSource language, QWidget* parent)
    : ModalDialog(kFrame, LanguageStep::kFirst, std::move(language),
                  CatalogueFormLanguageKeys(), parent),
      http(std::move(settings)),
      feed_list_(feed_list),
      folders_(std::move(folders)) {
  CreateComponents();
  ConnectHandlers();
}

TCatalogueForm::~TCatalogueForm() = default;

void TCatalogueForm::ConnectHandlers() {
  ConnectGuarded(catList, &QListWidget::itemClicked, this,
                 &TCatalogueForm::catListClick);
  // Moving through the categories with the keys shows them too; a mouse
  // press moves the current row as well, and its click shows it.
  ConnectGuarded(catList, &QListWidget::currentRowChanged, this,
                 [](TCatalogueForm* form) {
                   if (QGuiApplication::mouseButtons() == Qt::NoButton) {
                     form->catListClick();
                   }
                 });
  // katalog's clicks are watched on its viewport (eventFilter): only the
  // mouse fills the fields, never the keys.
  katalog->viewport()->installEventFilter(this);
  ConnectGuarded(kat1edit, &ClickEdit::clicked, this,
                 &TCatalogueForm::kat1editClick);
  ConnectGuarded(kat2edit, &ClickEdit::clicked, this,
                 &TCatalogueForm::kat2editClick);
  ConnectGuarded(kat3edit, &ClickEdit::clicked, this,
                 &TCatalogueForm::kat3editClick);
  ConnectGuarded(kat4edit, &ClickEdit::clicked, this,
                 &TCatalogueForm::kat4editClick);
  ConnectGuarded(catAdd, &QPushButton::clicked, this,
                 &TCatalogueForm::catAddClick);
  ConnectGuarded(CatClose, &QPushButton::clicked, this,
                 &TCatalogueForm::CatCloseClick);
}

LanguageWindow TCatalogueForm::LanguageTarget() {
  return {this, TableColumns(katalog),
          [this](std::string_view key, std::string text) {
            (key == "DoneWarning" ? DoneText : DuplicateText) = std::move(text);
          }};
}

QWidget* TCatalogueForm::OpeningFocus() { return katalog; }

std::vector<CatalogueEntry> TCatalogueForm::FetchCatalogue() {
  const CatalogueSource source = FindCatalogueSource(folders_);
  if (source.url.empty()) return ParseCatalogue(ReadCatalogueFile(source.file));
  return FetchWhilePainting(http, source.url, [](HttpResult fetched) {
    return ParseCatalogue(fetched.body);
  });
}

void TCatalogueForm::FormShow() {
  ShowRows({});
  entries_.clear();
  try {
    entries_ = FetchCatalogue();
  } catch (const Error&) {
    CurrentDesktop().ShowMessage(MessageKind::kWarning, kNoConnectionText,
                                 kProgramCaption, nullptr);
    return;
  }
  // A catalogue without records leaves the categories and their selection.
  if (entries_.empty()) return;
  MergeCategories(categories_, entries_);
  const auto preselected = FindCategory(categories_, kPreselectedCategory);
  ShowCategories(preselected ? static_cast<std::ptrdiff_t>(*preselected) : -1);
  ShowRows(EntriesOfCategory(entries_, kPreselectedCategory));
}

void TCatalogueForm::ShowCategories(std::ptrdiff_t selected) {
  const QSignalBlocker quiet(catList);
  catList->clear();
  for (const std::string& category : categories_) {
    catList->addItem(ToQt(category));
  }
  if (selected >= 0) catList->setCurrentRow(static_cast<int>(selected));
}

void TCatalogueForm::ShowRows(std::vector<std::size_t> rows) {
  rows_ = std::move(rows);
  katalog->clearContents();
  katalog->setRowCount(static_cast<int>(rows_.size()));
  for (std::size_t row = 0; row < rows_.size(); ++row) {
    const CatalogueEntry& e = entries_[rows_[row]];
    int column = 0;
    for (const std::string* text :
         {&e.name, &e.category, &e.feed_url, &e.site_url}) {
      katalog->setItem(static_cast<int>(row), column++,
                       new QTableWidgetItem(ToQt(*text)));
    }
  }
}

void TCatalogueForm::catListClick() {
  const QList<QListWidgetItem*> selected = catList->selectedItems();
  if (selected.isEmpty()) {
    ShowRows({});
    return;
  }
  const int row = catList->row(selected.front());
  ShowRows(EntriesOfCategory(entries_, categories_.at(row)));
}

void TCatalogueForm::katalogClick() {
  const QModelIndexList selected = katalog->selectionModel()->selectedRows();
  if (selected.isEmpty()) return;
  const CatalogueEntry& e = entries_.at(rows_.at(selected.front().row()));
  kat1edit->setText(ToQt(e.name));
  kat2edit->setText(ToQt(e.category));
  kat3edit->setText(ToQt(e.feed_url));
  kat4edit->setText(ToQt(e.site_url));
  for (QLineEdit* edit : {kat1edit, kat2edit, kat3edit, kat4edit}) {
    edit->setCursorPosition(0);
  }
}

void TCatalogueForm::catAddClick() {
  if (!katalog->selectionModel()->hasSelection()) return;
  // The fields, not the selected row: the keys move the selection without
  // changing what the fields show.
  const CatalogueEntry shown{FromQt(kat1edit->text()), FromQt(kat2edit->text()),
                             FromQt(kat3edit->text()),
                             FromQt(kat4edit->text())};
  const bool added = AddCatalogueFeed(shown, feed_list_);
  if (added) emit feedListChanged();
  CurrentDesktop().ShowMessage(MessageKind::kInformation,
                               added ? DoneText : DuplicateText,
                               kProgramCaption, nullptr);
}

void TCatalogueForm::CatCloseClick() { close(); }

bool TCatalogueForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == katalog->viewport() &&
      event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    Guarded([this] { katalogClick(); });
  }
  return ModalDialog::eventFilter(watched, event);
}

}  // namespace rivolet
