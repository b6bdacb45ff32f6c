#pragma once
#include <QDateTime>
#include <QList>
#include <QString>

class RichTextBox;

// A passage taken from a page into the note: the passage as it looked,
// indented as a quotation, then a source line with the page's title as a
// link to its address and the time it was taken. One undo step.
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

// Inserts the passage at the editor's caret (on paragraphs of its own).
void insert(RichTextBox *box, const Passage &passage);

} // namespace mirka::quotecapture
