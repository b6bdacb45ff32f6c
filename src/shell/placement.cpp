#include "shell/placement.h"

#include <limits>

namespace mirka {

namespace {

qint64 overlap(const QRect &a, const QRect &b)
{
    const QRect i = a.intersected(b);
    return i.isEmpty() ? 0 : qint64(i.width()) * i.height();
}

// Squared distance from a point to a rectangle (0 inside it).
qint64 distance(const QPoint &p, const QRect &r)
{
    const qint64 dx = p.x() < r.left() ? r.left() - p.x() : p.x() > r.right() ? p.x() - r.right() : 0;
    const qint64 dy = p.y() < r.top() ? r.top() - p.y() : p.y() > r.bottom() ? p.y() - r.bottom() : 0;
    return dx * dx + dy * dy;
}

} // namespace

QRect placeOnScreens(const QRect &outer, const QList<QRect> &available, const QSize &least)
{
    const QRect wanted(outer.topLeft(), outer.size().expandedTo(least));
    if (available.isEmpty())
        return wanted;
    for (const QRect &a : available)
        if (a.contains(wanted))
            return wanted;

    QRect best = available.first();
    qint64 bestOverlap = -1, bestDistance = std::numeric_limits<qint64>::max();
    for (const QRect &a : available) {
        const qint64 o = overlap(wanted, a);
        const qint64 d = distance(wanted.center(), a);
        if (o > bestOverlap || (o == 0 && bestOverlap == 0 && d < bestDistance)) {
            best = a;
            bestOverlap = o;
            bestDistance = d;
        }
    }
    const QSize size = wanted.size().boundedTo(best.size());
    const int x = qBound(best.left(), wanted.left(), best.left() + best.width() - size.width());
    const int y = qBound(best.top(), wanted.top(), best.top() + best.height() - size.height());
    return QRect(QPoint(x, y), size);
}

} // namespace mirka
