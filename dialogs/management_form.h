// The Feeds' Management dialog: edits, reorders, sorts and deletes feeds on a
// working copy of the feed list; OK puts the copy in the list's place.
#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>

#include "dialogs/management.h"
#include "dialogs/modal_dialog.h"
#include "dialogs/new_feed.h"
#include "feeds/feed_list.h"

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPoint;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace rivolet {

class KeyUpEdit;

class TManagementForm : public ModalDialog {
  Q_OBJECT

 public:
  // The frame, as the layout builds it.
  static constexpr DialogFrame kFrame = {"ManagementForm", "Feeds' Management",
                                         542, 502};

  // `feed_list` is the program's list: copied at each opening, replaced on
  // OK.
  explicit TManagementForm(FeedList& feed_list, LanguageSource language = {},
                           QWidget* parent = nullptr);
  ~TManagementForm() override;

  // Components, named as the language files know them.
  QTableWidget* ManageRssList;
  QMenu* PopupMenu1;
  QAction* MoveUp1;
  QAction* MoveDown1;
  QAction* N1;
  QAction* Delete1;
  QTabWidget* PageControl1;
  QWidget* ManageEdit;
  QFrame* Panel1;
  QLabel* EditFeedName;
  QLineEdit* Edit1;
  QLabel* EditCategory;
  QLineEdit* Edit2;
  QLabel* EditUpdatePeriod;
  KeyUpEdit* Edit3;
  QLabel* EditUnit;
  QLabel* EditURL;
  QLineEdit* Edit4;
  QPushButton* EditEdit;
  QPushButton* EditUp;
  QPushButton* EditDown;
  QPushButton* EditDelete;
  QPushButton* ManageOK;
  QPushButton* ManageCancel;

  // The delete question and the no-selection notice; a language file may
  // replace them, and they stay replaced for the rest of the run.
  std::string delete_question = kDeleteQuestionText;
  std::string select_feed_text = kSelectFeedText;
  // The delete question that names the feed; none while the language in
  // use has no such text (delete_question is asked then, with the name).
  std::optional<std::string> delete_feed_question = kDeleteFeedQuestionText;
  // Told before texts that would lose letters are stored.
  std::string lost_letters_text = kLostLettersText;
  std::string store_as_shown_text = kStoreAsShownText;

  // The rows being edited, and the sort that outlives each opening.
  const ManagementList& working_copy() const { return list_; }
  const ManagementSort& sort() const { return sort_; }

  // Handlers.
  void FormShow() override;
  void ManageRssListClick();
  // The selection moved (keys, mouse, sorting, deleting): the four edits
  // show the selected feed.
  void ManageRssListSelectionChange();
  void ManageRssListColumnClick(int column);
  void ManageRssListContextPopup(const QPoint& at);
  void Edit3KeyUp(int virtual_key);
  void EditEditClick();
  void EditUpClick();
  void EditDownClick();
  void EditDeleteClick();
  void MoveUp1Click() { EditUpClick(); }
  void MoveDown1Click() { EditDownClick(); }
  void Delete1Click() { EditDeleteClick(); }
  void ManageOKClick();
  void ManageCancelClick();

 signals:
  // The feed list changed: the program writes it at once.
  void feedListChanged();

 protected:
  // The list's column captions and the two message texts take the language
  // too.
  LanguageWindow LanguageTarget() override;
  // Every opening starts at the list, not at the button that closed the
  // dialog last time (which Enter would otherwise press).
  QWidget* OpeningFocus() override;
  // A language that replaces the plain delete question but has no naming
  // one asks the plain one.
  void Opened() override;

 private:
  // Building the components (management_form_layout.cpp).
  void CreateComponents();
  void CreateList();
  void CreateEditPage();
  void CreateButtons();
  void ConnectHandlers();

  // The row the list shows selected, taken into the working copy.
  void TakeSelection();
  // Shows the working copy's rows and selection.
  void ShowRows();
  FeedEditTexts EditTexts() const;
  // Puts the selected row's texts into the four edits.
  void FillEdits();

  FeedList& feed_list_;
  ManagementList list_;
  ManagementSort sort_;
  bool showing_rows_ = false;
  // The message keys the language of this opening set.
  std::set<std::string, std::less<>> language_messages_;
};

}  // namespace rivolet
