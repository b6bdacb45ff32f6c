#pragma once
// Parts of the RTF writer that stand on their own: the list table and the
// HYPERLINK field instruction, kept bytes made ASCII.
#include <QByteArray>
#include <QString>
#include <QTextListFormat>
#include <vector>

namespace mirka::rtf {

// \listtable and \listoverridetable for the lists, numbered \ls1 onwards.
QByteArray listTables(const std::vector<QTextListFormat> &lists);

// The left indent (twips) a list paragraph gets when it has none of its own.
int listIndentTwips(const QTextListFormat &list);

// The opening of a HYPERLINK field up to its result group.
QByteArray hyperlinkFieldStart(const QString &href);

// Kept RTF as 7-bit ASCII with the same meaning: 8-bit bytes as \'hh (read
// back to the same bytes), \binN data as hex digits, NUL bytes and control
// symbols on 8-bit bytes or NUL (ignored by readers) left out.
QByteArray asciiRtf(const QByteArray &raw);

} // namespace mirka::rtf
