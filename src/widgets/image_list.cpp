#include "widgets/image_list.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// Simple navigation symbols, drawn here so they look alike on every desktop.
QPixmap drawImage(const QString& key) {
    const int s = ImageList::kImageSize;
    QPixmap pm(s, s);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(30, 70, 140), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    if (key == "Back" || key == "Forward") {
        QPainterPath path;
        bool back = key == "Back";
        double tip = back ? 4 : 20, tail = back ? 20 : 4, head = back ? 11 : 13;
        path.moveTo(tail, 12);
        path.lineTo(tip, 12);
        path.moveTo(head, 5);
        path.lineTo(tip, 12);
        path.lineTo(head, 19);
        p.drawPath(path);
    } else if (key == "Stop") {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 40, 40));
        p.drawEllipse(QRectF(3, 3, 18, 18));
        p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(16, 16));
        p.drawLine(QPointF(16, 8), QPointF(8, 16));
    } else if (key == "Refresh") {
        p.drawArc(QRectF(4, 4, 16, 16), 30 * 16, 280 * 16);
        p.drawLine(QPointF(18, 3), QPointF(18.5, 8.5));
        p.drawLine(QPointF(18.5, 8.5), QPointF(13, 8));
    } else if (key == "Home") {
        QPainterPath path;
        path.moveTo(3, 12);
        path.lineTo(12, 4);
        path.lineTo(21, 12);
        path.moveTo(6, 10);
        path.lineTo(6, 20);
        path.lineTo(18, 20);
        path.lineTo(18, 10);
        p.drawPath(path);
    } else { // Search
        p.drawEllipse(QRectF(4, 4, 11, 11));
        p.drawLine(QPointF(13.5, 13.5), QPointF(20, 20));
    }
    return pm;
}

} // namespace

ImageList::ImageList(QObject* parent) : QObject(parent) {
    for (const char* key : kKeys)
        icons_.emplace_back(drawImage(QString::fromLatin1(key)));
}
