#include "badge.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <array>

namespace badge {

namespace {

// Mid-tone colours: white bold text reads on each of them, and each stands out from
// the dark window behind the badge.
constexpr std::array<QRgb, 16> kPalette = {
    0xC0392B,  // red
    0xD35400,  // burnt orange
    0xB9770E,  // ochre
    0x1E8449,  // green
    0x138D75,  // teal
    0x2471A3,  // blue
    0x1F618D,  // deep blue
    0x7D3C98,  // purple
    0xAD1457,  // raspberry
    0x00838F,  // petrol
    0x6D4C41,  // brown
    0x546E7A,  // slate
    0x3949AB,  // indigo
    0x558B2F,  // olive
    0xC2185B,  // pink
    0x5E35B1,  // violet
};

// FNV-1a over the UTF-8 bytes: stable across runs and Qt versions (qHash is seeded).
quint32 StableHash(const QString& text) {
  quint32 h = 2166136261u;
  for (const char c : text.toUtf8()) {
    h ^= quint8(c);
    h *= 16777619u;
  }
  return h;
}

bool IsVowel(QChar c) {
  // Compare the base letter, so "É" counts as a vowel like "E".
  const QString base = QString(c).normalized(QString::NormalizationForm_D);
  return QStringLiteral("AEIOUY").contains(base.isEmpty() ? c : base[0].toUpper());
}

bool HasDigit(const QString& s) {
  return std::any_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); });
}

// One word's share of the initials: a short word with a number ("P3", "Ö1") whole,
// any other word its first character.
QString Piece(const QString& word) {
  if (word.size() <= 2 && HasDigit(word)) return word;
  return word.left(1);
}

// A single word: kept when short ("FIP", "FM4"); else its first character and its
// trailing number ("SWR3" gives "S3"), or its first character and the next consonant
// ("KEXP" gives "KX", "Skyrock" "SK").
QString OneWord(const QString& word) {
  if (word.size() <= 3) return word;
  qsizetype digits = 0;
  while (digits < word.size() && word[word.size() - 1 - digits].isDigit()) ++digits;
  if (digits > 0 && digits < word.size()) return word.left(1) + word.right(std::min<qsizetype>(digits, 2));
  for (qsizetype i = 1; i < word.size(); ++i)
    if (word[i].isLetter() && !IsVowel(word[i])) return word.left(1) + word[i];
  return word.left(2);
}

}  // namespace

QString Initials(const QString& name) {
  // "Radio 1 (VRT)": what stands in parentheses only tells stations apart in lists.
  static const QRegularExpression parenthesised(QStringLiteral("\\([^)]*\\)"));
  static const QRegularExpression separators(QStringLiteral("[^\\p{L}\\p{N}]+"));
  static const QStringList small = {"la", "le", "les", "l", "de", "du", "des", "d", "the", "of", "and", "et"};
  // A frequency ("Resonance 104.4 FM") is not part of the name people say.
  static const QRegularExpression frequency(QStringLiteral("\\b\\d+[.,]\\d+\\b"));
  QString text = name;
  text.remove(parenthesised).remove(frequency);
  // Apostrophes join rather than split: "Mouv'" is one word, "Rock'n'Soul" too.
  text.remove(QChar(u'\'')).remove(QChar(u'’'));
  QStringList words = text.split(separators, Qt::SkipEmptyParts);
  QStringList kept;
  for (const QString& w : words)
    if (!small.contains(w.toLower())) kept.append(w);
  if (kept.isEmpty()) kept = words;
  if (kept.isEmpty()) return QStringLiteral("?");

  QString result;
  if (kept.size() == 1) {
    result = OneWord(kept.front());
  } else {
    for (const QString& w : kept) {
      const QString piece = Piece(w);
      if (result.size() + piece.size() > 3) break;
      result += piece;
    }
    // A number ending the name tells sister stations apart ("Sveriges Radio P1",
    // "NPO Radio 5"): keep it even when the words before it fill the badge.
    const QString last = Piece(kept.back());
    if (HasDigit(last) && !result.endsWith(last)) result = (kept.front().left(1) + last).left(3);
  }
  return result.toUpper();
}

QColor Colour(const QString& key) { return QColor::fromRgb(kPalette[StableHash(key) % kPalette.size()]); }

namespace {

QImage Blank() {
  QImage img(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  return img;
}

// The rounded square with a top-lit gradient and a light rim, so the badge keeps its
// edge on a dark background.
void PaintTile(QPainter& p, const QColor& colour) {
  const QRectF tile(4.5, 4.5, kSize - 9, kSize - 9);
  QPainterPath path;
  path.addRoundedRect(tile, 20, 20);
  QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
  fill.setColorAt(0, colour.lighter(125));
  fill.setColorAt(1, colour.darker(125));
  p.fillPath(path, fill);
  QColor rim = colour.lighter(170);
  rim.setAlpha(210);
  p.setPen(QPen(rim, 2));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  // A soft sheen over the upper half.
  QPainterPath sheen;
  sheen.addRoundedRect(tile.adjusted(3, 3, -3, -tile.height() / 2), 16, 16);
  QLinearGradient gloss(tile.topLeft(), QPointF(tile.left(), tile.center().y()));
  gloss.setColorAt(0, QColor(255, 255, 255, 46));
  gloss.setColorAt(1, QColor(255, 255, 255, 0));
  p.fillPath(sheen, gloss);
}

QFont BadgeFont(int pixelSize) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPixelSize(pixelSize);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

}  // namespace

QImage Paint(const QString& initials, const QColor& colour) {
  QImage img = Blank();
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  PaintTile(p, colour);

  // The largest size that fits 70 pixels wide: one letter is big, three still read.
  const int start = initials.size() <= 1 ? 54 : initials.size() == 2 ? 44 : 34;
  QFont font = BadgeFont(start);
  for (int px = start; px > 12; px -= 2) {
    font = BadgeFont(px);
    if (QFontMetricsF(font).horizontalAdvance(initials) <= 70) break;
  }
  p.setFont(font);
  // Centre on the ink, not the line box, so capitals sit in the middle.
  const QRectF ink = QFontMetricsF(font).tightBoundingRect(initials);
  const QPointF origin(kSize / 2.0 - ink.center().x(), kSize / 2.0 - ink.center().y());
  p.setPen(QColor(0, 0, 0, 90));
  p.drawText(origin + QPointF(0, 1.5), initials);
  p.setPen(Qt::white);
  p.drawText(origin, initials);
  p.end();
  return img;
}

QImage PaintNoIcon() {
  QImage img = Blank();
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  PaintTile(p, QColor(0x6B, 0x72, 0x78));

  const QColor ink(255, 255, 255, 235);
  // Antenna.
  p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(36, 40), QPointF(62, 22));
  p.setBrush(ink);
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(62, 22), 3.5, 3.5);
  // Cabinet.
  const QRectF body(20, 40, 56, 36);
  p.setPen(QPen(ink, 3));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(body, 7, 7);
  // Speaker grille on the left, dial and knob on the right.
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) p.drawEllipse(QPointF(32 + col * 7, 50 + row * 8), 2.2, 2.2);
  p.setPen(QPen(ink, 2.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(56, 50), QPointF(68, 50));
  p.drawLine(QPointF(56, 55), QPointF(68, 55));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(62, 66), 4.5, 4.5);
  p.end();
  return img;
}

}  // namespace badge
