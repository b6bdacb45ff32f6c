#pragma once
#include <QPixmap>
#include <QString>
#include <QStringList>

// The formatting toolbar's pictures, drawn for this program at 16 x 16 on a
// transparent background.
namespace mirka::toolbarimages {

// The image keys, in toolbar order.
QStringList keys();
// The picture for an image key; a null pixmap for an unknown key.
QPixmap draw(const QString &imageKey);

} // namespace mirka::toolbarimages
