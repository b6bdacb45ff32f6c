#pragma once

class QLineEdit;

namespace mirka {

// Keeps a text box's text on one line: line breaks that come in by paste or
// drop become spaces (a CR LF pair one space), as the box shows them.
void keepOnOneLine(QLineEdit *box);

} // namespace mirka
