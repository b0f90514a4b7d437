#pragma once
// The window's pictures, drawn in code so that they are sharp at every device pixel ratio.

#include <QIcon>
#include <QPixmap>

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
