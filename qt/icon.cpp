#include "qt/icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace listsong_qt {

namespace {

constexpr int kSide = 64;

// The record behind the card: a black disc with grooves and a red label.
void draw_record(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x20, 0x20, 0x28));
    painter.drawEllipse(QPointF(40, 24), 22, 22);
    painter.setPen(QPen(QColor(0x50, 0x50, 0x5c), 1));
    painter.setBrush(Qt::NoBrush);
    for (int groove = 9; groove <= 19; groove += 5) {
        painter.drawEllipse(QPointF(40, 24), groove, groove);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xd0, 0x30, 0x30));
    painter.drawEllipse(QPointF(40, 24), 6, 6);
    painter.setBrush(QColor(0x20, 0x20, 0x28));
    painter.drawEllipse(QPointF(40, 24), 1.5, 1.5);
}

// The catalogue card in front: ruled lines for the song rows.
void draw_card(QPainter& painter) {
    painter.setPen(QPen(QColor(0x60, 0x48, 0x20), 1.5));
    painter.setBrush(QColor(0xff, 0xf4, 0xd0));
    painter.drawRoundedRect(QRectF(3, 22, 40, 39), 3, 3);
    painter.setPen(QPen(QColor(0x70, 0x90, 0xd0), 1.5));
    for (int row = 0; row < 4; ++row) {
        const qreal y = 40 + row * 5.5;
        painter.drawLine(QPointF(9, y), QPointF(37, y));
    }
}

// A quaver on the card's top.
void draw_note(QPainter& painter) {
    const QColor ink(0x10, 0x30, 0x90);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.save();
    painter.translate(16, 33);
    painter.rotate(-20);
    painter.drawEllipse(QPointF(0, 0), 5, 3.6);
    painter.restore();
    painter.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(20.3, 32), QPointF(20.3, 14));
    QPainterPath flag;
    flag.moveTo(20.3, 14);
    flag.cubicTo(24, 17, 30, 19, 27, 27);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(flag);
}

}  // namespace

QIcon window_icon() {
    QPixmap picture(kSide, kSide);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    draw_record(painter);
    draw_card(painter);
    draw_note(painter);
    painter.end();
    return QIcon(picture);
}

}  // namespace listsong_qt
