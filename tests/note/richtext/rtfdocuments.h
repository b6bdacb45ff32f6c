#pragma once
// Documents in the shapes other editors write (Word's list tables, merged
// and nested tables, hidden text, pictures in every container, links,
// footnotes, Japanese text in CP932 fonts), made here rather than taken
// from anywhere. The LibreOffice oracle test reads, writes and compares
// them; fuzzing takes them as seeds.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace mirka::rtf::testdocs {

// Name (no extension) and RTF bytes of each document.
QList<QPair<QString, QByteArray>> documents();

// Writes each document as NAME.rtf into dir; false when one cannot be written.
bool writeDocuments(const QString &dir);

// A file of samples/, as the editors named there wrote it.
QByteArray sample(const char *name);

} // namespace mirka::rtf::testdocs
