// The New Feed dialog: the user types a feed's address, category, name and
// update period; Read fills the name from the feed's own title, and OK adds
// the feed at the end of the feed list unless it is already there.
#pragma once

#include <string>

#include "dialogs/modal_dialog.h"
#include "dialogs/new_feed.h"
#include "feeds/feed_list.h"
#include "net/http_client.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace rivolet {

class KeyUpEdit;

class TNewForm : public ModalDialog {
  Q_OBJECT

 public:
  // `feed_list` is the program's list, which OK appends to.
  TNewForm(FeedList& feed_list, HttpClientSettings settings,
           LanguageSource language = {}, QWidget* parent = nullptr);
  ~TNewForm() override;

  // Components, named as the language files know them.
  QLabel* new_feed_label;
  QLabel* Label3NF;
  QLineEdit* UrlEdit;
  QLabel* Label5NF;
  QLineEdit* CategoryEdit;
  QLabel* Label2NF;
  QLineEdit* FeedNameEdit;
  QPushButton* ReadButtonNF;
  QLabel* Label4NF;
  KeyUpEdit* UpdateEdit;
  QLabel* Label6NF;
  QPushButton* Button2NF;  // OK
  QPushButton* Button1NF;  // Cancel

  // The dialog's own client, with its own cookies.
  HttpClient new_http;

  // Told before texts that would lose letters are stored; a language file
  // may replace both.
  std::string lost_letters_text = kLostLettersText;
  std::string store_as_shown_text = kStoreAsShownText;

  // Handlers.
  void FormShow() override;
  void UpdateEditKeyUp(int virtual_key);
  void ReadButtonNFClick();
  void Button2NFClick();
  void Button1NFClick();

 signals:
  // The feed list changed: the program writes it at once.
  void feedListChanged();

 protected:
  // Every opening starts at the address, which it has just emptied.
  QWidget* OpeningFocus() override;
  LanguageWindow LanguageTarget() override;

 private:
  FeedList& feed_list_;
  QLabel* picture_;
};

}  // namespace rivolet
