#pragma once
#include <QtGlobal>

class QTextBlock;
class QTextDocument;
class QTextEdit;

namespace mirka::rtf {

// What a text editor needs to show a document of hundreds of thousands of
// paragraphs, where Qt's own ways break down:
// - Qt lays a long document out a step at a time between events, in steps
//   that grow to 200,000 characters (seconds each), and anything that asks
//   for the document's size finishes the whole layout at once: here it is
//   laid out in slices of a few tens of milliseconds, the event loop turning
//   in between, and the size is asked for only once it is all laid out;
// - a vertical scroll bar that comes and goes makes the editor lay the
//   document out again at each turn (for ever, on a long one), and a note
//   opened in a hidden window again when it shows: it stays on;
// - the editor works the scroll range out in int arithmetic that overflows
//   past about twenty million pixels (a million lines): the range is set
//   again from the document's height.
// Call it whenever the editor is given a document.
void supportLongDocuments(QTextEdit *editor);

// Lays a long document out from where its layout stands for about budgetMs;
// true once all of it is laid out at its present width (at once for short
// documents). *done and *total tell how far it has come, in paragraphs.
bool layOutSlice(QTextDocument *doc, qint64 budgetMs, int *done = nullptr, int *total = nullptr);

// The paragraph at height y of the document (or the last one above it),
// found without walking the paragraphs before it, as Qt's hit test does,
// and without laying out more than is laid out.
QTextBlock blockAtHeight(QTextDocument *doc, qreal y);

// Deletes a document no editor shows any more, a slice at a time between
// events: freeing a laid-out document of a million paragraphs at once
// stops the program for about half a second. Short ones go at once. A
// document with a parent still goes with it.
void deleteInSlices(QTextDocument *doc);

// From this many paragraphs on, a document counts as long.
constexpr int kLongDocumentBlocks = 100000;

} // namespace mirka::rtf
