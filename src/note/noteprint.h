#pragma once
#include <QString>
#include <memory>

class QPagedPaintDevice;
class QTextDocument;
class frmDocument;

// The note on paper: the body, then the recorded pages with their
// addresses and recording times, on A4 with margins of about 20 mm.
namespace mirka::noteprint {

// The note laid out for printing: a copy of the body in faces that a PDF
// embeds, the theme as its title, the pages after it.
std::unique_ptr<QTextDocument> printable(const frmDocument &note);
// Draws the document on the device, page numbers at the foot.
void draw(const QTextDocument &doc, QPagedPaintDevice *device);

// Ctrl+P: the print preview, from which the user prints.
void printNote(frmDocument *note);
// Asks for a file and writes the note there as PDF; tells the user when it
// cannot be written. false when nothing was written.
bool exportPdf(frmDocument *note);

// For a PDF: the family as given when a PDF shows its text as written, else
// a Japanese face that does (some faces' characters come out of a PDF as
// other characters, or not at all).
QString embeddableFamily(const QString &family);

} // namespace mirka::noteprint
