#include "browser/browserpictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QtMath>
#include <functional>

namespace mirka::browserpictures {

namespace {

using Drawing = std::function<void(QPainter &)>;

QIcon draw(int size, const Drawing &drawing)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    drawing(p);
    p.end();
    return QIcon(pm);
}

QPen outline(const QColor &c, qreal width = 1.0)
{
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A fat arrow pointing left, mirrored for the right.
void arrow(QPainter &p, bool right)
{
    QPolygonF a({{3, 12}, {11, 4}, {11, 8.5}, {21, 8.5}, {21, 15.5}, {11, 15.5}, {11, 20}});
    if (right)
        for (QPointF &pt : a)
            pt.setX(24 - pt.x());
    p.setPen(outline(QColor(0x1e, 0x6b, 0x1e)));
    p.setBrush(QColor(0x4c, 0xb8, 0x4c));
    p.drawPolygon(a);
}

void stop(QPainter &p)
{
    QPolygonF oct;
    for (int i = 0; i < 8; ++i) {
        const qreal a = qDegreesToRadians(22.5 + 45.0 * i);
        oct << QPointF(12 + 10 * qCos(a), 12 + 10 * qSin(a));
    }
    p.setPen(outline(QColor(0x8a, 0x10, 0x10)));
    p.setBrush(QColor(0xd8, 0x2a, 0x2a));
    p.drawPolygon(oct);
    p.setPen(outline(Qt::white, 2.5));
    p.drawLine(QPointF(8, 8), QPointF(16, 16));
    p.drawLine(QPointF(16, 8), QPointF(8, 16));
}

void refresh(QPainter &p)
{
    const QColor blue(0x23, 0x62, 0xc4);
    p.setPen(outline(blue, 2.5));
    p.setBrush(Qt::NoBrush);
    const QRectF r(5, 5, 14, 14);
    p.drawArc(r, 100 * 16, 150 * 16);
    p.drawArc(r, 280 * 16, 150 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawPolygon(QPolygonF({{13, 1.5}, {17.5, 5}, {13, 8.5}}));
    p.drawPolygon(QPolygonF({{11, 15.5}, {6.5, 19}, {11, 22.5}}));
}

void home(QPainter &p)
{
    p.setPen(outline(QColor(0x6b, 0x3b, 0x16)));
    p.setBrush(QColor(0xf2, 0xe3, 0xc6));
    p.drawRect(QRectF(6, 11, 12, 10));
    p.setBrush(QColor(0xc8, 0x3c, 0x28));
    p.drawPolygon(QPolygonF({{2.5, 12.5}, {12, 3}, {21.5, 12.5}}));
    p.setBrush(QColor(0x8a, 0x55, 0x2a));
    p.drawRect(QRectF(10, 15, 4, 6));
}

void search(QPainter &p)
{
    p.setPen(outline(QColor(0x40, 0x40, 0x40), 2));
    p.setBrush(QColor(0xcf, 0xe8, 0xff));
    p.drawEllipse(QRectF(3, 3, 12, 12));
    p.setPen(outline(QColor(0x5a, 0x3a, 0x1a), 4));
    p.drawLine(QPointF(14.5, 14.5), QPointF(20.5, 20.5));
}

void check(QPainter &p)
{
    p.setPen(outline(QColor(0x50, 0x50, 0x50)));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({{4, 2}, {15, 2}, {20, 7}, {20, 22}, {4, 22}}));
    p.setPen(outline(QColor(0xa0, 0xa0, 0xa0)));
    for (int y = 9; y <= 18; y += 3)
        p.drawLine(QPointF(7, y), QPointF(17, y));
    p.setPen(outline(QColor(0xd0, 0x20, 0x20), 3));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({{7, 13}, {11, 18}, {21, 5}}));
}

void star(QPainter &p)
{
    QPolygonF s;
    for (int i = 0; i < 10; ++i) {
        const qreal a = qDegreesToRadians(-90.0 + 36.0 * i);
        const qreal r = (i % 2) ? 4.5 : 10.5;
        s << QPointF(12 + r * qCos(a), 12.5 + r * qSin(a));
    }
    p.setPen(outline(QColor(0xa0, 0x70, 0x00)));
    p.setBrush(QColor(0xff, 0xd0, 0x20));
    p.drawPolygon(s);
}

// Favourite icons, 16 x 16.

void bear(QPainter &p)
{
    const QColor fur(0x8b, 0x5a, 0x2b);
    p.setPen(outline(fur.darker(150)));
    p.setBrush(fur);
    p.drawEllipse(QRectF(1, 1, 5, 5));
    p.drawEllipse(QRectF(10, 1, 5, 5));
    p.drawEllipse(QRectF(2, 3, 12, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe0, 0xc0, 0x90));
    p.drawEllipse(QRectF(5, 8.5, 6, 5));
    p.setBrush(Qt::black);
    p.drawEllipse(QRectF(5, 6.5, 1.8, 1.8));
    p.drawEllipse(QRectF(9.2, 6.5, 1.8, 1.8));
    p.drawEllipse(QRectF(7, 9.2, 2, 1.5));
}

void dog(QPainter &p)
{
    p.setPen(outline(QColor(0x80, 0x60, 0x40)));
    p.setBrush(QColor(0xf0, 0xdc, 0xb8));
    p.drawEllipse(QRectF(3, 2, 10, 12));
    p.setBrush(QColor(0x6b, 0x42, 0x1e));
    p.drawEllipse(QRectF(0.5, 2.5, 4, 9));
    p.drawEllipse(QRectF(11.5, 2.5, 4, 9));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QRectF(5.5, 6, 1.6, 1.6));
    p.drawEllipse(QRectF(8.9, 6, 1.6, 1.6));
    p.drawEllipse(QRectF(6.8, 9.5, 2.4, 1.8));
    p.setBrush(QColor(0xe0, 0x50, 0x60));
    p.drawEllipse(QRectF(7.2, 11.5, 1.6, 2));
}

void cat(QPainter &p)
{
    const QColor fur(0x9a, 0x9a, 0xa4);
    p.setPen(outline(fur.darker(160)));
    p.setBrush(fur);
    p.drawPolygon(QPolygonF({{2, 1}, {7, 5}, {2.5, 8}}));
    p.drawPolygon(QPolygonF({{14, 1}, {9, 5}, {13.5, 8}}));
    p.drawEllipse(QRectF(2, 4, 12, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0xa0, 0x30));
    p.drawEllipse(QRectF(4.5, 7.5, 2.2, 2.2));
    p.drawEllipse(QRectF(9.3, 7.5, 2.2, 2.2));
    p.setBrush(QColor(0xf0, 0x90, 0xa0));
    p.drawPolygon(QPolygonF({{7, 10.5}, {9, 10.5}, {8, 11.8}}));
    p.setPen(outline(Qt::black, 0.6));
    p.drawLine(QPointF(0.5, 11), QPointF(5, 11.5));
    p.drawLine(QPointF(0.5, 13), QPointF(5, 12.3));
    p.drawLine(QPointF(15.5, 11), QPointF(11, 11.5));
    p.drawLine(QPointF(15.5, 13), QPointF(11, 12.3));
}

void note(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x20, 0x70));
    p.save();
    p.translate(5.5, 12.5);
    p.rotate(-25);
    p.drawEllipse(QRectF(-3.5, -2.5, 7, 5));
    p.restore();
    p.setPen(outline(QColor(0x20, 0x20, 0x70), 1.6));
    p.drawLine(QPointF(8.3, 11.5), QPointF(8.3, 1.5));
    QPainterPath flag(QPointF(8.3, 1.5));
    flag.cubicTo(QPointF(10, 4.5), QPointF(14.5, 5), QPointF(12.5, 10));
    p.setBrush(Qt::NoBrush);
    p.drawPath(flag);
}

void insect(QPainter &p)
{
    p.setPen(outline(Qt::black));
    p.drawLine(QPointF(3, 7), QPointF(13, 7));
    p.drawLine(QPointF(2.5, 11), QPointF(13.5, 11));
    p.drawLine(QPointF(6.5, 3), QPointF(5, 0.8));
    p.drawLine(QPointF(9.5, 3), QPointF(11, 0.8));
    p.setBrush(Qt::black);
    p.drawEllipse(QRectF(5.5, 1.5, 5, 4));
    p.setBrush(QColor(0xe0, 0x20, 0x20));
    p.drawEllipse(QRectF(3, 4, 10, 11.5));
    p.drawLine(QPointF(8, 4.5), QPointF(8, 15));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (const QPointF &c : {QPointF(5.7, 8), QPointF(10.3, 8), QPointF(6, 12), QPointF(10, 12)})
        p.drawEllipse(c, 1.2, 1.2);
}

void computer(QPainter &p)
{
    p.setPen(outline(QColor(0x40, 0x40, 0x40)));
    p.setBrush(QColor(0xd8, 0xd8, 0xd0));
    p.drawRect(QRectF(1.5, 1.5, 13, 9.5));
    p.setBrush(QColor(0x30, 0x70, 0xc8));
    p.drawRect(QRectF(3, 3, 10, 6.5));
    p.setBrush(QColor(0xd8, 0xd8, 0xd0));
    p.drawRect(QRectF(6, 11, 4, 2));
    p.drawRect(QRectF(2.5, 13, 11, 2));
}

} // namespace

QIcon toolbarPicture(const QString &key)
{
    static const QList<std::pair<QString, Drawing>> pictures = {
        {QStringLiteral("Back"), [](QPainter &p) { arrow(p, false); }},
        {QStringLiteral("Forward"), [](QPainter &p) { arrow(p, true); }},
        {QStringLiteral("Stop"), stop},
        {QStringLiteral("Refresh"), refresh},
        {QStringLiteral("Home"), home},
        {QStringLiteral("Search"), search},
        {QStringLiteral("check"), check},
        {QStringLiteral("fav"), star},
    };
    for (const auto &[k, drawing] : pictures)
        if (k == key)
            return draw(24, drawing);
    return QIcon();
}

QList<QIcon> favouritePictures()
{
    QList<QIcon> icons;
    for (const Drawing &d : {Drawing(bear), Drawing(dog), Drawing(cat), Drawing(note),
                             Drawing(insect), Drawing(computer)})
        icons << draw(16, d);
    return icons;
}

} // namespace mirka::browserpictures
