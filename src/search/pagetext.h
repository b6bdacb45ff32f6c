#pragma once
#include <QByteArray>
#include <QString>

// The words of saved pages, for the search index.
namespace mirka::pagetext {

// The text of a page saved as one MHTML file: every HTML (and plain text)
// part, its transfer encoding (quoted-printable, base64) and charset
// undone, markup, scripts and styles left out. A file that is not MIME is
// read as HTML. At most maxChars characters.
QString fromSavedPage(const QByteArray &file, qsizetype maxChars = 8 * 1024 * 1024);

// The text of an HTML document: tags dropped (block ends become line
// ends), character references resolved, runs of blanks made one space.
QString fromHtml(QStringView html);

} // namespace mirka::pagetext
