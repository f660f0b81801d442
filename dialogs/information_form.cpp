// The About Feed dialog.
#include "dialogs/information_form.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <utility>

#include "background/download.h"
#include "dialogs/feed_information.h"
#include "platform/desktop.h"
#include "platform/text_bridge.h"
#include "reader/shown_feed.h"
#include "settings/language_file.h"
#include "widgets/artwork.h"
#include "widgets/components.h"
#include "widgets/connect.h"
#include "widgets/link_label.h"

namespace rivolet {
namespace {

constexpr int kClientWidth = 398;
constexpr int kClientHeight = 388;
constexpr int kPictureWidth = 120;
constexpr int kColumnLeft = 128;
constexpr int kFieldWidth = 265;
// The title may not run past the right edge, nor over the "URL" caption.
constexpr int kTitleMaxWidth = kClientWidth - kColumnLeft - 4;
constexpr int kTitleMaxHeight = 32;
// The line under the feed URL field, in the small type of the item view's
// date.
constexpr int kReadFromTop = 125;
constexpr int kReadFromPixelSize = 9;

QLineEdit* MakeEdit(QWidget* parent, const char* name, int top) {
  QLineEdit* edit = PlaceEdit(parent, name, kColumnLeft, top, kFieldWidth);
  edit->setReadOnly(true);
  return edit;
}

}  // namespace

TInformationForm::TInformationForm(HttpClientSettings settings,
                                   LanguageSource language, QWidget* parent)
    : ModalDialog(
          {"InformationForm", "About Feed", kClientWidth, kClientHeight, true},
          LanguageStep::kFirst, std::move(language),
          InformationFormLanguageKeys(), parent),
      http(std::move(settings)) {
  infTitle = new ClickLabel(this);
  infTitle->setObjectName("infTitle");
  infTitle->setTextFormat(Qt::PlainText);
  infTitle->setFont(WindowFont(13, true));
  infTitle->setMaximumSize(kTitleMaxWidth, kTitleMaxHeight);
  infTitle->move(kColumnLeft, 8);
  infTitle->setText("infTitle");
  infTitle->adjustSize();

  infLink = PlaceCaption(this, "infLink", "URL", kColumnLeft, 40);
  LinkEdit = MakeEdit(this, "LinkEdit", 56);
  infUR = PlaceCaption(this, "infUR", "Feed URL", kColumnLeft, 88);
  URLEdit = MakeEdit(this, "URLEdit", 104);
  infReadFrom = PlaceCaption(this, "infReadFrom", "Read from:", kColumnLeft,
                             kReadFromTop);
  ReadFromAddress =
      PlaceLabel(this, "ReadFromAddress", kColumnLeft, kReadFromTop);
  for (QLabel* label : {infReadFrom, ReadFromAddress}) {
    label->setFont(WindowFont(kReadFromPixelSize));
    label->hide();
  }
  infDesc = PlaceCaption(this, "infDesc", "Description", kColumnLeft, 136);
  DescBox = new QPlainTextEdit(this);
  DescBox->setObjectName("DescBox");
  DescBox->setReadOnly(true);
  DescBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  DescBox->setGeometry(kColumnLeft, 152, kFieldWidth, 49);
  infCops = PlaceCaption(this, "infCops", "Copyright", kColumnLeft, 210);
  cops = MakeEdit(this, "cops", 226);
  infLang = PlaceCaption(this, "infLang", "Language", kColumnLeft, 256);
  EditLang = MakeEdit(this, "EditLang", 272);
  inf_last =
      PlaceCaption(this, "inf_last", "Last build date", kColumnLeft, 304);
  edit_last = MakeEdit(this, "edit_last", 320);

  CloseInf = new QPushButton("Close", this);
  CloseInf->setObjectName("CloseInf");
  CloseInf->setGeometry(312, 357, 80, 25);
  CloseInf->setDefault(true);
  CloseInf->setCursor(Qt::PointingHandCursor);

  ConnectGuarded(infTitle, &ClickLabel::clicked, this,
                 &TInformationForm::infTitleClick);
  ConnectGuarded(CloseInf, &QPushButton::clicked, this,
                 &TInformationForm::CloseInfClick);
}

TInformationForm::~TInformationForm() = default;

void TInformationForm::FormShow() {
  // The channel as the windows show it: every character the feed wrote.
  struct Read {
    std::string final_url;
    ShownChannel channel;
  };
  const Read read = FetchWhilePainting(http, feed_url, [](HttpResult fetched) {
    ShownChannel channel = ReadShownChannel(fetched.body, fetched.final_url);
    return Read{std::move(fetched.final_url), std::move(channel)};
  });
  const ShownChannel& info = read.channel;
  URLEdit->setText(ToQt(feed_url));
  ShowReadFrom(read.final_url);
  infTitle->setText(ShownToQt(info.title));
  infTitle->adjustSize();
  link_ = info.link;
  LinkEdit->setText(ShownToQt(info.link));
  DescBox->setPlainText(ShownToQt(info.description));
  cops->setText(ShownToQt(info.copyright));
  EditLang->setText(ShownToQt(info.language));
  edit_last->setText(ShownToQt(info.last_build_date));
  for (QLineEdit* edit : {LinkEdit, URLEdit, cops, EditLang, edit_last}) {
    edit->setCursorPosition(0);
  }
}

void TInformationForm::ShowReadFrom(const std::string& final_url) {
  const bool moved = final_url != feed_url;
  infReadFrom->setVisible(moved);
  ReadFromAddress->setVisible(moved);
  if (!moved) return;
  // The caption may have changed with the language.
  infReadFrom->adjustSize();
  const int left = infReadFrom->x() + infReadFrom->width() + 3;
  const int width = kColumnLeft + kFieldWidth - left;
  // A long address keeps its start and its end; the whole one is the tip.
  const QString address = ShownToQt(final_url);
  ReadFromAddress->setText(ReadFromAddress->fontMetrics().elidedText(
      address, Qt::ElideMiddle, width));
  ReadFromAddress->setToolTip(PlainToolTip(address));
  ReadFromAddress->adjustSize();
  ReadFromAddress->move(left, kReadFromTop);
}

void TInformationForm::infTitleClick() {
  if (ShouldOpenTitleLink(link_)) CurrentDesktop().OpenUrl(link_);
}

void TInformationForm::CloseInfClick() { close(); }

}  // namespace rivolet
