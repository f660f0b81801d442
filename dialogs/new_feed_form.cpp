// The New Feed dialog.
#include "dialogs/new_feed_form.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <exception>
#include <utility>

#include "background/download.h"
#include "dialogs/new_feed.h"
#include "platform/desktop.h"
#include "platform/text_bridge.h"
#include "settings/language_file.h"
#include "widgets/artwork.h"
#include "widgets/components.h"
#include "widgets/connect.h"
#include "widgets/keys.h"

namespace rivolet {
namespace {

constexpr int kClientWidth = 465;
constexpr int kClientHeight = 300;
constexpr int kNameLimit = 100;
constexpr int kPeriodLimit = 5;

template <typename Edit = QLineEdit>
Edit* MakeEdit(QWidget* parent, const char* name, int left, int top, int width,
               int limit = 0) {
  auto* edit = PlaceEdit<Edit>(parent, name, left, top, width);
  if (limit > 0) LimitTyping(edit, limit);
  return edit;
}

}  // namespace

TNewForm::TNewForm(FeedList& feed_list, HttpClientSettings settings,
                   LanguageSource language, QWidget* parent)
    : ModalDialog({"NewForm", "New Feed", kClientWidth, kClientHeight, true},
                  LanguageStep::kLast, std::move(language),
                  NewFormLanguageKeys(), parent),
      new_http(std::move(settings)),
      feed_list_(feed_list) {
  new_feed_label = PlaceCaption(this, "new_feed_label", "New Feed", 128, 8);
  new_feed_label->setFont(WindowFont(13, true));
  new_feed_label->adjustSize();
  Label3NF = PlaceCaption(this, "Label3NF", "URL", 128, 48);
  UrlEdit = MakeEdit(this, "UrlEdit", 128, 64, 313);
  Label5NF = PlaceCaption(this, "Label5NF", "Category", 128, 96);
  CategoryEdit = MakeEdit(this, "CategoryEdit", 129, 112, 313, kNameLimit);
  CategoryEdit->setText(kNoCategoryText);
  Label2NF = PlaceCaption(this, "Label2NF", "Feed Name", 128, 144);
  FeedNameEdit = MakeEdit(this, "FeedNameEdit", 128, 160, 225, kNameLimit);
  ReadButtonNF = PlaceButton(this, "ReadButtonNF", "Read", {360, 160, 82, 21});
  Label4NF = PlaceCaption(this, "Label4NF", "Update Period", 128, 192);
  UpdateEdit =
      MakeEdit<KeyUpEdit>(this, "UpdateEdit", 128, 208, 97, kPeriodLimit);
  UpdateEdit->setText("60");
  Label6NF = PlaceCaption(this, "Label6NF", "minutes", 232, 211);
  Button2NF = PlaceButton(this, "Button2NF", "OK", {294, 268, 80, 25});
  Button2NF->setDefault(true);
  Button1NF = PlaceButton(this, "Button1NF", "Cancel", {377, 268, 80, 25});

  setTabOrder(UrlEdit, FeedNameEdit);
  setTabOrder(FeedNameEdit, UpdateEdit);
  setTabOrder(UpdateEdit, Button1NF);
  setTabOrder(Button1NF, Button2NF);
  setTabOrder(Button2NF, CategoryEdit);
  setTabOrder(CategoryEdit, ReadButtonNF);

  ConnectGuarded(UpdateEdit, &KeyUpEdit::keyUp, this,
                 &TNewForm::UpdateEditKeyUp);
  ConnectGuarded(ReadButtonNF, &QPushButton::clicked, this,
                 &TNewForm::ReadButtonNFClick);
  ConnectGuarded(Button2NF, &QPushButton::clicked, this,
                 &TNewForm::Button2NFClick);
  ConnectGuarded(Button1NF, &QPushButton::clicked, this,
                 &TNewForm::Button1NFClick);
}

TNewForm::~TNewForm() = default;

QWidget* TNewForm::OpeningFocus() { return UrlEdit; }

LanguageWindow TNewForm::LanguageTarget() {
  return {this, {}, [this](std::string_view key, std::string text) {
            (key == "LostLetters" ? lost_letters_text : store_as_shown_text) =
                std::move(text);
          }};
}

void TNewForm::FormShow() {
  // The category stays: the last one typed is the likeliest next one.
  FeedNameEdit->clear();
  UrlEdit->clear();
  UpdateEdit->clear();
}

void TNewForm::UpdateEditKeyUp(int virtual_key) {
  if (!PeriodKeyKeepsText(virtual_key)) UpdateEdit->clear();
}

void TNewForm::ReadButtonNFClick() {
  std::string name;
  try {
    name = FetchWhilePainting(
        new_http, FromQt(UrlEdit->text()),
        [](HttpResult fetched) { return FeedTitleFromDocument(fetched.body); });
  } catch (const std::exception&) {
    // Whatever went wrong, the user is told only that the feed could not be
    // read, and the name typed so far stays.
    CurrentDesktop().ShowMessage(MessageKind::kInformation,
                                 kConnectionErrorText, kProgramCaption,
                                 nullptr);
    return;
  }
  // The whole title: the field's limit is for typing.
  SetWholeText(FeedNameEdit, ToQt(name));
  FeedNameEdit->setCursorPosition(0);
}

void TNewForm::Button2NFClick() {
  if (!KeepsLettersOrAgreed({FeedNameEdit, CategoryEdit, UrlEdit},
                            lost_letters_text, store_as_shown_text, this)) {
    return;
  }
  const NewFeedOutcome outcome =
      AddNewFeed({FromQt(FeedNameEdit->text()), FromQt(UrlEdit->text()),
                  FromQt(CategoryEdit->text()), FromQt(UpdateEdit->text())},
                 feed_list_);
  CategoryEdit->setText(ToQt(outcome.category));
  SetWholeText(FeedNameEdit, ToQt(outcome.name));
  if (outcome.result != NewFeedResult::kAdded) {
    CurrentDesktop().ShowMessage(MessageKind::kInformation, outcome.message,
                                 kProgramCaption, nullptr);
    return;
  }
  emit feedListChanged();
  close();
}

void TNewForm::Button1NFClick() { close(); }

}  // namespace rivolet
