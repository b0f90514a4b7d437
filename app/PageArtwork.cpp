#include "app/PageArtwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include "app/Artwork.h"

namespace {

// Every picture is drawn on a grid of `units` and scaled to its logical size.
QIcon iconOnGrid(QSize size, qreal units, const std::function<void(QPainter&)>& paint) {
    return paintedIcon(size, [size, units, paint](QPainter& p) {
        p.scale(size.width() / units, size.height() / units);
        paint(p);
    });
}

QLinearGradient verticalGradient(qreal top, qreal bottom, QColor light, QColor dark) {
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, light);
    gradient.setColorAt(1, dark);
    return gradient;
}

QPen outline(QColor colour, qreal width = 1.0) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

const QColor kGreenLight(0x7B, 0xD8, 0x5E);
const QColor kGreenDark(0x2A, 0x93, 0x2C);
const QColor kGreenEdge(0x1C, 0x62, 0x1F);
const QColor kBlueLight(0x6C, 0xB6, 0xF5);
const QColor kBlueDark(0x1D, 0x66, 0xC4);
const QColor kBlueEdge(0x13, 0x47, 0x8C);

// A straight arrow on the 16-unit grid: shaft and head, pointing right unless mirrored.
void paintStraightArrow(QPainter& p, bool pointsLeft, QColor light, QColor dark, QColor edge) {
    QPolygonF arrow({QPointF(2, 6.2), QPointF(8, 6.2), QPointF(8, 2.5), QPointF(14, 8),
                     QPointF(8, 13.5), QPointF(8, 9.8), QPointF(2, 9.8)});
    if (pointsLeft) {
        for (QPointF& point : arrow) point.setX(16 - point.x());
    }
    p.setBrush(verticalGradient(2.5, 13.5, light, dark));
    p.setPen(outline(edge, 0.9));
    p.drawPolygon(arrow);
    // A highlight along the upper edge of the shaft.
    p.setPen(outline(QColor(255, 255, 255, 150), 0.8));
    const qreal from = pointsLeft ? 13.4 : 2.6;
    const qreal to = pointsLeft ? 8.6 : 7.4;
    p.drawLine(QPointF(from, 7.0), QPointF(to, 7.0));
}

void paintSaveList(QPainter& p) {
    // The sheet, with a folded corner.
    QPainterPath sheet;
    sheet.moveTo(2.5, 1.5);
    sheet.lineTo(10.5, 1.5);
    sheet.lineTo(13.5, 4.5);
    sheet.lineTo(13.5, 14.5);
    sheet.lineTo(2.5, 14.5);
    sheet.closeSubpath();
    p.setBrush(verticalGradient(1.5, 14.5, Qt::white, QColor(0xE4, 0xEC, 0xF5)));
    p.setPen(outline(QColor(0x5A, 0x6E, 0x86), 0.9));
    p.drawPath(sheet);
    p.setBrush(QColor(0xC8, 0xD6, 0xE6));
    p.drawPolygon(QPolygonF({QPointF(10.5, 1.5), QPointF(10.5, 4.5), QPointF(13.5, 4.5)}));

    // Three bulleted lines.
    for (int line = 0; line < 3; ++line) {
        const qreal y = 6.5 + line * 2.8;
        p.setPen(Qt::NoPen);
        p.setBrush(line == 0 ? kGreenDark : kBlueDark);
        p.drawEllipse(QPointF(4.9, y), 0.95, 0.95);
        p.setPen(outline(QColor(0x6D, 0x7F, 0x95), 1.0));
        p.drawLine(QPointF(6.8, y), QPointF(line == 2 ? 9.5 : 11.5, y));
    }
}

void paintUndoArrow(QPainter& p) {
    // A thick blue band bending from the lower right up and back to the left, ending in a head.
    QPainterPath band;
    band.moveTo(12.8, 13.2);
    band.cubicTo(15.2, 8.6, 12.6, 4.6, 7.6, 5.0);
    QPen bandPen(kBlueDark, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kBlueEdge, 4.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(band);
    p.setPen(bandPen);
    p.drawPath(band);
    p.setPen(QPen(kBlueLight, 1.0, Qt::SolidLine, Qt::RoundCap));
    QPainterPath shine;
    shine.moveTo(12.9, 11.0);
    shine.cubicTo(14.0, 7.6, 11.8, 5.0, 8.4, 4.5);
    p.drawPath(shine);

    const QPolygonF head({QPointF(1.6, 5.2), QPointF(8.4, 0.9), QPointF(8.4, 9.5)});
    p.setBrush(verticalGradient(0.9, 9.5, kBlueLight, kBlueDark));
    p.setPen(outline(kBlueEdge, 0.9));
    p.drawPolygon(head);
}

void paintWasteBin(QPainter& p) {
    // The body narrows towards the floor; ribs run down its front.
    const QPolygonF body(
        {QPointF(3.6, 5.4), QPointF(12.4, 5.4), QPointF(11.4, 14.6), QPointF(4.6, 14.6)});
    p.setBrush(verticalGradient(5.4, 14.6, kGreenLight, kGreenDark));
    p.setPen(outline(kGreenEdge, 0.9));
    p.drawPolygon(body);
    p.setPen(outline(QColor(0x1C, 0x62, 0x1F, 170), 0.8));
    for (qreal x : {6.4, 8.0, 9.6})
        p.drawLine(QPointF(x, 7.0), QPointF(x + (x - 8.0) * 0.08, 13.2));

    // The lid with its handle.
    p.setPen(outline(kGreenEdge, 0.9));
    p.setBrush(verticalGradient(1.6, 3.4, kGreenLight, kGreenDark));
    p.drawRoundedRect(QRectF(6.2, 1.6, 3.6, 2.0), 0.6, 0.6);
    p.setBrush(verticalGradient(3.2, 5.4, QColor(0x9A, 0xE6, 0x7E), kGreenDark));
    p.drawRoundedRect(QRectF(2.4, 3.3, 11.2, 2.1), 0.7, 0.7);
}

void paintCardboardBox(QPainter& p) {
    // Drawn on a 22-unit grid: an open box seen from the front, flaps raised.
    const QColor edge(0x7A, 0x4E, 0x1E);
    p.setPen(outline(edge, 0.9));

    // Inside of the box, visible between the flaps.
    p.setBrush(QColor(0x8E, 0x5F, 0x2A));
    p.drawPolygon(
        QPolygonF({QPointF(3.5, 9), QPointF(18.5, 9), QPointF(16.5, 6.5), QPointF(5.5, 6.5)}));
    // Left and right flaps, opened outwards.
    p.setBrush(verticalGradient(3.5, 9, QColor(0xE8, 0xBE, 0x82), QColor(0xC9, 0x92, 0x4E)));
    p.drawPolygon(
        QPolygonF({QPointF(3.5, 9), QPointF(0.8, 4.2), QPointF(4.6, 3.4), QPointF(5.5, 6.5)}));
    p.drawPolygon(
        QPolygonF({QPointF(18.5, 9), QPointF(21.2, 4.2), QPointF(17.4, 3.4), QPointF(16.5, 6.5)}));
    // Front face.
    p.setBrush(verticalGradient(9, 20.5, QColor(0xE2, 0xB2, 0x6E), QColor(0xB9, 0x80, 0x3E)));
    p.drawRect(QRectF(3.5, 9, 15, 11.5));
    // Packing tape and a label.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF3, 0xD9, 0xA8, 220));
    p.drawRect(QRectF(9.6, 9.4, 2.8, 10.7));
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawRect(QRectF(5.2, 15.2, 3.4, 2.8));
    p.setPen(outline(QColor(0x8A, 0x8A, 0x8A), 0.5));
    p.drawLine(QPointF(5.8, 16.1), QPointF(8.0, 16.1));
    p.drawLine(QPointF(5.8, 17.2), QPointF(7.4, 17.2));
}

void paintSpeechBubbles(QPainter& p) {
    // Drawn on a 22-unit grid: a blue bubble behind, its tail down to the left; a white-green
    // bubble in front, its tail down to the right.
    QPainterPath back;
    back.addRoundedRect(QRectF(1.0, 2.0, 13.5, 9.5), 4.2, 4.2);
    QPainterPath backTail;
    backTail.moveTo(3.8, 10.0);
    backTail.lineTo(2.6, 14.6);
    backTail.lineTo(7.6, 10.8);
    back = back.united(backTail);
    p.setBrush(verticalGradient(2, 14.6, kBlueLight, kBlueDark));
    p.setPen(outline(kBlueEdge, 0.9));
    p.drawPath(back);

    QPainterPath front;
    front.addRoundedRect(QRectF(7.5, 8.0, 13.5, 9.5), 4.2, 4.2);
    QPainterPath frontTail;
    frontTail.moveTo(14.4, 16.8);
    frontTail.lineTo(19.4, 20.6);
    frontTail.lineTo(18.2, 16.0);
    front = front.united(frontTail);
    p.setBrush(verticalGradient(8, 20.6, Qt::white, QColor(0xD4, 0xF2, 0xC6)));
    p.setPen(outline(kGreenEdge, 0.9));
    p.drawPath(front);

    // Dots of talk in each bubble.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (qreal x : {4.6, 7.75, 10.9}) p.drawEllipse(QPointF(x, 6.6), 1.0, 1.0);
    p.setBrush(kGreenDark);
    for (qreal x : {11.1, 14.25, 17.4}) p.drawEllipse(QPointF(x, 12.8), 1.0, 1.0);
}

void paintPreview(QPainter& p) {
    // A sheet with lines, a magnifying glass over its lower right.
    p.setBrush(verticalGradient(1, 14, Qt::white, QColor(0xE6, 0xEC, 0xF3)));
    p.setPen(outline(QColor(0x5A, 0x6E, 0x86), 0.9));
    p.drawRect(QRectF(1.5, 1.5, 9.5, 12));
    p.setPen(outline(QColor(0x8A, 0x9A, 0xAE), 0.9));
    for (qreal y : {4.0, 6.2, 8.4}) p.drawLine(QPointF(3.3, y), QPointF(9.2, y));

    p.setPen(QPen(QColor(0x5B, 0x3A, 0x1A), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12.2, 12.2), QPointF(14.6, 14.6));
    QRadialGradient glass(QPointF(9.2, 9.2), 3.6);
    glass.setColorAt(0, QColor(255, 255, 255, 235));
    glass.setColorAt(1, QColor(0xB8, 0xDB, 0xF8, 235));
    p.setBrush(glass);
    p.setPen(outline(kBlueEdge, 1.3));
    p.drawEllipse(QPointF(10.0, 10.0), 3.3, 3.3);
}

}  // namespace

QIcon saveListIcon() {
    return iconOnGrid(kToolIconSize, 16, paintSaveList);
}

QIcon previousArrowIcon() {
    return iconOnGrid(kToolIconSize, 16, [](QPainter& p) {
        paintStraightArrow(p, true, kGreenLight, kGreenDark, kGreenEdge);
    });
}

QIcon nextArrowIcon() {
    return iconOnGrid(kToolIconSize, 16, [](QPainter& p) {
        paintStraightArrow(p, false, kGreenLight, kGreenDark, kGreenEdge);
    });
}

QIcon undoArrowIcon() {
    return iconOnGrid(kToolIconSize, 16, paintUndoArrow);
}

QIcon wasteBinIcon() {
    return iconOnGrid(kToolIconSize, 16, paintWasteBin);
}

QIcon cardboardBoxIcon() {
    return iconOnGrid(kFlatButtonIconSize, 22, paintCardboardBox);
}

QIcon blueRightArrowIcon() {
    return iconOnGrid(kFlatButtonIconSize, 16, [](QPainter& p) {
        paintStraightArrow(p, false, kBlueLight, kBlueDark, kBlueEdge);
    });
}

QIcon speechBubblesIcon() {
    return iconOnGrid(kFlatButtonIconSize, 22, paintSpeechBubbles);
}

QIcon previewIcon() {
    return iconOnGrid(kToolIconSize, 16, paintPreview);
}
