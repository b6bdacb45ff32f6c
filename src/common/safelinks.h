#pragma once
#include <QString>

// Links the program writes into pages of its own (the note's HTML export).
// Only addresses that open a page, a file or a mail stay clickable; any
// other (javascript:, vbscript:, data:, a program's own scheme) is written
// as plain text, however it is spelt.
namespace mirka::safelinks {

// True for an http, https, file or mailto address, or a link to a place in
// the same page ("#…"), read as a browser reads an address: tabs and line
// breaks anywhere are dropped, control characters and spaces at the ends
// trimmed, the scheme's case ignored.
bool isLinkable(const QString &address);

// The text as a link to the address when it is linkable, else the text
// followed by the address in plain text. Both are given unescaped.
QString linkOrText(const QString &address, const QString &text);

// HTML text or an attribute value as a browser reads it: character
// references by number and the usual named ones (amp, lt, gt, quot, apos,
// nbsp) replaced; any other name stays as written.
QString unescapeHtml(const QString &text);

// HTML as Qt writes a document (QTextDocument::toHtml), with every link
// whose address is not linkable made plain text.
QString withLinkableLinksOnly(const QString &html);

} // namespace mirka::safelinks
