// The About box. It is not translated by language files.
#include "app/about_form.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <utility>

#include "platform/guard.h"
#include "platform/text_bridge.h"
#include "widgets/artwork.h"
#include "widgets/components.h"
#include "widgets/connect.h"
#include "widgets/link_label.h"

namespace rivolet {
namespace {

constexpr int kClientWidth = 527;
constexpr int kClientHeight = 433;
constexpr int kUpperHeight = 398;
constexpr char kCreditText[] =
    "\xA9 The Rivolet developers. Feeds belong to their publishers.";

QFrame* MakePanel(QWidget* parent, const char* name, int top, int height) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(name);
  panel->setGeometry(0, top, kClientWidth, height);
  return panel;
}

ClickLabel* MakeLink(QWidget* parent, const char* name, int left, int top,
                     const char* text) {
  auto* label = PlaceLabel<ClickLabel>(parent, name, left, top);
  label->setText(ToQt(text));
  label->adjustSize();
  return label;
}

}  // namespace

TAboutForm::TAboutForm(std::function<void()> open_help, QWidget* parent)
    : ModalDialog({"AboutForm", "About Rivolet", kClientWidth, kClientHeight,
                   false, true},
                  LanguageStep::kNone, {}, {}, parent),
      open_help_(std::move(open_help)) {
  Panel2 = MakePanel(this, "Panel2", 0, kUpperHeight);
  logo = PlaceLabel(Panel2, "logo", -71, -3);
  logo->setPixmap(AboutPicture());
  logo->setFixedSize(600, 400);

  Label1 = PlaceLabel(Panel2, "Label1", 493, 181);
  Label1->setFont(WindowFont(13, true));
  // There is no web site to name, nor a partner's: no address is shown.
  tarvel = MakeLink(Panel2, "tarvel", 408, 8, "Help: click the logo");
  velmora = MakeLink(Panel2, "velmora", 408, 24, "");
  ls = PlaceLabel<ClickLabel>(Panel2, "ls", 328, 95);
  ls->SetHoverUnderline(false);
  ls->setPixmap(MakerLogo());
  ls->setFixedSize(200, 26);
  cops = MakeLink(Panel2, "cops", 3, 383, kCreditText);
  cops->SetHoverUnderline(false);

  Panel1 =
      MakePanel(this, "Panel1", kUpperHeight, kClientHeight - kUpperHeight);
  OK = new QPushButton("OK", Panel1);
  OK->setObjectName("OK");
  OK->move(446, 6);
  OK->resize(75, 25);
  OK->setCursor(Qt::PointingHandCursor);
  OK->setDefault(true);

  ConnectGuarded(ls, &ClickLabel::clicked, this, &TAboutForm::lsClick);
  ConnectGuarded(cops, &ClickLabel::clicked, this, &TAboutForm::copsClick);
  ConnectGuarded(OK, &QPushButton::clicked, this, &TAboutForm::OKClick);
}

TAboutForm::~TAboutForm() = default;

void TAboutForm::FormShow() {
  Label1->setText(kVersionText);
  Label1->adjustSize();
}

void TAboutForm::lsClick() { open_help_(); }

void TAboutForm::copsClick() { open_help_(); }

void TAboutForm::OKClick() { close(); }

}  // namespace rivolet
