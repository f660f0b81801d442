// Simple vector drawings: a feed-like orange, plain shapes, no text.
#include "widgets/artwork.h"

#include <QBuffer>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdint>
#include <optional>

namespace rivolet {
namespace {

const QColor kOrange(236, 120, 30);
const QColor kBlue(40, 100, 180);
const QColor kGrey(150, 150, 150);

// A transparent picture of the given size, drawn by `paint` with smoothing.
template <typename Paint>
QPixmap Draw(int width, int height, Paint&& paint) {
  QPixmap pixmap(width, height);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  paint(p);
  return pixmap;
}

// The feed symbol: a dot and two arcs in the lower-left corner of a square.
void DrawFeedSymbol(QPainter& p, const QRectF& box, const QColor& back) {
  p.setPen(Qt::NoPen);
  p.setBrush(back);
  p.drawRoundedRect(box, box.width() / 6, box.width() / 6);
  const double s = box.width();
  const QPointF origin(box.left() + s * 0.22, box.bottom() - s * 0.22);
  p.setBrush(Qt::white);
  p.drawEllipse(origin, s * 0.1, s * 0.1);
  QPen pen(Qt::white, s * 0.12, Qt::SolidLine, Qt::FlatCap);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  for (double r : {0.38, 0.62}) {
    QRectF arc(origin.x() - s * r, origin.y() - s * r, 2 * s * r, 2 * s * r);
    p.drawArc(arc, 0, 90 * 16);
  }
}

// A big-endian 16-bit field of a font file; nothing when it lies outside.
std::optional<std::uint16_t> FontField(const QByteArray& font, qsizetype at) {
  if (at < 0 || at + 2 > font.size()) return std::nullopt;
  return static_cast<std::uint16_t>(
      (static_cast<unsigned char>(font[at]) << 8) |
      static_cast<unsigned char>(font[at + 1]));
}

// Where the table `tag` of a TrueType font starts; nothing without it.
std::optional<qsizetype> FontTable(const QByteArray& font, const char* tag) {
  const std::optional<std::uint16_t> count = FontField(font, 4);
  if (!count) return std::nullopt;
  for (qsizetype entry = 12; entry < 12 + qsizetype{*count} * 16; entry += 16) {
    if (entry + 16 > font.size()) return std::nullopt;
    if (font.mid(entry, 4) != tag) continue;
    const auto high = FontField(font, entry + 8);
    const auto low = FontField(font, entry + 10);
    if (!high || !low) return std::nullopt;
    return (qsizetype{*high} << 16) | *low;
  }
  return std::nullopt;
}

// The wine package's Tahoma carries hand-made bitmaps for 8 to 16 pixels,
// the sizes of every window text, and each of these strikes declares an
// ascent that ends at the top of the capitals, while its own tallest glyph
// (the marks above Ż, Ó, Ś, Ć, Ź, Ń) reaches up to two pixels higher: a line
// at the top edge of a label, or in a list row sized to the text, loses its
// marks. Our copy declares each strike's ascent as that tallest glyph's
// height, as Windows lays Tahoma's lines out.
QByteArray WithRoomForMarks(QByteArray font) {
  const auto bitmaps = FontTable(font, "EBLC");
  if (!bitmaps) return font;
  const auto strikes = FontField(font, *bitmaps + 6);  // low half of a count
  constexpr qsizetype kStrikeSize = 48;
  constexpr qsizetype kAscent = 16;        // of the horizontal line metrics
  constexpr qsizetype kTallestGlyph = 24;  // their maxBeforeBL
  for (qsizetype strike = *bitmaps + 8;
       strikes && strike < *bitmaps + 8 + qsizetype{*strikes} * kStrikeSize &&
       strike + kStrikeSize <= font.size();
       strike += kStrikeSize) {
    const auto ascent = static_cast<signed char>(font[strike + kAscent]);
    const auto tallest = static_cast<signed char>(font[strike + kTallestGlyph]);
    if (tallest > ascent) font[strike + kAscent] = static_cast<char>(tallest);
  }
  return font;
}

// The windows are laid out for Tahoma. Where the system has no Tahoma, the
// metric-compatible face of the wine fonts package is loaded for this program
// (it covers every Windows-1250 letter); without it the windows fall back to
// the system's sans-serif. Only the regular face is taken: the package's bold
// face draws its strokes no heavier than the regular one, so bold captions
// would not look bold; Qt emboldens the regular face instead.
void LoadDesignFont() {
  static const bool loaded = [] {
    if (!QFontDatabase::families().contains("Tahoma")) {
      QFile file("/usr/share/wine/fonts/tahoma.ttf");
      // A font file is a few hundred kilobytes; anything far bigger is not
      // the face we mean.
      if (file.size() < 4 * 1024 * 1024 && file.open(QIODevice::ReadOnly)) {
        QFontDatabase::addApplicationFontFromData(
            WithRoomForMarks(file.readAll()));
      }
    }
    return true;
  }();
  (void)loaded;
}

}  // namespace

QFont WindowFont(int pixel_size, bool bold) {
  LoadDesignFont();
  QFont font;
  font.setFamilies({"Tahoma", "DejaVu Sans", "Noto Sans", "Sans Serif"});
  font.setPixelSize(pixel_size);
  font.setBold(bold);
  return font;
}

QPixmap UnreadMark() {
  return Draw(16, 16, [](QPainter& p) {
    p.setPen(QPen(kOrange.darker(130), 1));
    p.setBrush(kOrange);
    p.drawEllipse(QRectF(4, 4, 8, 8));
  });
}

QPixmap ReadMark() {
  return Draw(16, 16, [](QPainter& p) {
    p.setPen(QPen(kGrey, 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(5, 5, 6, 6));
  });
}

QPixmap ChooseFeedImage() {
  return Draw(16, 16, [](QPainter& p) {
    DrawFeedSymbol(p, QRectF(0.5, 0.5, 15, 15), kOrange);
  });
}

QPixmap AddFeedImage() {
  return Draw(16, 16, [](QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 150, 60));
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 3.5, 2, 9));
    p.drawRect(QRectF(3.5, 7, 9, 2));
  });
}

QPixmap FeedsImage() {
  return Draw(16, 16, [](QPainter& p) {
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
      p.setBrush(kOrange);
      p.drawEllipse(QRectF(1, 2 + i * 5, 3, 3));
      p.setBrush(kBlue);
      p.drawRect(QRectF(6, 2.5 + i * 5, 9, 2));
    }
  });
}

QPixmap CatalogueImage() {
  return Draw(16, 16, [](QPainter& p) {
    p.setPen(QPen(kBlue.darker(120), 1));
    p.setBrush(kBlue);
    p.drawRect(QRectF(2.5, 1.5, 11, 13));
    p.setPen(QPen(Qt::white, 1));
    for (int y : {5, 8, 11}) p.drawLine(QPointF(5, y), QPointF(11, y));
  });
}

QPixmap ReadMoreImage() {
  return Draw(32, 32, [](QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kOrange);
    p.drawEllipse(QRectF(1, 1, 30, 30));
    QPainterPath arrow;
    arrow.moveTo(11, 8);
    arrow.lineTo(23, 16);
    arrow.lineTo(11, 24);
    arrow.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(arrow);
  });
}

QPixmap InformationImage() {
  return Draw(32, 32, [](QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(QRectF(1, 1, 30, 30));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(14, 6.5, 4, 4));
    p.drawRoundedRect(QRectF(14, 13, 4, 13), 1.5, 1.5);
  });
}

QPixmap SidePicture(int height) {
  QPixmap pixmap(120, height);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient gradient(0, 0, 0, height);
  gradient.setColorAt(0, QColor(250, 170, 80));
  gradient.setColorAt(1, QColor(200, 80, 20));
  p.fillRect(pixmap.rect(), gradient);
  DrawFeedSymbol(p, QRectF(28, 24, 64, 64), QColor(255, 255, 255, 60));
  return pixmap;
}

QPixmap ProgramIcon() {
  return Draw(48, 48, [](QPainter& p) {
    DrawFeedSymbol(p, QRectF(1, 1, 46, 46), kOrange);
  });
}

std::string ProgramIconPng() {
  // Drawn into an image, which unlike a pixmap may be made on any thread.
  QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawFeedSymbol(p, QRectF(1, 1, 46, 46), kOrange);
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

QPixmap AboutPicture() {
  QPixmap pixmap(600, 400);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 400);
  sky.setColorAt(0, QColor(226, 238, 248));
  sky.setColorAt(0.6, QColor(250, 250, 246));
  p.fillRect(pixmap.rect(), sky);

  // Two soft hills and a stream running down between them.
  p.setPen(Qt::NoPen);
  QPainterPath far_hill;
  far_hill.moveTo(0, 300);
  far_hill.cubicTo(150, 250, 330, 260, 600, 290);
  far_hill.lineTo(600, 400);
  far_hill.lineTo(0, 400);
  far_hill.closeSubpath();
  p.setBrush(QColor(200, 222, 196));
  p.drawPath(far_hill);
  QPainterPath near_hill;
  near_hill.moveTo(0, 345);
  near_hill.cubicTo(200, 310, 420, 335, 600, 325);
  near_hill.lineTo(600, 400);
  near_hill.lineTo(0, 400);
  near_hill.closeSubpath();
  p.setBrush(QColor(172, 204, 168));
  p.drawPath(near_hill);
  QPainterPath stream;
  stream.moveTo(400, 272);
  stream.cubicTo(330, 300, 420, 322, 300, 350);
  stream.cubicTo(220, 368, 170, 386, 130, 402);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(120, 170, 215), 8, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(stream);
  p.setPen(QPen(QColor(190, 220, 245), 3, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(stream);

  // A pale strip along the foot for the credit line.
  p.fillRect(QRectF(0, 382, 600, 18), QColor(255, 255, 255, 170));

  // The name ends just left of where the box shows the version; the feed
  // symbol stands before it whatever the font's width.
  constexpr int kNameRight = 556;
  constexpr int kBaseline = 196;
  const QFont name = WindowFont(48, true);
  const int name_width = QFontMetrics(name).horizontalAdvance("Rivolet");
  const int name_left = kNameRight - name_width;
  DrawFeedSymbol(p, QRectF(name_left - 66, kBaseline - 54, 56, 56), kOrange);
  p.setFont(name);
  p.setPen(QColor(40, 70, 110));
  p.drawText(QPointF(name_left, kBaseline), "Rivolet");
  p.setFont(WindowFont(14));
  p.setPen(QColor(90, 110, 130));
  p.drawText(QPointF(name_left + 2, kBaseline + 26),
             "a reader for RSS news feeds");
  return pixmap;
}

QPixmap MakerLogo() {
  return Draw(200, 26, [](QPainter& p) {
    p.setPen(QPen(kBlue, 2.5, Qt::SolidLine, Qt::RoundCap));
    for (int row = 0; row < 3; ++row) {
      QPainterPath wave;
      const double y = 7 + row * 6;
      wave.moveTo(3, y);
      wave.cubicTo(8, y - 4, 12, y + 4, 17, y);
      wave.cubicTo(20, y - 3, 22, y - 2, 24, y);
      p.drawPath(wave);
    }
    p.setFont(WindowFont(15, true));
    p.setPen(kBlue.darker(130));
    p.drawText(QRectF(32, 0, 168, 26), Qt::AlignLeft | Qt::AlignVCenter,
               "Rivolet project");
  });
}

}  // namespace rivolet
