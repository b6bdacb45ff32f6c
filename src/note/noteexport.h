#pragma once
#include <QByteArray>
#include <QString>

class frmDocument;

// The note as one HTML file for sharing or printing: the theme, the body,
// then the recorded pages as links with their recording times and links to
// their saved copies.
namespace mirka::noteexport {

// The page for a file at htmlPath (copies are linked relative to it).
QByteArray html(const frmDocument &doc, const QString &htmlPath);

// The name the export offers: the note's, with ".html".
QString proposedName(const QString &notePath);

// Asks for the file name and writes it; a failure is reported.
void exportNote(frmDocument &doc);

} // namespace mirka::noteexport
