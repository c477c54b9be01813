// Draws the program's pictures and writes them in the exact file formats the program reads:
// MainIcon.ico (48x48), KeyPicture.ico (32x32) and notice.bmp (685x361); and the same main icon
// for desktop menus: MainIcon-48.png, MainIcon-128.png, MainIcon-256.png and MainIcon.svg.
// Usage: make_assets <output directory>

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// File formats

void PutU16(QByteArray& out, std::uint16_t v) {
  out.append(static_cast<char>(v & 0xFF));
  out.append(static_cast<char>((v >> 8) & 0xFF));
}

void PutU32(QByteArray& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.append(static_cast<char>((v >> shift) & 0xFF));
}

void PutBitmapInfoHeader(QByteArray& out, int width, int height, std::uint32_t image_size) {
  PutU32(out, 40);
  PutU32(out, static_cast<std::uint32_t>(width));
  PutU32(out, static_cast<std::uint32_t>(height));
  PutU16(out, 1);   // planes
  PutU16(out, 24);  // bits per pixel
  PutU32(out, 0);   // uncompressed
  PutU32(out, image_size);
  PutU32(out, 0);  // x pixels per metre
  PutU32(out, 0);  // y pixels per metre
  PutU32(out, 0);  // colours used
  PutU32(out, 0);  // colours important
}

int Padded4(int bytes) {
  return (bytes + 3) / 4 * 4;
}

// A 1-bit mask cannot hold soft edges, so half-covered pixels decide by majority.
bool Opaque(QRgb px) {
  return qAlpha(px) >= 128;
}

// Windows icon, one 24-bit image with its AND mask (bit set = transparent).
QByteArray EncodeIco(const QImage& source) {
  const QImage img = source.convertToFormat(QImage::Format_ARGB32);
  const int w = img.width();
  const int h = img.height();
  const int xor_row = Padded4(w * 3);
  const int and_row = Padded4((w + 7) / 8);
  const auto image_size = static_cast<std::uint32_t>((xor_row + and_row) * h);
  const std::uint32_t entry_size = 40 + image_size;

  QByteArray out;
  PutU16(out, 0);  // reserved
  PutU16(out, 1);  // icon
  PutU16(out, 1);  // one image
  out.append(static_cast<char>(w));
  out.append(static_cast<char>(h));
  out.append('\0');  // no palette
  out.append('\0');  // reserved
  PutU16(out, 1);    // planes
  PutU16(out, 24);   // bits per pixel
  PutU32(out, entry_size);
  PutU32(out, 6 + 16);  // image data follows the single directory entry
  PutBitmapInfoHeader(out, w, h * 2, image_size);

  for (int y = h - 1; y >= 0; --y) {
    const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    QByteArray row(xor_row, '\0');
    for (int x = 0; x < w; ++x) {
      if (!Opaque(line[x])) continue;  // transparent pixels stay black so XOR leaves the ground
      row[x * 3 + 0] = static_cast<char>(qBlue(line[x]));
      row[x * 3 + 1] = static_cast<char>(qGreen(line[x]));
      row[x * 3 + 2] = static_cast<char>(qRed(line[x]));
    }
    out.append(row);
  }
  for (int y = h - 1; y >= 0; --y) {
    const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    QByteArray row(and_row, '\0');
    for (int x = 0; x < w; ++x) {
      if (!Opaque(line[x])) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
    }
    out.append(row);
  }
  return out;
}

// Uncompressed 24-bit BMP, bottom-up, with the header values the program's loader expects.
QByteArray EncodeBmp(const QImage& source) {
  const QImage img = source.convertToFormat(QImage::Format_RGB32);
  const int w = img.width();
  const int h = img.height();
  const int row_size = Padded4(w * 3);
  const auto file_size = static_cast<std::uint32_t>(14 + 40 + row_size * h);

  QByteArray out;
  out.append("BM", 2);
  PutU32(out, file_size);
  PutU32(out, 0);  // reserved
  PutU32(out, 14 + 40);
  PutBitmapInfoHeader(out, w, h, 0);
  for (int y = h - 1; y >= 0; --y) {
    const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    QByteArray row(row_size, '\0');
    for (int x = 0; x < w; ++x) {
      row[x * 3 + 0] = static_cast<char>(qBlue(line[x]));
      row[x * 3 + 1] = static_cast<char>(qGreen(line[x]));
      row[x * 3 + 2] = static_cast<char>(qRed(line[x]));
    }
    out.append(row);
  }
  return out;
}

bool WriteFile(const QString& path, const QByteArray& data) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(data) == data.size() && file.flush();
}

// ---------------------------------------------------------------------------------------------
// MainIcon: one octave, pixel-aligned so it stays sharp at 48x48. Kept as rectangles so the
// desktop icons (larger PNGs, SVG) are the same picture as the window icon.

struct IconRect {
  int x, y, w, h;
  QRgb colour;
};

constexpr int kMainIconGrid = 48;

std::vector<IconRect> MainIconRects() {
  constexpr int kLeft = 2;
  constexpr int kTop = 12;  // 24 rows: 12 above, 12 below
  constexpr int kPitch = 6;
  constexpr int kWidth = 7 * kPitch + 1;  // 43
  constexpr int kHeight = 24;
  constexpr int kBlackHeight = 15;

  std::vector<IconRect> rects;
  rects.push_back({kLeft, kTop, kWidth, kHeight, qRgb(0x80, 0x80, 0x80)});  // outline
  for (int k = 0; k < 7; ++k) {
    const int x = kLeft + 1 + k * kPitch;
    rects.push_back({x, kTop + 1, kPitch - 1, kHeight - 2, qRgb(0xFF, 0xFF, 0xFF)});
    rects.push_back({x, kTop + kHeight - 4, kPitch - 1, 2, qRgb(0xE4, 0xE4, 0xE4)});  // key front
    rects.push_back({x, kTop + kHeight - 2, kPitch - 1, 1, qRgb(0xCC, 0xCC, 0xCC)});
  }
  // Black keys sit on the boundaries after C, D, F, G and A; 3 px leaves the white keys
  // between them visible at this size.
  for (int boundary : {1, 2, 4, 5, 6}) {
    const int x = kLeft + boundary * kPitch - 1;
    rects.push_back({x, kTop + 1, 3, kBlackHeight, qRgb(0x1E, 0x1E, 0x1E)});
    rects.push_back({x, kTop + kBlackHeight - 1, 3, 1, qRgb(0x50, 0x50, 0x50)});  // key front
  }
  return rects;
}

QImage DrawMainIcon(int size = kMainIconGrid) {
  QImage img(size, size, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  const qreal scale = qreal(size) / kMainIconGrid;
  QPainter p(&img);
  // Whole-number scales keep every edge on a pixel; others need soft edges.
  p.setRenderHint(QPainter::Antialiasing, size % kMainIconGrid != 0);
  for (const IconRect& r : MainIconRects()) {
    p.fillRect(QRectF(r.x * scale, r.y * scale, r.w * scale, r.h * scale), QColor(r.colour));
  }
  return img;
}

QByteArray EncodePng(const QImage& img) {
  QByteArray out;
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  img.save(&buffer, "PNG");
  return out;
}

// A macOS icon: big-endian chunks holding PNGs (ic07 128 px, ic08 256 px).
QByteArray EncodeIcns() {
  auto bigEndian = [](QByteArray& out, quint32 v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.append(static_cast<char>((v >> shift) & 0xFF));
  };
  QByteArray chunks;
  for (const auto& [type, size] : {std::pair{"ic07", 128}, std::pair{"ic08", 256}}) {
    const QByteArray png = EncodePng(DrawMainIcon(size));
    chunks.append(type, 4);
    bigEndian(chunks, static_cast<quint32>(png.size() + 8));
    chunks.append(png);
  }
  QByteArray out("icns", 4);
  bigEndian(out, static_cast<quint32>(chunks.size() + 8));
  return out + chunks;
}

QByteArray MainIconSvg() {
  QByteArray out =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"48\" height=\"48\" "
      "viewBox=\"0 0 48 48\" shape-rendering=\"crispEdges\">\n";
  for (const IconRect& r : MainIconRects()) {
    out += QString("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\"/>\n")
               .arg(r.x)
               .arg(r.y)
               .arg(r.w)
               .arg(r.h)
               .arg(QColor(r.colour).name())
               .toUtf8();
  }
  out += "</svg>\n";
  return out;
}

// ---------------------------------------------------------------------------------------------
// KeyPicture: a pointing hand drawn pixel by pixel, 17 columns wide so it fits a black key.

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

// ---------------------------------------------------------------------------------------------
// Notice: title, tagline and hints over a warm dark ground with a keyboard along the bottom.

constexpr int kNoticeWidth = 685;
constexpr int kNoticeHeight = 361;

QFont NoticeFont(qreal pixel_size, int weight) {
  QFont font("Liberation Sans");
  font.setPixelSize(qRound(pixel_size));
  font.setWeight(static_cast<QFont::Weight>(weight));
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

void DrawBackground(QPainter& p) {
  QLinearGradient ground(0, 0, 0, kNoticeHeight);
  ground.setColorAt(0.0, QColor(0x3B, 0x23, 0x19));
  ground.setColorAt(1.0, QColor(0x1A, 0x10, 0x0C));
  p.fillRect(0, 0, kNoticeWidth, kNoticeHeight, ground);

  // Warm light behind the text, away from the close button.
  QRadialGradient glow(QPointF(300, 130), 360);
  glow.setColorAt(0.0, QColor(0xE0, 0x8A, 0x3C, 70));
  glow.setColorAt(1.0, QColor(0xE0, 0x8A, 0x3C, 0));
  p.fillRect(0, 0, kNoticeWidth, kNoticeHeight, glow);
}

// A note head, tilted like engraved ones, with its stem up; returns the top of the stem.
QPointF AddNote(QPainterPath& path, QPointF head, qreal stem_length) {
  QPainterPath oval;
  oval.addEllipse(QPointF(0, 0), 9, 6.2);
  path.addPath(QTransform().translate(head.x(), head.y()).rotate(-22).map(oval));
  const QPointF foot(head.x() + 7.4, head.y() - 3);
  path.addRect(QRectF(foot.x() - 2.4, foot.y() - stem_length, 2.4, stem_length));
  return QPointF(foot.x(), foot.y() - stem_length);
}

// Faint notes fill the space right of the title without competing with the text.
void DrawNotes(QPainter& p) {
  QPainterPath notes;
  notes.setFillRule(Qt::WindingFill);
  const QPointF a = AddNote(notes, QPointF(492, 122), 58);
  const QPointF b = AddNote(notes, QPointF(540, 110), 58);
  QPainterPath beam;
  beam.moveTo(a.x() - 2.4, a.y());
  beam.lineTo(b.x(), b.y());
  beam.lineTo(b.x(), b.y() + 8);
  beam.lineTo(a.x() - 2.4, a.y() + 8);
  beam.closeSubpath();
  notes.addPath(beam);

  const QPointF c = AddNote(notes, QPointF(604, 92), 54);
  QPainterPath flag;
  flag.moveTo(c.x() - 1, c.y());
  flag.cubicTo(c.x() + 2, c.y() + 12, c.x() + 20, c.y() + 16, c.x() + 13, c.y() + 38);
  flag.cubicTo(c.x() + 15, c.y() + 26, c.x() + 8, c.y() + 20, c.x() - 1, c.y() + 18);
  flag.closeSubpath();
  notes.addPath(flag);

  // One fill of the merged outline, so overlaps do not show through the transparency.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xF4, 0xB0, 0x62, 54));
  p.drawPath(notes.simplified());
}

void DrawKeyboard(QPainter& p, qreal top) {
  constexpr qreal kKeyWidth = 30;
  const qreal bottom = kNoticeHeight;
  const qreal felt = 6;
  const qreal key_top = top + felt;
  // Start mid-octave so the edges cut through keys like a wider instrument.
  constexpr int kFirstWhite = 5;  // A
  const qreal start = -12;

  QLinearGradient ivory(0, key_top, 0, bottom);
  ivory.setColorAt(0.0, QColor(0xE8, 0xDC, 0xC8));
  ivory.setColorAt(0.12, QColor(0xFB, 0xF5, 0xEA));
  ivory.setColorAt(1.0, QColor(0xEE, 0xE3, 0xD0));
  const int whites = static_cast<int>((kNoticeWidth - start) / kKeyWidth) + 1;
  for (int i = 0; i < whites; ++i) {
    const QRectF key(start + i * kKeyWidth, key_top, kKeyWidth, bottom - key_top);
    p.fillRect(key, ivory);
    p.fillRect(QRectF(key.right() - 1, key_top, 1, key.height()), QColor(0xA8, 0x98, 0x80));
  }

  // Whole-pixel black keys keep their edges sharp.
  constexpr qreal kBlackWidth = 18;
  const qreal black_height = 46;
  QLinearGradient ebony(0, key_top, 0, key_top + black_height);
  ebony.setColorAt(0.0, QColor(0x0C, 0x08, 0x06));
  ebony.setColorAt(1.0, QColor(0x24, 0x1C, 0x17));
  constexpr std::array<bool, 7> kHasBlackAfter = {true, true, false, true, true, true, false};
  for (int i = 0; i < whites; ++i) {
    if (!kHasBlackAfter[static_cast<std::size_t>((kFirstWhite + i) % 7)]) continue;
    const qreal x = start + (i + 1) * kKeyWidth - kBlackWidth / 2;
    const QRectF key(x, key_top - 4, kBlackWidth, black_height + 4);  // top hidden by the felt
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 55));  // shadow on the ivory
    p.drawRoundedRect(key.adjusted(1, 0, 3, 3), 2, 2);
    p.setBrush(ebony);
    p.drawRoundedRect(key, 2, 2);
    // The sloped front of the key catches the light.
    const QRectF front(x + 2, key.bottom() - 8, kBlackWidth - 4, 6);
    QLinearGradient lit(0, front.top(), 0, front.bottom());
    lit.setColorAt(0.0, QColor(0x2A, 0x22, 0x1E));
    lit.setColorAt(1.0, QColor(0x5A, 0x4E, 0x47));
    p.setBrush(lit);
    p.drawRoundedRect(front, 1.5, 1.5);
  }

  QLinearGradient felt_fill(0, top, 0, key_top);
  felt_fill.setColorAt(0.0, QColor(0x6E, 0x16, 0x16));
  felt_fill.setColorAt(1.0, QColor(0x4A, 0x0C, 0x0C));
  p.fillRect(QRectF(0, top, kNoticeWidth, felt), felt_fill);

  // Felt casts a soft shadow onto the tops of the keys.
  QLinearGradient shade(0, key_top, 0, key_top + 10);
  shade.setColorAt(0.0, QColor(0, 0, 0, 110));
  shade.setColorAt(1.0, QColor(0, 0, 0, 0));
  p.fillRect(QRectF(0, key_top, kNoticeWidth, 10), shade);
}

// A keycap with its letter, centred on the capitals of the 16 px body text; returns the x just
// past it.
qreal DrawKeycap(QPainter& p, qreal x, qreal baseline, const QString& letter) {
  constexpr qreal kSize = 21;
  const QRectF cap(x + 1, baseline - 6 - kSize / 2, kSize, kSize);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 70));
  p.drawRoundedRect(cap.translated(0, 1.5), 4, 4);
  QLinearGradient face(0, cap.top(), 0, cap.bottom());
  face.setColorAt(0.0, QColor(0x6A, 0x48, 0x34));
  face.setColorAt(1.0, QColor(0x4C, 0x32, 0x24));
  p.setPen(QPen(QColor(0xB8, 0x86, 0x58), 1));
  p.setBrush(face);
  p.drawRoundedRect(cap.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
  p.setPen(QColor(0xFF, 0xEC, 0xD2));
  p.setFont(NoticeFont(12, QFont::Bold));
  p.drawText(cap.adjusted(0, 0, 0, -1), Qt::AlignCenter, letter);
  return cap.right() + 4;
}

qreal DrawRun(QPainter& p, qreal x, qreal baseline, const QString& text, const QFont& font,
              const QColor& colour) {
  p.setFont(font);
  p.setPen(colour);
  p.drawText(QPointF(x, baseline), text);
  return x + QFontMetricsF(font).horizontalAdvance(text);
}

// Returns the right edge of the widest line.
qreal DrawText(QPainter& p) {
  constexpr qreal kLeft = 56;
  const QColor body(0xEE, 0xDF, 0xCC);
  const QColor amber(0xF4, 0xB0, 0x62);

  const QFont title = NoticeFont(72, QFont::Bold);
  QLinearGradient gold(0, 56, 0, 124);
  gold.setColorAt(0.0, QColor(0xFF, 0xF1, 0xD6));
  gold.setColorAt(1.0, QColor(0xF2, 0xBD, 0x78));
  QPainterPath title_path;
  title_path.addText(QPointF(kLeft - 4, 118), title, "Tastiva");
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 90));
  p.drawPath(title_path.translated(2, 3));
  p.setBrush(gold);
  p.drawPath(title_path);

  DrawRun(p, kLeft, 156, "Your computer keyboard is a piano.", NoticeFont(24, QFont::Normal),
          amber);

  const QFont hint = NoticeFont(16, QFont::Normal);
  const qreal rows[] = {196, 226, 256};
  auto bullet = [&](qreal baseline) {
    p.setPen(Qt::NoPen);
    p.setBrush(amber);
    p.drawEllipse(QPointF(kLeft + 3, baseline - 5), 3, 3);
    return kLeft + 16;
  };

  qreal right = kLeft + QFontMetricsF(title).horizontalAdvance("Tastiva");
  qreal x = bullet(rows[0]);
  x = DrawRun(p, x, rows[0], "Play with the mouse or two rows of keys: ", hint, body);
  for (const char* letter : {"Q", "W", "E", "R"}) x = DrawKeycap(p, x, rows[0], letter);
  x = DrawRun(p, x, rows[0], QString::fromUtf8("\u2026 and "), hint, body);
  for (const char* letter : {"Z", "X", "C", "V"}) x = DrawKeycap(p, x, rows[0], letter);
  right = std::max(right, DrawRun(p, x, rows[0], QString::fromUtf8("\u2026"), hint, body));

  right = std::max(right, DrawRun(p, bullet(rows[1]), rows[1],
                                  "Choose an instrument and a device above the keys.", hint, body));
  x = DrawRun(p, bullet(rows[2]), rows[2], "Close this notice with ", hint, body);
  x = DrawKeycap(p, x, rows[2], "X");
  return std::max(right, DrawRun(p, x, rows[2], "to start playing.", hint, body));
}

// Null when the text would not fit, e.g. with a wider fallback font.
QImage DrawNotice() {
  QImage img(kNoticeWidth, kNoticeHeight, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  DrawBackground(p);
  DrawNotes(p);
  const qreal right = DrawText(p);
  DrawKeyboard(p, 280);
  if (right > kNoticeWidth - 24) {
    std::fprintf(stderr, "make_assets: notice text runs to x=%.0f of %d\n", right, kNoticeWidth);
    return {};
  }
  return img;
}

}  // namespace

int main(int argc, char** argv) {
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
      {"MainIcon.icns", EncodeIcns()},
  };
  for (const auto& file : files) {
    if (!WriteFile(dir + '/' + file.name, file.data)) {
      std::fprintf(stderr, "make_assets: cannot write %s/%s\n", argv[1], file.name);
      return 1;
    }
  }
  return 0;
}
