#pragma once
#include "model/note.h"

class frmDocument;

// The note window's side of the saved page copies: the marks and tooltips
// of the title list, its context menu, and opening a copy.
namespace mirka::notecopies {

void attach(frmDocument *doc);

// Opens the copy in the shared browser window, captioned as the copy of
// that date.
void openCopy(const RecordedPage &page);

} // namespace mirka::notecopies
