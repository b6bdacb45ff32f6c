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

} // namespace mirka::cp932
