#pragma once
#include "note/pagecopies.h"

#include <QString>
#include <functional>

class frmDocument;

// The note window's side of the saved page copies: the marks and tooltips
// of the title list, its context menu, and the copies' part in a save.
namespace mirka::notecopies {

void attach(frmDocument *doc);

QList<RecordedPage> pages(const frmDocument &doc);

// Writes the note files through writePair with the copies folder kept in
// step; a failure is reported through report (path, reason) and leaves the
// previous folder as it was.
bool save(frmDocument &doc, const QString &companionPath, const std::function<bool()> &writePair,
          const std::function<void(const QString &, const QString &)> &report);

// After a note's files were read: its copies folder's index.
void opened(frmDocument &doc, const QString &companionPath);

// Opens the copy in the shared browser window, captioned as the copy of
// that date.
void openCopy(const PageCopy &copy);

} // namespace mirka::notecopies
