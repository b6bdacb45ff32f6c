#pragma once
#include <QDateTime>
#include <QList>
#include <QString>

namespace mirka::quotecapture {

struct Passage {
    // Markup made by the page's selection reader: a small set of tags, links
    // to web addresses only, pictures named "mirka-capture-N" for the Nth
    // entry of pictures. Anything else it may hold is not trusted.
    QString html;
    QList<QByteArray> pictures; // PNG, JPEG or GIF bytes
    QString title;
    QString address;
    QDateTime taken;
};

} // namespace mirka::quotecapture
