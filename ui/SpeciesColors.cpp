#include "ui/SpeciesColors.h"

#include <array>
#include <cassert>

namespace zamo {

namespace {

constexpr std::array<QRgb, 8> kColors = {
    qRgb(255, 0, 0),    // A red
    qRgb(0, 0, 255),    // B blue
    qRgb(0, 128, 0),    // C green
    qRgb(0, 128, 128),  // D teal
    qRgb(128, 0, 128),  // E purple
    qRgb(0, 255, 0),    // F lime
    qRgb(0, 255, 255),  // G aqua
    qRgb(255, 0, 255),  // H fuchsia
};

using Pattern = std::array<const char*, 5>;
constexpr Pattern kDiagonalCross = {"X...X", ".X.X.", "..X..", ".X.X.", "X...X"};
constexpr Pattern kTriangle = {"..X..", ".X.X.", ".X.X.", "X...X", "XXXXX"};
constexpr Pattern kDiamond = {"..X..", ".X.X.", "X...X", ".X.X.", "..X.."};
constexpr Pattern kUprightCross = {"..X..", "..X..", "XXXXX", "..X..", "..X.."};
constexpr Pattern kSquare = {"XXXXX", "X...X", "X...X", "X...X", "XXXXX"};
constexpr std::array<const Pattern*, 8> kPatterns = {&kDiagonalCross, &kDiagonalCross, &kDiagonalCross, &kTriangle,
                                                     &kDiamond,       &kUprightCross,  &kSquare,        &kSquare};

// The markers were stored with 5 bits per colour channel, which turns 128 into 123.
QRgb FiveBitColor(QRgb rgb) {
  const auto channel = [](int value) { return value * 31 / 255 * 255 / 31; };
  return qRgb(channel(qRed(rgb)), channel(qGreen(rgb)), channel(qBlue(rgb)));
}

QImage MakeMarker(int species) {
  QImage image(5, 5, QImage::Format_RGB32);
  const QRgb color = FiveBitColor(kColors[static_cast<std::size_t>(species - 1)]);
  const Pattern& pattern = *kPatterns[static_cast<std::size_t>(species - 1)];
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x)
      image.setPixel(x, y, pattern[static_cast<std::size_t>(y)][x] == 'X' ? color : qRgb(255, 255, 255));
  }
  return image;
}

}  // namespace

QColor SpeciesColor(int species) {
  assert(species >= 1 && species <= 8);
  return QColor(kColors[static_cast<std::size_t>(species - 1)]);
}

const QImage& SpeciesMarker(int species) {
  assert(species >= 1 && species <= 8);
  static const std::array<QImage, 8> markers = {MakeMarker(1), MakeMarker(2), MakeMarker(3), MakeMarker(4),
                                                MakeMarker(5), MakeMarker(6), MakeMarker(7), MakeMarker(8)};
  return markers[static_cast<std::size_t>(species - 1)];
}

QColor PlotSpeciesColor(int species) {
  switch (species) {
    case 6:
      return {50, 160, 0};  // F: lime, darkened
    case 7:
      return {0, 150, 200};  // G: aqua, darkened
    default:
      return SpeciesColor(species);
  }
}

QColor GridColor() { return QColor(200, 200, 200); }

}  // namespace zamo
