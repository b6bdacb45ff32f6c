#pragma once
#include "model/passage.h"

class RichTextBox;

// A passage taken from a page into the note: the passage as it looked,
// indented as a quotation, then a source line with the page's title as a
// link to its address and the time it was taken. One undo step.
namespace mirka::quotecapture {

// Inserts the passage at the editor's caret (on paragraphs of its own).
void insert(RichTextBox *box, const Passage &passage);

} // namespace mirka::quotecapture
