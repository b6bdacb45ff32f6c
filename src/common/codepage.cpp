#include "common/codepage.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

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

QByteArray encodeChar(char32_t ucs4)
{
    if (ucs4 < 0x80)
        return QByteArray(1, char(ucs4));
    QStringEncoder enc(kName, QStringConverter::Flag::Stateless);
    const QString s = QString::fromUcs4(&ucs4, 1);
    QByteArray out = enc.encode(s);
    if (enc.hasError() || out.isEmpty())
        return {};
    return out;
}

QByteArray encode(QStringView text)
{
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

} // namespace mirka::cp932
