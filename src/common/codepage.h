#pragma once
#include <QByteArray>
#include <QString>

// The Windows ANSI code page of every file the program reads and writes
// (CP932, Shift_JIS with the Microsoft extensions).
namespace mirka::cp932 {

// Decodes CP932 bytes; invalid bytes (and the control character SUB, which
// the decoder uses to mark them) become U+FFFD, never a crash.
QString decode(const QByteArray &bytes);

// Encodes to CP932. A character the code page cannot hold becomes "?", as
// Windows' own conversion does (Qt's encoder would write 0xFC 0xFC silently).
QByteArray encode(QStringView text);

// The CP932 bytes of one code point, or an empty array when it has none.
QByteArray encodeChar(char32_t ucs4);

// Characters CP932 holds under another code point than the one Linux input
// methods and many web pages produce (U+301C for its U+FF5E, U+2212 for
// U+FF0D, ...): the code point CP932's table gives them; any other
// character unchanged. encode and encodeChar apply it.
char32_t tableCodePoint(char32_t ucs4);

// An address as it can be stored in a CP932 file and lead back to the same
// page: unchanged when every character survives the round trip, otherwise
// its percent-encoded form (ASCII).
QString storableAddress(const QString &address);

} // namespace mirka::cp932
