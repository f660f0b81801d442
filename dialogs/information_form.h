// The About Feed dialog: downloads the current feed again each time it opens
// and shows the channel's title, link, feed URL (and where the feed was read
// from when redirects led elsewhere), description, copyright, language and
// last build date.
#pragma once

#include <string>

#include "dialogs/modal_dialog.h"
#include "net/http_client.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace rivolet {

class ClickLabel;

class TInformationForm : public ModalDialog {
  Q_OBJECT

 public:
  explicit TInformationForm(HttpClientSettings settings,
                            LanguageSource language = {},
                            QWidget* parent = nullptr);
  ~TInformationForm() override;

  // Components, named as the language files know them.
  ClickLabel* infTitle;
  QLabel* infLink;
  QLineEdit* LinkEdit;
  QLabel* infUR;
  QLineEdit* URLEdit;
  // Under the feed URL, only when the download was redirected: the address
  // the document came from. The stored address stays as the user gave it.
  QLabel* infReadFrom;
  QLabel* ReadFromAddress;
  QLabel* infDesc;
  QPlainTextEdit* DescBox;
  QLabel* infCops;
  QLineEdit* cops;
  QLabel* infLang;
  QLineEdit* EditLang;
  QLabel* inf_last;
  QLineEdit* edit_last;
  QPushButton* CloseInf;

  // The feed to describe; the main window sets it before each showing.
  std::string feed_url;
  // The dialog's own client, with its own cookies.
  HttpClient http;

  // The channel link last read; what a click on the title opens.
  const std::string& link() const { return link_; }

  // Handlers. FormShow downloads and fills the fields; a failure leaves every
  // field as the previous showing left it (the dialog reports it and opens
  // all the same).
  void FormShow() override;
  void infTitleClick();
  void CloseInfClick();

 private:
  void ShowReadFrom(const std::string& final_url);

  QLabel* picture_;
  std::string link_;
};

}  // namespace rivolet
