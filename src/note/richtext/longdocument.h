#pragma once

class QTextEdit;

namespace mirka::rtf {

// What a text editor needs to show a document of hundreds of thousands of
// paragraphs, where Qt's own ways break down:
// - Qt lays a long document out a step at a time between events, and the
//   steps add up to minutes of a frozen editor after each open or resize;
//   finishing the layout in one go is linear (about two seconds per
//   million paragraphs here);
// - a vertical scroll bar that comes and goes makes the editor lay the
//   document out again at each turn, for ever: it stays on;
// - the editor works the scroll range out in int arithmetic that overflows
//   past about twenty million pixels (a million lines): the range is set
//   again from the document's height.
// Call it whenever the editor is given a document.
void supportLongDocuments(QTextEdit *editor);

// From this many paragraphs on, a document counts as long.
constexpr int kLongDocumentBlocks = 100000;

} // namespace mirka::rtf
