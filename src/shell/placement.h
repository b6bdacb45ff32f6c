#pragma once
#include <QList>
#include <QRect>

namespace mirka {

// The frame's restored outer rectangle, made usable: at least `least` in
// size, and, unless it lies whole on one of the screens' available areas,
// moved and shrunk onto the nearest of them (the one it overlaps most, or
// the closest one when it overlaps none). A rectangle that fits is kept.
QRect placeOnScreens(const QRect &outer, const QList<QRect> &available, const QSize &least);

} // namespace mirka
