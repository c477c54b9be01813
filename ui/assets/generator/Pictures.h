#pragma once

// The program's pictures, drawn at build time by make_assets.

#include <QByteArray>
#include <QFont>
#include <QImage>

namespace tastiva::make_assets {

// The window's own icon is 48x48; other sizes lay the same keys out on their own pixels.
inline constexpr int kMainIconGrid = 48;

// One octave of keys on a transparent ground, size x size pixels, 16 or more.
QImage DrawMainIcon(int size = kMainIconGrid);

// The 48x48 picture as SVG rectangles, for desktop menus.
QByteArray MainIconSvg();

// A pointing hand on a 32x32 transparent ground, in the 17 left columns.
QImage DrawKeyPicture();

// The notice's font; make_assets warns when the system substitutes another family.
QFont NoticeFont(qreal pixel_size, int weight);

// The 685x361 notice; null when the text would not fit, e.g. with a wider fallback font.
QImage DrawNotice();

}  // namespace tastiva::make_assets
