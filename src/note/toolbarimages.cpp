#include "note/toolbarimages.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace mirka::toolbarimages {

namespace {

const QColor ink(32, 32, 32);

void letter(QPainter &p, const QString &text, bool bold, bool italic, const QColor &colour,
            const QRectF &box, int pixelSize)
{
    QFont f(QStringLiteral("Sans Serif"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setItalic(italic);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, text);
}

// Five text lines; short lines are placed by where (0 left, 1 centre, 2 right).
void textLines(QPainter &p, int where)
{
    p.setPen(QPen(ink, 1.4));
    for (int i = 0; i < 5; ++i) {
        const double y = 2.5 + i * 3;
        const double len = (i % 2) ? 8 : 14;
        const double x = where == 0 ? 1 : where == 1 ? (16 - len) / 2 : 15 - len;
        p.drawLine(QPointF(x, y), QPointF(x + len, y));
    }
}

void page(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(ink, 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(120, 120, 120), 1));
    for (double y = r.top() + 2.5; y < r.bottom() - 1; y += 2)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void paint(QPainter &p, const QString &key)
{
    if (key == QLatin1String("open")) {
        p.setPen(QPen(QColor(130, 95, 10), 1));
        p.setBrush(QColor(214, 160, 40));
        p.drawPolygon(QPolygonF({{0.5, 3.5}, {5.5, 3.5}, {7, 5}, {13.5, 5}, {13.5, 13.5}, {0.5, 13.5}}));
        p.setBrush(QColor(248, 208, 80));
        p.drawPolygon(QPolygonF({{3.5, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {0.5, 13.5}}));
    } else if (key == QLatin1String("Save")) {
        p.setPen(QPen(QColor(20, 40, 90), 1));
        p.setBrush(QColor(50, 85, 165));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(190, 190, 200));
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
        p.fillRect(QRectF(9, 10.5, 1.5, 3), QColor(20, 40, 90));
    } else if (key == QLatin1String("Cut")) {
        p.setPen(QPen(QColor(90, 90, 90), 1.5));
        p.drawLine(QPointF(5.5, 10), QPointF(11, 1));
        p.drawLine(QPointF(10.5, 10), QPointF(5, 1));
        p.setPen(QPen(QColor(180, 30, 30), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(4.5, 12.5), 2.5, 2.5);
        p.drawEllipse(QPointF(11.5, 12.5), 2.5, 2.5);
    } else if (key == QLatin1String("Copy")) {
        page(p, QRectF(1.5, 1.5, 8, 10));
        page(p, QRectF(6.5, 4.5, 8, 10));
    } else if (key == QLatin1String("Paste")) {
        p.setPen(QPen(QColor(90, 55, 20), 1));
        p.setBrush(QColor(176, 122, 58));
        p.drawRect(QRectF(1.5, 2.5, 10, 12));
        p.setBrush(QColor(160, 160, 160));
        p.drawRect(QRectF(4.5, 0.5, 4, 3));
        page(p, QRectF(6.5, 6.5, 8, 9));
    } else if (key == QLatin1String("Bold")) {
        letter(p, QStringLiteral("B"), true, false, ink, QRectF(0, 0, 16, 16), 14);
    } else if (key == QLatin1String("Italic")) {
        letter(p, QStringLiteral("I"), false, true, ink, QRectF(0, 0, 16, 16), 14);
    } else if (key == QLatin1String("Underline")) {
        letter(p, QStringLiteral("U"), false, false, ink, QRectF(0, -1, 16, 14), 12);
        p.setPen(QPen(ink, 1.4));
        p.drawLine(QPointF(3, 14.5), QPointF(13, 14.5));
    } else if (key == QLatin1String("Aline Left")) {
        textLines(p, 0);
    } else if (key == QLatin1String("Center")) {
        textLines(p, 1);
    } else if (key == QLatin1String("Aline Right")) {
        textLines(p, 2);
    } else if (key == QLatin1String("Font")) {
        letter(p, QStringLiteral("A"), true, false, QColor(20, 40, 140), QRectF(-1, -1, 12, 16), 14);
        letter(p, QStringLiteral("a"), false, false, ink, QRectF(8, 4, 8, 12), 9);
    } else if (key == QLatin1String("Pen")) {
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(240, 200, 60));
        p.drawPolygon(QPolygonF({{11, 1}, {14, 4}, {6, 12}, {3, 9}}));
        p.setBrush(QColor(235, 205, 160));
        p.drawPolygon(QPolygonF({{3, 9}, {6, 12}, {2, 13}}));
        p.fillRect(QRectF(1, 14, 14, 2), QColor(210, 30, 30));
    }
}

} // namespace

QStringList keys()
{
    return {QStringLiteral("open"),      QStringLiteral("Save"),       QStringLiteral("Cut"),
            QStringLiteral("Copy"),      QStringLiteral("Paste"),      QStringLiteral("Bold"),
            QStringLiteral("Italic"),    QStringLiteral("Underline"),  QStringLiteral("Aline Left"),
            QStringLiteral("Center"),    QStringLiteral("Aline Right"), QStringLiteral("Font"),
            QStringLiteral("Pen")};
}

QPixmap draw(const QString &imageKey)
{
    if (!keys().contains(imageKey))
        return QPixmap();
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p, imageKey);
    return pm;
}

} // namespace mirka::toolbarimages
