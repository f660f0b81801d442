// The Feeds' Management dialog's handlers. The components are built in
// management_form_layout.cpp; every rule is in management.h.
#include "dialogs/management_form.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

#include "common/text.h"
#include "dialogs/new_feed.h"
#include "platform/desktop.h"
#include "platform/text_bridge.h"
#include "settings/language_file.h"
#include "widgets/components.h"
#include "widgets/connect.h"
#include "widgets/keys.h"

namespace rivolet {

TManagementForm::TManagementForm(FeedList& feed_list, LanguageSource language,
                                 QWidget* parent)
    : ModalDialog(kFrame, LanguageStep::kLast, std::move(language),
                  ManagementFormLanguageKeys(), parent),
      feed_list_(feed_list),
      list_(feed_list) {
  CreateComponents();
  ConnectHandlers();
}

TManagementForm::~TManagementForm() = default;

void TManagementForm::ConnectHandlers() {
  ConnectGuarded(ManageRssList, &QTableWidget::cellClicked, this,
                 &TManagementForm::ManageRssListClick);
  ConnectGuarded(ManageRssList->selectionModel(),
                 &QItemSelectionModel::selectionChanged, this,
                 &TManagementForm::ManageRssListSelectionChange);
  ConnectGuarded(ManageRssList->horizontalHeader(),
                 &QHeaderView::sectionClicked, this,
                 &TManagementForm::ManageRssListColumnClick);
  ConnectGuarded(ManageRssList, &QWidget::customContextMenuRequested, this,
                 &TManagementForm::ManageRssListContextPopup);
  ConnectGuarded(Edit3, &KeyUpEdit::keyUp, this, &TManagementForm::Edit3KeyUp);
  ConnectGuarded(EditEdit, &QPushButton::clicked, this,
                 &TManagementForm::EditEditClick);
  ConnectGuarded(EditUp, &QPushButton::clicked, this,
                 &TManagementForm::EditUpClick);
  ConnectGuarded(EditDown, &QPushButton::clicked, this,
                 &TManagementForm::EditDownClick);
  ConnectGuarded(EditDelete, &QPushButton::clicked, this,
                 &TManagementForm::EditDeleteClick);
  ConnectGuarded(MoveUp1, &QAction::triggered, this,
                 &TManagementForm::MoveUp1Click);
  ConnectGuarded(MoveDown1, &QAction::triggered, this,
                 &TManagementForm::MoveDown1Click);
  ConnectGuarded(Delete1, &QAction::triggered, this,
                 &TManagementForm::Delete1Click);
  ConnectGuarded(ManageOK, &QPushButton::clicked, this,
                 &TManagementForm::ManageOKClick);
  ConnectGuarded(ManageCancel, &QPushButton::clicked, this,
                 &TManagementForm::ManageCancelClick);
}

LanguageWindow TManagementForm::LanguageTarget() {
  return {this, TableColumns(ManageRssList),
          [this](std::string_view key, std::string text) {
            language_messages_.emplace(key);
            if (key == "warning1") {
              delete_question = std::move(text);
            } else if (key == "warning2") {
              select_feed_text = std::move(text);
            } else if (key == "DeleteFeedQuestion") {
              delete_feed_question = std::move(text);
            } else if (key == "LostLetters") {
              lost_letters_text = std::move(text);
            } else if (key == "StoreAsShown") {
              store_as_shown_text = std::move(text);
            }
          }};
}

QWidget* TManagementForm::OpeningFocus() { return ManageRssList; }

void TManagementForm::Opened() {
  if (language_messages_.count("warning1") &&
      !language_messages_.count("DeleteFeedQuestion")) {
    delete_feed_question.reset();
  }
}

void TManagementForm::FormShow() {
  // The four edits keep what they showed last time.
  language_messages_.clear();
  list_ = ManagementList(feed_list_);
  ShowRows();
}

void TManagementForm::TakeSelection() {
  std::optional<std::size_t> row;
  const QModelIndexList rows = ManageRssList->selectionModel()->selectedRows();
  if (!rows.isEmpty()) row = static_cast<std::size_t>(rows.front().row());
  list_.Select(row);
}

void TManagementForm::ShowRows() {
  // The rows and the selection are the working copy's: what the list does
  // while they are put in is no move of the user's.
  showing_rows_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{showing_rows_};
  const std::vector<FeedEntry>& rows = list_.rows();
  ManageRssList->clearSelection();
  ManageRssList->setRowCount(static_cast<int>(rows.size()));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const FeedEditTexts texts = list_.Texts(i);
    int column = 0;
    for (const std::string* text :
         {&texts.name, &texts.category, &texts.period, &texts.url}) {
      auto* cell = new QTableWidgetItem(ToQt(ControlsAsBlanks(*text)));
      cell->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
      ManageRssList->setItem(static_cast<int>(i), column++, cell);
    }
  }
  if (const std::optional<std::size_t> selected = list_.selection()) {
    ManageRssList->setCurrentCell(
        static_cast<int>(*selected), 0,
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
}

FeedEditTexts TManagementForm::EditTexts() const {
  return {FromQt(Edit1->text()), FromQt(Edit2->text()), FromQt(Edit3->text()),
          FromQt(Edit4->text())};
}

void TManagementForm::ManageRssListClick() {
  TakeSelection();
  FillEdits();
}

void TManagementForm::ManageRssListSelectionChange() {
  if (showing_rows_) return;
  TakeSelection();
  FillEdits();
}

void TManagementForm::FillEdits() {
  if (!list_.selection()) return;
  const FeedEditTexts texts = list_.Texts(*list_.selection());
  Edit1->setText(ToQt(texts.name));
  Edit2->setText(ToQt(texts.category));
  // A period stored longer than typing allows is shown and kept whole.
  SetWholeText(Edit3, ToQt(texts.period));
  Edit4->setText(ToQt(texts.url));
  for (QLineEdit* edit :
       {Edit1, Edit2, static_cast<QLineEdit*>(Edit3), Edit4}) {
    edit->setCursorPosition(0);
  }
}

void TManagementForm::ManageRssListColumnClick(int column) {
  TakeSelection();
  list_.SortByHeader(column, sort_);
  ShowRows();
}

void TManagementForm::ManageRssListContextPopup(const QPoint& at) {
  PopupMenu1->popup(ManageRssList->viewport()->mapToGlobal(at));
}

void TManagementForm::Edit3KeyUp(int virtual_key) {
  if (!PeriodKeyKeepsText(virtual_key)) Edit3->clear();
}

void TManagementForm::EditEditClick() {
  TakeSelection();
  if (!list_.edited()) {
    CurrentDesktop().ShowMessage(MessageKind::kInformation, select_feed_text,
                                 kProgramCaption, nullptr);
    return;
  }
  if (!KeepsLettersOrAgreed({Edit1, Edit2, Edit3, Edit4}, lost_letters_text,
                            store_as_shown_text, this)) {
    return;
  }
  list_.ApplyEdits(EditTexts());
  ShowRows();
  ManageRssList->setFocus();
}

void TManagementForm::EditUpClick() {
  TakeSelection();
  if (!list_.MoveUp()) return;
  ShowRows();
  ManageRssList->setFocus();
}

void TManagementForm::EditDownClick() {
  TakeSelection();
  if (!list_.MoveDown()) return;
  ShowRows();
  ManageRssList->setFocus();
}

void TManagementForm::EditDeleteClick() {
  TakeSelection();
  // Asked even with no feed selected; the answer then changes nothing. With
  // one, the question names it: the feed the edits show.
  const std::optional<std::size_t> row = list_.selection();
  const std::string question =
      row ? DeleteQuestion(delete_feed_question, delete_question,
                           list_.Texts(*row).name)
          : delete_question;
  if (CurrentDesktop().ShowMessage(MessageKind::kQuestion, question,
                                   kProgramCaption,
                                   nullptr) == MessageAnswer::kYes &&
      list_.DeleteSelected()) {
    ShowRows();
    FillEdits();
  }
  ManageRssList->setFocus();
}

void TManagementForm::ManageOKClick() {
  list_.WriteBack(feed_list_);
  emit feedListChanged();
  close();
}

void TManagementForm::ManageCancelClick() { close(); }

}  // namespace rivolet
