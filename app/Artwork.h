#pragma once
// The window's pictures, drawn in code so that they are sharp at every device pixel ratio.

#include <QIcon>
#include <QPixmap>

#include <functional>

class QPainter;

inline constexpr int kBannerWidth = 461;
inline constexpr int kBannerHeight = 38;

// The banner: a light-blue strip with the program's name in grey at its right end;
// kBannerWidth x kBannerHeight logical pixels, rendered for the given device pixel ratio.
QPixmap bannerPixmap(qreal devicePixelRatio);

// The program's icon: a radio mast sending waves, on a blue rounded square.
QIcon programIcon();

// 16 x 16 button glyphs: a triangle pointing left or right.
QIcon leftTriangleIcon();
QIcon rightTriangleIcon();

// A transparent pixmap of the logical size at the pixel ratio, drawn by `paint` in logical
// coordinates with antialiasing on.
QPixmap paintedPixmap(QSize logical, qreal devicePixelRatio,
                      const std::function<void(QPainter&)>& paint);
// An icon of the logical size with renderings for the usual pixel ratios (1, 1.5, 2 and 3).
QIcon paintedIcon(QSize logical, const std::function<void(QPainter&)>& paint);
