// The windows' fonts: marks above capitals drawn whole in every kind of text
// line.
#include "widgets/artwork.h"

#include <gtest/gtest.h>

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtMath>

namespace rivolet {
namespace {

// The dark pixels of a widget, or of `text` drawn with room around it.
int Ink(QImage image, const QFont& font = {}, const QString& text = {}) {
  if (!text.isEmpty()) {
    image = QImage(600, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.drawText(40, 60, text);
  }
  int dark = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      dark += qGray(image.pixel(x, y)) < 160;
  return dark;
}

TEST(TextMarks, EveryKindOfTextLineDrawsTheMarksAboveCapitals) {
  const QString marked = QString::fromUtf8("ŻÓŁĆ ŚĆŹŃ");
  QLabel caption(marked), title(marked);  // captions; the item's title
  title.setWordWrap(true);
  QTextBrowser description;
  description.setFrameShape(QFrame::NoFrame);
  description.document()->setDocumentMargin(0);
  description.setHtml(marked);
  const auto kinds = {static_cast<QWidget*>(&caption),
                      static_cast<QWidget*>(&title),
                      static_cast<QWidget*>(&description)};
  for (const QFont& font :
       {WindowFont(9), WindowFont(11), WindowFont(13, true)}) {
    for (QWidget* widget : kinds) widget->setFont(font);
    caption.adjustSize();  // each sized as the windows size it
    title.setFixedSize(280, title.heightForWidth(280));
    description.document()->setTextWidth(280);
    description.setFixedSize(280,
                             qCeil(description.document()->size().height()));
    const int whole = Ink({}, font, marked);
    const int marks = whole - Ink({}, font, QString::fromUtf8("ZOŁC SCZN"));
    // Anti-aliasing differs a little between the two ways of drawing; a
    // clipped mark costs far more.
    for (QWidget* widget : kinds)
      EXPECT_GE(Ink(widget->grab().toImage()), whole - marks / 4)
          << widget->metaObject()->className() << " " << font.pixelSize();
  }
}

}  // namespace
}  // namespace rivolet
