#pragma once
// The window font: "微软雅黑", 12 pixels, regular. Where that family is not installed, Qt is
// told which CJK sans-serif families stand in for it, so Chinese text renders in a matching
// face rather than in whatever the system's first fallback happens to be.

#include <QFont>

QFont windowFont(int pixelSize = 12);
