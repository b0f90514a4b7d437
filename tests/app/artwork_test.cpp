// The pictures of the pages: each renders at its logical size, sharp (with its own pixels) at
// twice the pixel density, and not blank.

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <functional>

#include "app/PageArtwork.h"

namespace {

int opaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return count;
}

TEST(PageArtwork, EveryPictureHasItsOwnPixelsAtOneAndTwoTimesDensity) {
    struct Picture {
        const char* name;
        std::function<QIcon()> make;
        QSize size;
    };
    const Picture pictures[] = {
        {"saveList", saveListIcon, QSize(16, 16)},
        {"previousArrow", previousArrowIcon, QSize(16, 16)},
        {"nextArrow", nextArrowIcon, QSize(16, 16)},
        {"undoArrow", undoArrowIcon, QSize(16, 16)},
        {"wasteBin", wasteBinIcon, QSize(16, 16)},
        {"preview", previewIcon, QSize(16, 16)},
        {"cardboardBox", cardboardBoxIcon, QSize(22, 22)},
        {"blueRightArrow", blueRightArrowIcon, QSize(22, 22)},
        {"speechBubbles", speechBubblesIcon, QSize(22, 22)},
    };
    for (const Picture& picture : pictures) {
        SCOPED_TRACE(picture.name);
        const QIcon icon = picture.make();
        for (qreal ratio : {1.0, 2.0}) {
            const QPixmap pixmap = icon.pixmap(picture.size, ratio);
            EXPECT_EQ(pixmap.size(), picture.size * ratio);
            const QImage image = pixmap.toImage();
            const int covered = opaquePixels(image);
            // Drawn, but not a filled square.
            EXPECT_GT(covered, image.width() * image.height() / 6);
            EXPECT_LT(covered, image.width() * image.height());
        }
    }
}

}  // namespace
