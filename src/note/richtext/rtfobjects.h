#pragma once
// What the reader keeps of a document that the editor does not show as
// text: pictures, placeholders for kept RTF groups (footnotes, comments,
// objects, shapes), hidden text, and the document-level groups. The raw
// RTF of a kept item rides on its character format, so the item moves,
// copies and deletes like a letter and is written back byte for byte.
#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QSizeF>
#include <QTextFormat>
#include <QTextObjectInterface>

#include "note/richtext/rtfformat.h"

class QTextDocument;

namespace mirka::rtf {

// The name of the document property holding the document-level RTF
// (information, headers and footers, page setup) to write back after the
// tables.
inline const char *documentHeadProperty() { return "mirkaRtfHead"; }
// The font and colour tables as read, kept when kept groups refer to them by
// number: a list of {number, name, charset} and a list of colours (invalid:
// automatic) from index 0. The writer keeps those numbers.
inline const char *documentFontsProperty() { return "mirkaRtfFonts"; }
inline const char *documentColorsProperty() { return "mirkaRtfColors"; }

// A placeholder character's format: label shown, raw bytes kept.
QTextCharFormat keptFormat(const QTextCharFormat &base, const QByteArray &raw, const QString &label);

// The picture of an RTF \pict group (the whole group, braces included):
// image file bytes Qt can read (PNG, JPEG, or BMP made from a device
// independent bitmap, also one a WMF or EMF wraps), and the size to show
// in pixels. Empty bytes: nothing Qt can draw.
struct Picture {
    QByteArray image;
    QSizeF size;
    QByteArray flat; // the group with its data in its own group, when it was not
};
Picture decodePicture(const char *data, qsizetype size);

// A picture of the editor's as an RTF \pict group in PNG.
QByteArray pictGroup(const QImage &image, const QSizeF &shownSize);

// Draws kept items as a small framed label, e.g. "[注]".
class KeptObjectHandler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    using QObject::QObject;
    QSizeF intrinsicSize(QTextDocument *doc, int posInDocument, const QTextFormat &format) override;
    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *doc, int posInDocument,
                    const QTextFormat &format) override;
    // Registers one handler with the document's layout.
    static void install(QTextDocument *doc);
};

// The document's text with each kept item as its label.
QString plainText(const QTextDocument *doc);

} // namespace mirka::rtf
