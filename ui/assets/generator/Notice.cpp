// Title, tagline and hints over a warm dark ground with a keyboard along the bottom.

#include <QColor>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>

#include "ui/assets/generator/Pictures.h"

namespace tastiva::make_assets {

namespace {

constexpr int kNoticeWidth = 685;
constexpr int kNoticeHeight = 361;

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

}  // namespace

QFont NoticeFont(qreal pixel_size, int weight) {
  QFont font("Liberation Sans");
  font.setPixelSize(qRound(pixel_size));
  font.setWeight(static_cast<QFont::Weight>(weight));
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

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

}  // namespace tastiva::make_assets
