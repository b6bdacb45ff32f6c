// Pictures and kept items: decoding the picture formats Windows editors
// write, and the placeholder characters for what the editor does not show.
#include "note/richtext/rtfobjects.h"
#include "note/richtext/rtfformat.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <cstring>
#include <vector>

namespace mirka::rtf {

QTextCharFormat keptFormat(const QTextCharFormat &base, const QByteArray &raw, const QString &label)
{
    QTextCharFormat f = base;
    f.setObjectType(KeptObjectType);
    f.setProperty(KeptRtf, raw);
    f.setProperty(KeptLabel, label);
    return f;
}

namespace {

quint32 le32(const char *p)
{
    const auto *u = reinterpret_cast<const uchar *>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}
quint16 le16(const char *p)
{
    const auto *u = reinterpret_cast<const uchar *>(p);
    return quint16(u[0] | u[1] << 8);
}
void put32(QByteArray &b, quint32 v)
{
    const char s[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    b.append(s, 4);
}

// A BMP file of a device independent bitmap (header, colours, bits);
// empty when it is not one. colourBytes < 0: worked out from the header.
QByteArray bmpOfDib(const char *dib, qsizetype size, qsizetype headerAndColours = -1)
{
    if (size < 12)
        return {};
    const quint32 hs = le32(dib);
    if (hs != 12 && hs != 40 && hs != 52 && hs != 56 && hs != 64 && hs != 108 && hs != 124)
        return {};
    if (hs > quint32(size))
        return {};
    if (headerAndColours < 0) {
        const int bits = hs == 12 ? le16(dib + 10) : le16(dib + 14);
        const quint32 compression = hs == 12 ? 0 : le32(dib + 16);
        quint32 used = hs >= 40 ? le32(dib + 32) : 0;
        if (bits <= 8 && used == 0)
            used = 1u << bits;
        if (used > 256)
            return {};
        headerAndColours = qsizetype(hs) + qsizetype(used) * (hs == 12 ? 3 : 4);
        if (hs == 40 && (compression == 3 || compression == 6))
            headerAndColours += compression == 3 ? 12 : 16;
    }
    if (headerAndColours > size)
        return {};
    QByteArray b("BM");
    put32(b, quint32(14 + size));
    put32(b, 0);
    put32(b, quint32(14 + headerAndColours));
    b.append(dib, size);
    return b;
}

// The one bitmap a Windows metafile draws; empty when it draws anything else
// that shows, or more than one bitmap.
QByteArray bitmapOfWmf(const char *d, qsizetype n)
{
    qsizetype p = 0;
    if (n >= 22 && le32(d) == 0x9AC6CDD7u)
        p = 22; // placeable header
    if (n - p < 18)
        return {};
    p += qsizetype(le16(d + p + 2)) * 2;
    QByteArray found;
    while (p + 6 <= n) {
        const qsizetype len = qsizetype(le32(d + p)) * 2;
        const quint16 fn = le16(d + p + 4);
        if (len < 6 || p + len > n)
            break;
        if (fn == 0)
            break; // end of file
        qsizetype skip = -1;
        switch (fn) {
        case 0x0B41: skip = 20; break; // DIBSTRETCHBLT
        case 0x0F43: skip = 22; break; // STRETCHDIB
        case 0x0940: skip = 16; break; // DIBBITBLT
        case 0x0D33: skip = 18; break; // SETDIBTODEV
        default: break;
        }
        if (skip >= 0) {
            if (!found.isEmpty())
                return {};
            if (6 + skip < len)
                found = bmpOfDib(d + p + 6 + skip, len - 6 - skip);
            if (found.isEmpty())
                return {};
        } else {
            // Text and lines draw something a single bitmap does not carry.
            switch (fn) {
            case 0x0521: case 0x0A32: case 0x0213: case 0x0325: case 0x0324: case 0x041B:
            case 0x0418: case 0x0817: case 0x061C: case 0x0538: case 0x0830: case 0x0A1A:
                return {};
            default:
                break;
            }
        }
        p += len;
    }
    return found;
}

QByteArray bitmapOfEmf(const char *d, qsizetype n)
{
    qsizetype p = 0;
    QByteArray found;
    while (p + 8 <= n) {
        const quint32 type = le32(d + p);
        const qsizetype len = qsizetype(le32(d + p + 4));
        if (len < 8 || p + len > n)
            break;
        qsizetype at = -1;
        switch (type) {
        case 81: case 80: at = 48; break; // STRETCHDIBITS, SETDIBITSTODEVICE
        case 76: case 77: at = 84; break; // BITBLT, STRETCHBLT
        case 84: case 83: case 85: case 86: case 88: case 96: case 97: case 54: case 2: case 3:
        case 4: case 5: case 6: case 42: case 43: case 44: case 45: case 46: case 47:
            return {}; // text, lines and shapes
        default: break;
        }
        if (at >= 0 && at + 16 <= len) {
            const qsizetype offBmi = le32(d + p + at), cbBmi = le32(d + p + at + 4);
            const qsizetype offBits = le32(d + p + at + 8), cbBits = le32(d + p + at + 12);
            if (cbBmi > 0) {
                if (!found.isEmpty() || offBmi + cbBmi > len || offBits + cbBits > len)
                    return {};
                QByteArray dib(d + p + offBmi, cbBmi);
                dib.append(d + p + offBits, cbBits);
                found = bmpOfDib(dib.constData(), dib.size(), cbBmi);
                if (found.isEmpty())
                    return {};
            }
        }
        if (type == 14)
            break;
        p += len;
    }
    return found;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Picture data as hex digits, 128 to a line.
QByteArray hexLines(const QByteArray &data)
{
    const QByteArray hex = data.toHex();
    QByteArray out;
    out.reserve(hex.size() + hex.size() / 64 + 2);
    for (qsizetype i = 0; i < hex.size(); i += 128) {
        out.append(hex.constData() + i, qMin<qsizetype>(128, hex.size() - i));
        out += "\r\n";
    }
    return out;
}

} // namespace

Picture decodePicture(const char *d, qsizetype n)
{
    enum { None, Png, Jpeg, Wmf, Emf, Dib } kind = None;
    int picw = 0, pich = 0, goalw = 0, goalh = 0, scalex = 100, scaley = 100;
    // Written in place: no more bytes come out than went in.
    QByteArray data(n, Qt::Uninitialized);
    char *out = data.data();
    qsizetype length = 0;
    // The picture's own words, for a group of its own when the data sat in
    // a nested group: other readers take hex digits there for text.
    QByteArray words;
    bool nested = false;
    // Data comes from the picture's group and the plain groups inside it,
    // not from ignorable ones (\*\blipuid …) or its properties.
    std::vector<char> dataGroup{1};
    int nibble = -1;
    for (qsizetype p = 0; p < n;) {
        const char c = d[p];
        const int depth = int(dataGroup.size()) - 1;
        if (c == '{') {
            const bool star = p + 2 < n && d[p + 1] == '\\' && d[p + 2] == '*';
            dataGroup.push_back(depth == 0 || (dataGroup.back() && !star));
            ++p;
        } else if (c == '}') {
            if (dataGroup.size() > 1)
                dataGroup.pop_back();
            ++p;
        } else if (c == '\\') {
            ++p;
            if (p < n && !std::isalpha(uchar(d[p]))) {
                ++p;
                continue;
            }
            const qsizetype s = p;
            while (p < n && std::isalpha(uchar(d[p])))
                ++p;
            const std::string_view w(d + s, size_t(p - s));
            bool neg = false;
            if (p < n && d[p] == '-') {
                neg = true;
                ++p;
            }
            qint64 v = 0;
            while (p < n && std::isdigit(uchar(d[p]))) {
                v = qMin<qint64>(v * 10 + (d[p] - '0'), 0x7FFFFFFF);
                ++p;
            }
            const qsizetype wordEnd = p;
            if (p < n && d[p] == ' ')
                ++p;
            const int value = int(neg ? -v : v);
            if (w == "bin") {
                const qsizetype len = qBound<qsizetype>(0, v, n - p);
                if (depth >= 1 && dataGroup.back()) {
                    std::memcpy(out + length, d + p, size_t(len));
                    length += len;
                    nested = nested || depth > 1;
                }
                p += len;
                continue;
            }
            if (depth > 1 && (w == "picprop" || w == "blipuid"))
                dataGroup.back() = 0;
            if (depth != 1)
                continue;
            if (w != "pict")
                words.append(d + s - 1, wordEnd - s + 1);
            if (w == "pngblip") kind = Png;
            else if (w == "jpegblip") kind = Jpeg;
            else if (w == "wmetafile") kind = Wmf;
            else if (w == "emfblip") kind = Emf;
            else if (w == "dibitmap") kind = Dib;
            else if (w == "picw") picw = value;
            else if (w == "pich") pich = value;
            else if (w == "picwgoal") goalw = value;
            else if (w == "pichgoal") goalh = value;
            else if (w == "picscalex") scalex = value;
            else if (w == "picscaley") scaley = value;
        } else {
            const int h = depth >= 1 && dataGroup.back() ? hexValue(c) : -1;
            if (h >= 0) {
                if (nibble < 0) {
                    nibble = h;
                } else {
                    out[length++] = char(nibble << 4 | h);
                    nibble = -1;
                    nested = nested || depth > 1;
                }
            }
            ++p;
        }
    }
    data.truncate(length);
    data.squeeze(); // the document keeps it
    Picture pic;
    switch (kind) {
    case Png:
    case Jpeg: pic.image = data; break;
    case Wmf: pic.image = bitmapOfWmf(data.constData(), data.size()); break;
    case Emf: pic.image = bitmapOfEmf(data.constData(), data.size()); break;
    case Dib: pic.image = bmpOfDib(data.constData(), data.size()); break;
    case None: break;
    }
    if (pic.image.isEmpty())
        return pic;
    double w = goalw > 0 ? goalw / kTwipsPerPixel : 0, h = goalh > 0 ? goalh / kTwipsPerPixel : 0;
    if (w <= 0 || h <= 0) {
        if ((kind == Png || kind == Jpeg || kind == Dib) && picw > 0 && pich > 0) {
            w = picw;
            h = pich;
        } else if (picw > 0 && pich > 0) {
            w = picw * 96.0 / 2540; // metafiles: hundredths of a millimetre
            h = pich * 96.0 / 2540;
        } else {
            QBuffer buffer(&pic.image);
            QImageReader reader(&buffer);
            const QSize s = reader.size();
            if (!s.isValid()) {
                pic.image.clear();
                return pic;
            }
            w = s.width();
            h = s.height();
        }
    }
    if (scalex > 0)
        w = w * scalex / 100.0;
    if (scaley > 0)
        h = h * scaley / 100.0;
    pic.size = QSizeF(qBound(1.0, w, 20000.0), qBound(1.0, h, 20000.0));
    if (nested)
        pic.flat = "{\\pict" + words + "\r\n" + hexLines(data) + '}';
    return pic;
}

QByteArray pictGroup(const QImage &image, const QSizeF &shownSize)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const QSizeF s = shownSize.isValid() && !shownSize.isEmpty() ? shownSize : QSizeF(image.size());
    QByteArray out("{\\pict\\pngblip\\picw");
    out += QByteArray::number(image.width()) + "\\pich" + QByteArray::number(image.height());
    out += "\\picwgoal" + QByteArray::number(qRound(s.width() * kTwipsPerPixel)) + "\\pichgoal"
        + QByteArray::number(qRound(s.height() * kTwipsPerPixel)) + "\r\n";
    out += hexLines(png);
    out += '}';
    return out;
}

// A footnote mark is drawn as its number; other kept items as a small
// framed label.
static bool isMark(const QTextCharFormat &f) { return !f.stringProperty(KeptText).isEmpty(); }

QSizeF KeptObjectHandler::intrinsicSize(QTextDocument *doc, int, const QTextFormat &format)
{
    const QTextCharFormat f = format.toCharFormat();
    const QFontMetricsF fm(f.font().resolve(doc->defaultFont()));
    return QSizeF(fm.horizontalAdvance(f.stringProperty(KeptLabel)) + (isMark(f) ? 0 : 4), fm.height());
}

void KeptObjectHandler::drawObject(QPainter *painter, const QRectF &rect, QTextDocument *doc, int,
                                   const QTextFormat &format)
{
    const QTextCharFormat f = format.toCharFormat();
    painter->save();
    painter->setFont(f.font().resolve(doc->defaultFont()));
    painter->setPen(QColor(90, 90, 90));
    if (!isMark(f))
        painter->drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    painter->drawText(rect, Qt::AlignCenter, f.stringProperty(KeptLabel));
    painter->restore();
}

void KeptObjectHandler::install(QTextDocument *doc)
{
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    if (layout->handlerForObject(KeptObjectType))
        return;
    layout->registerHandler(KeptObjectType, new KeptObjectHandler(layout));
}

QString readerText(const QTextCharFormat &f)
{
    return f.objectType() == KeptObjectType ? f.stringProperty(KeptText) : QString();
}

namespace {

// The empty paragraph Qt keeps before a table at the start of the document
// or of a cell: no paragraph of the text, and the writer leaves it out.
bool onlyBeforeTable(const QTextBlock &b)
{
    const QTextBlock next = b.next();
    if (b.length() != 1 || !next.isValid() || hasOwnCharFormat(b.charFormat()))
        return false;
    const QTextCursor at(b);
    const QTextTable *inner = QTextCursor(next).currentTable();
    if (!inner || inner->parentFrame() != at.currentFrame())
        return false;
    const QTextTable *outer = at.currentTable();
    return b.position() == (outer ? outer->cellAt(b.position()).firstPosition() : at.currentFrame()->firstPosition());
}

} // namespace

QString plainText(const QTextDocument *doc, int start, int end)
{
    if (end < 0)
        end = doc->characterCount() - 1;
    QString out;
    bool first = true;
    for (QTextBlock b = doc->findBlock(start); b.isValid() && b.position() <= end; b = b.next()) {
        if (onlyBeforeTable(b))
            continue;
        if (!first)
            out += QLatin1Char('\n');
        first = false;
        if (b.position() >= start) {
            const QString label = listLabel(b);
            if (!label.isEmpty())
                out += label + QLatin1Char('\t');
        }
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const int from = qMax(start, f.position()), to = qMin(end, f.position() + f.length());
            if (from >= to)
                continue;
            const QTextCharFormat cf = f.charFormat();
            if (cf.objectType() == KeptObjectType)
                out += readerText(cf).repeated(to - from);
            else if (!cf.isImageFormat())
                out += f.text().mid(from - f.position(), to - from);
        }
    }
    out.replace(QChar::LineSeparator, QLatin1Char('\n'));
    out.remove(QChar::ObjectReplacementCharacter);
    return out;
}

} // namespace mirka::rtf
