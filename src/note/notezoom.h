#pragma once

class RichTextBox;

// Zoom of the note body: a way of looking at the note, never part of it.
// The body is laid out as if for a screen of higher or lower resolution, so
// text of every size, pictures and indents scale together and lines wrap to
// the window; the document and its fonts stay as they are.
namespace mirka::notezoom {

// Takes Ctrl+wheel over the body and keeps the zoom across loads.
void attach(RichTextBox *box);
void zoomIn(RichTextBox *box);
void zoomOut(RichTextBox *box);
void reset(RichTextBox *box);
double factor(const RichTextBox *box);

} // namespace mirka::notezoom
