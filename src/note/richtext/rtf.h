#pragma once
#include <QByteArray>
#include <QString>
#include <functional>

class QTextCursor;
class QTextDocument;

// Our own Rich Text Format reader and writer over QTextDocument.
namespace mirka::rtf {

// True when the bytes are an RTF document: "{\rtf" after an optional byte
// order mark and white space.
bool looksLikeRtf(const QByteArray &bytes);

// Replaces the content of doc with the RTF document. Returns false, leaving
// doc untouched, when the bytes are not RTF. Broken parts of a document cost
// those parts only. Fill a document that no view shows: the reader works in
// one edit block with undo off and turns undo back on (with an empty stack)
// when it is done.
bool read(const QByteArray &rtf, QTextDocument *doc);

// Told how far reading has come (bytes read, bytes in all), every 16 KB or
// so; returning false stops the reading.
using Progress = std::function<bool(qsizetype done, qsizetype total)>;
// read() with progress: also false when progress stopped it, with doc then
// holding the part read so far.
bool read(const QByteArray &rtf, QTextDocument *doc, const Progress &progress);

// Inserts the RTF document at the cursor, replacing its selection, as one
// undo step. False (nothing changed) when the bytes are not RTF.
bool insert(const QByteArray &rtf, QTextCursor &cursor);

// The whole document as RTF: \ansicpg932, font and colour tables, \uN with
// a \'hh fallback in the font's code page, every byte at or above 0x80
// hex-escaped, so the result is plain ASCII.
QByteArray write(const QTextDocument *doc);
// The characters [start, end) of the document as a whole RTF document.
QByteArray write(const QTextDocument *doc, int start, int end);

// RTF held in a string (the clipboard's plain text) as bytes for the
// reader: characters above U+007F stand for themselves, not for code-page
// bytes.
QByteArray fromString(const QString &rtf);

} // namespace mirka::rtf
