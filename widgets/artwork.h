// The program's pictures, drawn in code at their fixed sizes, and the fonts
// its windows use.
#pragma once

#include <QFont>
#include <QPixmap>
#include <string>

namespace rivolet {

// Tahoma where the desktop has it, else a close sans-serif face; the size is
// in pixels, as the windows' layouts are.
QFont WindowFont(int pixel_size, bool bold = false);

QPixmap UnreadMark();       // 16 x 16
QPixmap ReadMark();         // 16 x 16
QPixmap ChooseFeedImage();  // 16 x 16 toolbar images
QPixmap AddFeedImage();
QPixmap FeedsImage();
QPixmap CatalogueImage();
QPixmap ReadMoreImage();          // 32 x 32
QPixmap InformationImage();       // 32 x 32
QPixmap SidePicture(int height);  // 120 pixels wide, the dialogs' left edge
QPixmap ProgramIcon();            // 48 x 48
// The same as a PNG file's bytes; unlike the pictures above, it may be made
// on any thread.
std::string ProgramIconPng();
QPixmap AboutPicture();  // 600 x 400, the About box's picture
QPixmap MakerLogo();     // 200 x 26, transparent

}  // namespace rivolet
