#include "common/codepage.h"

#include <QList>
#include <QUrl>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace mirka::cp932 {

static const char *const kName = "windows-31j";

QString decode(const QByteArray &bytes)
{
    QStringDecoder dec(kName, QStringConverter::Flag::Default);
    if (!dec.isValid())
        return QString::fromLatin1(bytes);
    // ICU's decoder holds back a lead byte at the very end, waiting for its
    // trail byte: a line feed (never a trail byte) flushes it, and is dropped.
    QString s = dec.decode(bytes + '\n');
    s.chop(1);
    // It also marks invalid bytes with SUB (U+001A) rather than U+FFFD.
    s.replace(QChar(0x1A), QChar(0xFFFD));
    return s;
}

char32_t tableCodePoint(char32_t ucs4)
{
    switch (ucs4) {
    case 0x301C: return 0xFF5E; // wave dash, CP932 0x8160
    case 0x2212: return 0xFF0D; // minus sign, 0x817C
    case 0x2016: return 0x2225; // double vertical line, 0x8161
    case 0x00A2: return 0xFFE0; // cent sign, 0x8191
    case 0x00A3: return 0xFFE1; // pound sign, 0x8192
    case 0x00AC: return 0xFFE2; // not sign, 0x81CA
    default: return ucs4;
    }
}

QByteArray encodeChar(char32_t ucs4)
{
    if (ucs4 < 0x80)
        return QByteArray(1, char(ucs4));
    ucs4 = tableCodePoint(ucs4);
    QStringEncoder enc(kName, QStringConverter::Flag::Stateless);
    const QString s = QString::fromUcs4(&ucs4, 1);
    QByteArray out = enc.encode(s);
    if (enc.hasError() || out.isEmpty())
        return {};
    return out;
}

QByteArray encode(QStringView text)
{
    const auto needsTable = [](QChar c) { return tableCodePoint(c.unicode()) != c.unicode(); };
    if (std::any_of(text.begin(), text.end(), needsTable)) {
        QString mapped = text.toString();
        for (QChar &c : mapped)
            c = QChar(char16_t(tableCodePoint(c.unicode())));
        return encode(mapped);
    }
    {
        // Fast path: the whole text converts cleanly.
        QStringEncoder enc(kName, QStringConverter::Flag::Stateless);
        QByteArray out = enc.encode(text);
        if (enc.isValid() && !enc.hasError())
            return out;
    }
    QByteArray out;
    out.reserve(text.size() * 2);
    const QList<uint> ucs = text.toUcs4();
    for (uint c : ucs) {
        const QByteArray b = encodeChar(char32_t(c));
        out += b.isEmpty() ? QByteArray("?") : b;
    }
    return out;
}

QString storableAddress(const QString &address)
{
    if (decode(encode(address)) == address)
        return address;
    const QUrl url(address);
    if (url.isValid() && !url.scheme().isEmpty())
        return QString::fromLatin1(url.toEncoded());
    // Not an address QUrl understands: only what does not survive is
    // percent-encoded, as UTF-8.
    QString out;
    for (const uint c : address.toUcs4()) {
        const char32_t u = c;
        const QString ch = QString::fromUcs4(&u, 1);
        if (decode(encode(ch)) == ch)
            out += ch;
        else
            out += QString::fromLatin1(ch.toUtf8().toPercentEncoding());
    }
    return out;
}

} // namespace mirka::cp932
