// The marks above Polish capitals are drawn whole by every kind of text line
// the windows use: each widget's ink is compared with the same text drawn
// with room to spare around it.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>
#include <cmath>
#include <functional>
#include <memory>

#include "platform/artwork.h"
#include "platform/link_label.h"

namespace rivolet {
namespace {

const QString kMarked = QString::fromUtf8(
    "\xC5\xBB\xC3\x93\xC5\x81\xC4\x86 "
    "\xC5\x9A\xC4\x86\xC5\xB9\xC5\x83");
const QString kBare = QString::fromUtf8(
    "ZO\xC5\x81"
    "C SCZN");

int Ink(const QImage& image) {
  int dark = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qGray(image.pixel(x, y)) < 160) ++dark;
    }
  }
  return dark;
}

// The text drawn on a canvas far larger than it.
int UnclippedInk(const QFont& font, const QString& text) {
  QImage canvas(600, 120, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  QPainter painter(&canvas);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(40, 60, text);
  painter.end();
  return Ink(canvas);
}

void BlackOnWhite(QWidget* widget) {
  QPalette palette = widget->palette();
  for (auto role : {QPalette::Window, QPalette::Base})
    palette.setColor(role, Qt::white);
  for (auto role : {QPalette::WindowText, QPalette::Text})
    palette.setColor(role, Qt::black);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

struct Kind {
  const char* name;
  QFont font;
  // Builds the widget showing `text`, sized as the windows size it.
  std::function<std::unique_ptr<QWidget>(const QFont&, const QString&)> make;
};

std::unique_ptr<QWidget> SizedLabel(const QFont& font, const QString& text) {
  auto label = std::make_unique<ClickLabel>();
  label->setFont(font);
  label->setText(text);
  label->adjustSize();
  return label;
}

// As the item view's title: word-wrapped, exactly as high as its text.
std::unique_ptr<QWidget> WrappedLabel(const QFont& font, const QString& text) {
  auto label = std::make_unique<QLabel>();
  label->setFont(font);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setText(text);
  label->setFixedSize(280, label->heightForWidth(280));
  return label;
}

TEST(TextMarks, EveryKindOfTextLineDrawsTheMarksAboveCapitals) {
  const std::vector<Kind> kinds = {
      {"caption", WindowFont(11), SizedLabel},
      {"small line", WindowFont(9), SizedLabel},
      {"bold title", WindowFont(13, true), SizedLabel},
      {"wrapped title", WindowFont(13, true), WrappedLabel},
      {"rich description", WindowFont(11),
       [](const QFont& font, const QString& text) {
         auto view = std::make_unique<QTextBrowser>();
         view->setFont(font);
         view->setFrameShape(QFrame::NoFrame);
         view->document()->setDocumentMargin(0);
         view->setHtml(text.toHtmlEscaped());
         view->document()->setTextWidth(280);
         view->setFixedSize(
             280,
             static_cast<int>(std::ceil(view->document()->size().height())));
         return view;
       }},
      {"edit field", WindowFont(11),
       [](const QFont& font, const QString& text) {
         auto edit = std::make_unique<QLineEdit>(text);
         edit->setFont(font);
         edit->setFrame(false);
         edit->setFixedSize(265, 21);
         return edit;
       }},
      {"list row", WindowFont(11),
       [](const QFont& font, const QString& text) {
         auto list = std::make_unique<QTreeWidget>();
         list->setFont(font);
         list->setHeaderHidden(true);
         list->setFrameShape(QFrame::NoFrame);
         list->addTopLevelItem(new QTreeWidgetItem({text}));
         list->setFixedSize(260, 40);
         return list;
       }},
  };
  for (const Kind& kind : kinds) {
    const int whole = UnclippedInk(kind.font, kMarked);
    const int marks = whole - UnclippedInk(kind.font, kBare);
    ASSERT_GT(marks, 0) << kind.name;
    std::unique_ptr<QWidget> widget = kind.make(kind.font, kMarked);
    BlackOnWhite(widget.get());
    const int drawn = Ink(widget->grab().toImage());
    // Anti-aliasing differs a little between the two ways of drawing; a
    // clipped mark costs far more than that.
    EXPECT_GE(drawn, whole - marks / 4)
        << kind.name << ": " << drawn << " of " << whole << " dark pixels, "
        << marks << " of them marks";
  }
}

}  // namespace
}  // namespace rivolet
