// Draws the program's pictures and writes them in the exact file formats the program reads:
// MainIcon.ico (48x48), KeyPicture.ico (32x32) and notice.bmp (685x361); and the main icon in
// each size asked for, for desktop menus (MainIcon-<size>.png) and, as the window's icon, raw
// (MainIcon-<size>.argb), all of them in one Windows icon for the program file
// (MainIconSet.ico), as MainIcon.svg and, for macOS, MainIcon.icns.
// Usage: make_assets <output directory> <icon size>...

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <QtEndian>

#include <cstdio>
#include <utility>
#include <vector>

#include "ui/assets/generator/Encoders.h"
#include "ui/assets/generator/Pictures.h"

namespace {

bool WriteFile(const QString& path, const QByteArray& data) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(data) == data.size() && file.flush();
}

// Premultiplied ARGB32, each pixel a little-endian 32-bit word, rows top down: the window's
// icon is taken as it is at start-up, where decoding seven PNGs (and Qt's search of its image
// plugins for one) took 2 ms before the window could map.
QByteArray RawPremultiplied(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  QByteArray raw(argb.width() * argb.height() * 4, '\0');
  for (int y = 0; y < argb.height(); ++y) {
    qToLittleEndian<quint32>(argb.constScanLine(y), argb.width(),
                             raw.data() + qsizetype{y} * argb.width() * 4);
  }
  return raw;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tastiva::make_assets;
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_assets <output directory> <icon size>...\n");
    return 2;
  }
  // Runs during the build, where there may be no display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString dir = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(dir)) {
    std::fprintf(stderr, "make_assets: cannot create %s\n", argv[1]);
    return 1;
  }
  const QString family = QFontInfo(NoticeFont(16, QFont::Normal)).family();
  if (family != "Liberation Sans") {
    std::fprintf(stderr, "make_assets: warning: notice drawn with %s; install fonts-liberation\n",
                 qPrintable(family));
  }
  const QImage notice = DrawNotice();
  if (notice.isNull()) return 1;
  std::vector<std::pair<QString, QByteArray>> files{
      {"MainIcon.ico", EncodeIco(DrawMainIcon())},
      {"KeyPicture.ico", EncodeIco(DrawKeyPicture())},
      {"notice.bmp", EncodeBmp(notice)},
      {"MainIcon.svg", MainIconSvg()},
      {"MainIcon.icns", EncodeIcns(DrawMainIcon(128), DrawMainIcon(256))},
  };
  std::vector<QImage> icons;
  for (int i = 2; i < argc; ++i) {
    const int size = QString::fromLocal8Bit(argv[i]).toInt();
    if (size < 16 || size > 256) {
      std::fprintf(stderr, "make_assets: no icon size: %s\n", argv[i]);
      return 2;
    }
    icons.push_back(DrawMainIcon(size));
    files.emplace_back(QString("MainIcon-%1.png").arg(size), EncodePng(icons.back()));
    files.emplace_back(QString("MainIcon-%1.argb").arg(size), RawPremultiplied(icons.back()));
  }
  files.emplace_back("MainIconSet.ico", EncodeIcoSet(icons));
  for (const auto& [name, data] : files) {
    if (!WriteFile(dir + '/' + name, data)) {
      std::fprintf(stderr, "make_assets: cannot write %s/%s\n", argv[1], qPrintable(name));
      return 1;
    }
  }
  return 0;
}
