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
#include <memory>

#include "note/richtext/rtfformat.h"

class QPainter;
class QTextBlock;
class QTextDocument;
class QTextEdit;

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

// The label a reader sees before a list paragraph ("2.1.", "a)", "•"),
// counted as the document's list levels, starts and restarts say; empty for
// a paragraph in no list or a level without a label.
QString listLabel(const QTextBlock &block);
// A number as a list level of RTF's numbering format nfc shows it.
QString listNumber(int n, int nfc);

// What a reader sees of a kept item as text: a footnote's mark, nothing of
// a comment or an object.
QString readerText(const QTextCharFormat &f);
// A footnote's or comment's own text (with the comment's author), shown on
// hover; empty for other items.
QString keptTip(const QTextCharFormat &f);

// Draws the labels of the lists read from RTF (Qt draws none for them) for
// the blocks of the editor's viewport area.
void paintListLabels(QTextEdit *edit, QPainter &painter, const QRect &area);

// A copy of the document to change (print, export). Qt's clone of a
// document without text gives the copy its paragraph's list, which the copy
// does not have: a crash as soon as it is used.
std::unique_ptr<QTextDocument> copyOf(const QTextDocument *doc);

// The document as HTML with list labels and footnote marks as text.
QString exportHtml(const QTextDocument *doc);

// The document's text as a reader sees it: list labels before their
// paragraphs (with a tab), footnote marks, no markers of kept items.
QString plainText(const QTextDocument *doc, int start = 0, int end = -1);

} // namespace mirka::rtf
