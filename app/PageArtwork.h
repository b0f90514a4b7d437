#pragma once
// The pictures of the two pages, drawn in code like the banner so that they stay sharp at every
// device pixel ratio.

#include <QIcon>
#include <QSize>

// Icon sizes in logical pixels.
inline constexpr QSize kToolIconSize(16, 16);        // toolbar icons, button glyphs
inline constexpr QSize kFlatButtonIconSize(22, 22);  // pictures of the 30 x 30 buttons

// The save button's picture: a small list sheet with bulleted lines.
QIcon saveListIcon();

// The four toolbar icons of the entry page, in toolbar order.
QIcon previousArrowIcon();  // green arrow pointing left
QIcon nextArrowIcon();      // green arrow pointing right
QIcon undoArrowIcon();      // blue curved arrow turning back
QIcon wasteBinIcon();       // green waste bin

// The output page's pictures.
QIcon cardboardBoxIcon();    // choose the storage folder
QIcon blueRightArrowIcon();  // open the storage folder
QIcon speechBubblesIcon();   // the support forum
QIcon previewIcon();         // the preview button: a sheet under a magnifying glass
