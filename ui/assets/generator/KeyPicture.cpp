// A pointing hand drawn pixel by pixel, 17 columns wide so it fits a black key.

#include <QColor>

#include <array>
#include <cstddef>

#include "ui/assets/generator/Pictures.h"

namespace tastiva::make_assets {

QImage DrawKeyPicture() {
  // o outline, s skin, h highlight, p pink shade, d deep shade, n nail, . transparent
  static constexpr std::array<const char*, 32> kRows = {
      "....oooo.........",  //
      "...ohnnpo........",  //
      "...ohnnpo........",  //
      "...ohsspo........",  //
      "...ohsspo........",  //
      "...ohsspo........",  //
      "...ohsspo........",  //
      "...ohsspo........",  //
      "...ohsspooo......",  //
      "...ohpppohsooo...",  //
      "...ohsspohsohsoo.",  //
      ".ooohsspohsohsoso",  //
      "ohhohsspohsohsoso",  //
      "ohsohsspohsohsoso",  //
      "ohsohsspohsohsoso",  //
      "ohsohsspohsohsoso",  //
      "ohsohssponsonsono",  //
      "ohssossspppppppdo",  //
      "ohsssosssssssssdo",  //
      "ohssssosssssssspo",  //
      ".ohsssssssssssspo",  //
      ".ohssssssssssssdo",  //
      "..ohsssssssssspo.",  //
      "..ohsssssssssspo.",  //
      "...ohssssssssspo.",  //
      "...ohssssssssspo.",  //
      "...ohssssssssspo.",  //
      "...ohssssssssspo.",  //
      "...ohssssssssspo.",  //
      "...ohssssssssspo.",  //
      "...ohssssssssspo.",  //
      "...ooooooooooooo.",  //
  };
  // A mid-dark sienna rim: dark enough against white, still visible against black.
  const QRgb outline = qRgb(0xA4, 0x4A, 0x28);
  const QRgb skin = qRgb(0xFF, 0xC9, 0x98);
  const QRgb highlight = qRgb(0xFF, 0xE2, 0xC4);
  const QRgb pink = qRgb(0xF2, 0x9C, 0x90);
  const QRgb deep = qRgb(0xD9, 0x80, 0x6A);
  const QRgb nail = qRgb(0xFF, 0xDF, 0xDA);

  QImage img(32, 32, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 17; ++x) {
      QRgb colour = 0;
      switch (kRows[static_cast<std::size_t>(y)][x]) {
        case 'o':
          colour = outline;
          break;
        case 's':
          colour = skin;
          break;
        case 'h':
          colour = highlight;
          break;
        case 'p':
          colour = pink;
          break;
        case 'd':
          colour = deep;
          break;
        case 'n':
          colour = nail;
          break;
        default:
          continue;
      }
      img.setPixel(x, y, colour);
    }
  }
  return img;
}

}  // namespace tastiva::make_assets
