// Draws the program's pictures and writes them in the exact file formats the program reads:
// MainIcon.ico (48x48), KeyPicture.ico (32x32) and notice.bmp (685x361); and the same main icon
// for desktop menus and macOS: MainIcon-48.png, MainIcon-128.png, MainIcon-256.png,
// MainIcon.svg and MainIcon.icns.
// Usage: make_assets <output directory>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>

#include "ui/assets/generator/Encoders.h"
#include "ui/assets/generator/Pictures.h"

namespace {

bool WriteFile(const QString& path, const QByteArray& data) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(data) == data.size() && file.flush();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tastiva::make_assets;
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_assets <output directory>\n");
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
  const struct {
    const char* name;
    QByteArray data;
  } files[] = {
      {"MainIcon.ico", EncodeIco(DrawMainIcon())},
      {"KeyPicture.ico", EncodeIco(DrawKeyPicture())},
      {"notice.bmp", EncodeBmp(notice)},
      {"MainIcon-48.png", EncodePng(DrawMainIcon(48))},
      {"MainIcon-128.png", EncodePng(DrawMainIcon(128))},
      {"MainIcon-256.png", EncodePng(DrawMainIcon(256))},
      {"MainIcon.svg", MainIconSvg()},
      {"MainIcon.icns", EncodeIcns(DrawMainIcon(128), DrawMainIcon(256))},
  };
  for (const auto& file : files) {
    if (!WriteFile(dir + '/' + file.name, file.data)) {
      std::fprintf(stderr, "make_assets: cannot write %s/%s\n", argv[1], file.name);
      return 1;
    }
  }
  return 0;
}
