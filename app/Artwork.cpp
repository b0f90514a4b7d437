#include "app/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <cmath>
#include <functional>

namespace {

void paintBanner(QPainter& p) {
    const QRectF strip(0, 0, kBannerWidth, kBannerHeight);
    QLinearGradient sky(strip.topLeft(), strip.bottomLeft());
    sky.setColorAt(0.0, QColor(0xEA, 0xF4, 0xFD));
    sky.setColorAt(1.0, QColor(0xC9, 0xE2, 0xF8));
    p.fillRect(strip, sky);

    // Two soft waves across the strip, like a signal travelling.
    for (int wave = 0; wave < 2; ++wave) {
        QPainterPath path;
        const qreal base = 24 + wave * 6;
        path.moveTo(0, base);
        for (int x = 0; x <= kBannerWidth; x += 4)
            path.lineTo(x, base + 4 * std::sin((x + wave * 40) / 38.0));
        p.setPen(QPen(QColor(255, 255, 255, wave == 0 ? 170 : 110), 1.5));
        p.drawPath(path);
    }
    p.setPen(QPen(QColor(0xA8, 0xCB, 0xEC), 1));
    p.drawLine(QPointF(0, kBannerHeight - 0.5), QPointF(kBannerWidth, kBannerHeight - 0.5));

    // The name at the right end; the picture is 2 pixels wider than the window, so the text
    // keeps its margin clear of the part that is cut off.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    font.setBold(true);
    font.setItalic(true);
    p.setFont(font);
    const QRectF textArea(0, 0, kBannerWidth - 14, kBannerHeight);
    p.setPen(QColor(255, 255, 255, 200));
    p.drawText(textArea.translated(1, 1), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Rovena"));
    p.setPen(QColor(0x80, 0x86, 0x8C));
    p.drawText(textArea, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Rovena"));
}

void paintProgramIcon(QPainter& p, qreal size) {
    p.scale(size / 64.0, size / 64.0);  // drawn on a 64-unit grid
    QLinearGradient back(0, 0, 0, 64);
    back.setColorAt(0, QColor(0x4A, 0x9E, 0xEA));
    back.setColorAt(1, QColor(0x1F, 0x63, 0xB5));
    p.setPen(Qt::NoPen);
    p.setBrush(back);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 13, 13);

    // The mast: a narrow triangle standing on the bottom edge.
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(32, 27), QPointF(23, 54), QPointF(41, 54)}));
    p.setBrush(QColor(0x1F, 0x63, 0xB5));
    p.drawPolygon(QPolygonF({QPointF(32, 36), QPointF(28, 50), QPointF(36, 50)}));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(32, 24), 5, 5);

    // Waves on both sides of the mast's head.
    p.setBrush(Qt::NoBrush);
    for (int ring = 0; ring < 2; ++ring) {
        const qreal r = 11 + ring * 8;
        p.setPen(QPen(Qt::white, 3.6, Qt::SolidLine, Qt::RoundCap));
        const QRectF arc(32 - r, 24 - r, 2 * r, 2 * r);
        p.drawArc(arc, 16 * 135, 16 * 90);  // left
        p.drawArc(arc, -16 * 45, 16 * 90);  // right
    }
}

void paintTriangle(QPainter& p, bool pointsLeft) {
    // A dark green triangle with a lighter face, pointing out of the 16 x 16 cell.
    QPolygonF shape = pointsLeft
                          ? QPolygonF({QPointF(3.5, 8), QPointF(11.5, 2.5), QPointF(11.5, 13.5)})
                          : QPolygonF({QPointF(12.5, 8), QPointF(4.5, 2.5), QPointF(4.5, 13.5)});
    QLinearGradient face(0, 2, 0, 14);
    face.setColorAt(0, QColor(0x5C, 0xC8, 0x4E));
    face.setColorAt(1, QColor(0x24, 0x8A, 0x2C));
    p.setBrush(face);
    p.setPen(QPen(QColor(0x1A, 0x5E, 0x1E), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolygon(shape);
}

}  // namespace

QPixmap paintedPixmap(QSize logical, qreal ratio, const std::function<void(QPainter&)>& paint) {
    QPixmap pixmap(QSize(qCeil(logical.width() * ratio), qCeil(logical.height() * ratio)));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paint(painter);
    return pixmap;
}

QIcon paintedIcon(QSize logical, const std::function<void(QPainter&)>& paint) {
    QIcon icon;
    for (qreal ratio : {1.0, 1.5, 2.0, 3.0}) icon.addPixmap(paintedPixmap(logical, ratio, paint));
    return icon;
}

QPixmap bannerPixmap(qreal devicePixelRatio) {
    return paintedPixmap(QSize(kBannerWidth, kBannerHeight), devicePixelRatio, paintBanner);
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(paintedPixmap(QSize(size, size), 1.0,
                                     [size](QPainter& p) { paintProgramIcon(p, size); }));
    }
    return icon;
}

QIcon leftTriangleIcon() {
    return paintedIcon(QSize(16, 16), [](QPainter& p) { paintTriangle(p, true); });
}

QIcon rightTriangleIcon() {
    return paintedIcon(QSize(16, 16), [](QPainter& p) { paintTriangle(p, false); });
}
