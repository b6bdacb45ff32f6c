#pragma once
#include <QWheelEvent>
#include <QtGlobal>
#include <iterator>

// The zoom levels of the page and the note body, as browsers step them.
namespace mirka::zoom {

constexpr double kSteps[] = {0.25, 0.33, 0.5, 0.67, 0.75, 0.8, 0.9, 1.0, 1.1,
                             1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 4.0, 5.0};

// The next level above (direction > 0) or below the factor; the factor
// itself at either end.
inline double step(double factor, int direction)
{
    if (direction > 0) {
        for (double s : kSteps)
            if (s > factor + 0.001)
                return s;
    } else {
        for (int i = int(std::size(kSteps)) - 1; i >= 0; --i)
            if (kSteps[i] < factor - 0.001)
                return kSteps[i];
    }
    return factor;
}

// Whether the event is a wheel turned with Ctrl held, which zooms instead
// of scrolling; *delta gets the turn (0 for a sideways one).
inline bool isZoomWheel(const QEvent *event, int *delta)
{
    if (event->type() != QEvent::Wheel)
        return false;
    const auto *wheel = static_cast<const QWheelEvent *>(event);
    if (!(wheel->modifiers() & Qt::ControlModifier))
        return false;
    *delta = wheel->angleDelta().y();
    return true;
}

} // namespace mirka::zoom
