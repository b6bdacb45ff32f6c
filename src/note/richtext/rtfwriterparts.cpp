#include "note/richtext/rtfwriterparts.h"
#include "note/richtext/rtfformat.h"
#include "note/richtext/rtflexer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace mirka::rtf {

namespace {

// Text inside a destination: ASCII as itself, the rest as \uN?.
void appendText(QByteArray &out, const QString &text)
{
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x80) {
            out += char(c);
        } else if (c >= 0x80) {
            out += "\\u" + QByteArray::number(c > 0x7FFF ? int(c) - 0x10000 : int(c)) + " ?";
        }
    }
}

int nfcOf(QTextListFormat::Style s)
{
    switch (s) {
    case QTextListFormat::ListDecimal: return 0;
    case QTextListFormat::ListUpperRoman: return 1;
    case QTextListFormat::ListLowerRoman: return 2;
    case QTextListFormat::ListUpperAlpha: return 3;
    case QTextListFormat::ListLowerAlpha: return 4;
    default: return 23;
    }
}

} // namespace

int listIndentTwips(const QTextListFormat &list)
{
    return 360 * (qMax(1, list.indent()) + 1);
}

// The levels a list read from RTF brought: number formats, starts, label
// texts with their number places, indents.
static QByteArray readLevels(const QVariantList &levels)
{
    QByteArray out;
    for (const QVariant &v : levels) {
        const QVariantList l = v.toList();
        const QByteArray nfc = QByteArray::number(qBound(0, l.value(0).toInt(), 255));
        const QString text = l.value(2).toString().left(254);
        QByteArray body, numbers;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text.at(i).unicode();
            if (c < 9) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\'%02x", int(c));
                body += hex;
                std::snprintf(hex, sizeof hex, "\\'%02x", int(i) + 1);
                numbers += hex;
            } else {
                appendText(body, QString(QChar(c)));
            }
        }
        char len[8];
        std::snprintf(len, sizeof len, "\\'%02x", int(text.size()));
        out += "{\\listlevel\\levelnfc" + nfc + "\\levelnfcn" + nfc + "\\leveljc0\\levelfollow0\\levelstartat"
            + QByteArray::number(qMax(0, l.value(1).toInt())) + "{\\leveltext" + len + body + ";}{\\levelnumbers"
            + numbers + ";}";
        if (l.value(5).toBool())
            out += "\\levellegal1";
        if (l.value(6).toBool())
            out += "\\levelnorestart1";
        if (const int fi = l.value(4).toInt())
            out += "\\fi" + QByteArray::number(fi);
        if (const int li = l.value(3).toInt())
            out += "\\li" + QByteArray::number(li);
        out += '}';
    }
    return out;
}

QByteArray listTables(const std::vector<QTextListFormat> &lists)
{
    if (lists.empty())
        return {};
    QByteArray out("{\\*\\listtable");
    for (size_t i = 0; i < lists.size(); ++i) {
        const QTextListFormat &f = lists[i];
        const int nfc = nfcOf(f.style());
        const QByteArray id = QByteArray::number(int(i) + 1);
        if (f.hasProperty(ListLevels)) {
            out += "\r\n{\\list\\listtemplateid" + id + readLevels(f.property(ListLevels).toList()) + "\\listid" + id + "}";
            continue;
        }
        out += "\r\n{\\list\\listtemplateid" + id + "\\listsimple{\\listlevel\\levelnfc"
            + QByteArray::number(nfc) + "\\levelnfcn" + QByteArray::number(nfc)
            + "\\leveljc0\\levelfollow0\\levelstartat1{\\leveltext";
        if (nfc == 23) {
            const char16_t bullet = f.style() == QTextListFormat::ListCircle ? 0x25CB
                : f.style() == QTextListFormat::ListSquare                   ? 0x25A0
                                                                             : 0x2022;
            out += "\\'01\\u" + QByteArray::number(int(bullet)) + " ?;}{\\levelnumbers;}";
        } else {
            const QString prefix = f.numberPrefix();
            const QString suffix = f.hasProperty(QTextFormat::ListNumberSuffix) ? f.numberSuffix()
                                                                                : QStringLiteral(".");
            const int length = int(prefix.size() + 1 + suffix.size());
            char len[8];
            std::snprintf(len, sizeof len, "\\'%02x", qMin(length, 255));
            out += len;
            appendText(out, prefix);
            out += "\\'00";
            appendText(out, suffix);
            std::snprintf(len, sizeof len, "\\'%02x", qMin(int(prefix.size()) + 1, 255));
            out += QByteArray(";}{\\levelnumbers") + len + ";}";
        }
        out += "\\fi-360\\li" + QByteArray::number(listIndentTwips(f)) + "}\\listid" + id + "}";
    }
    out += "}\r\n{\\*\\listoverridetable";
    for (size_t i = 0; i < lists.size(); ++i) {
        const QByteArray id = QByteArray::number(int(i) + 1);
        out += "{\\listoverride\\listid" + id + "\\listoverridecount0\\ls" + id + "}";
    }
    out += "}\r\n";
    return out;
}

QByteArray hyperlinkFieldStart(const QString &href)
{
    QByteArray out("{\\field{\\*\\fldinst{HYPERLINK \"");
    QString h = href;
    // The field syntax doubles backslashes; a quote would end the argument.
    h.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("%22"));
    appendText(out, h);
    out += "\"}}{\\fldrslt{";
    return out;
}

namespace {

bool needsEscape(char c) { return c == '\0' || uchar(c) >= 0x80; }

void appendHex(QByteArray &out, uchar b)
{
    static const char digits[] = "0123456789abcdef";
    out += digits[b >> 4];
    out += digits[b & 15];
}

} // namespace

QByteArray asciiRtf(const QByteArray &raw)
{
    if (std::none_of(raw.cbegin(), raw.cend(), needsEscape))
        return raw;
    const char *data = raw.constData();
    const qsizetype size = raw.size();
    QByteArray out;
    out.reserve(size + size / 2);
    // What is left out ended a control word before it: a blank ends it
    // instead, or the letters and digits after it would join the word.
    bool inWord = false;
    const auto leaveOut = [&] {
        if (inWord)
            out += ' ';
        inWord = false;
    };
    // Hex digits read as the same bytes as \binN's data only in a data
    // destination (a picture, an object, an ignorable group); before one
    // they would read as text, where the reader passes the data over.
    std::vector<char> dataGroups{0};
    qsizetype q = 0;
    while (q < size) {
        const char c = data[q++];
        if (c == '{')
            dataGroups.push_back(dataGroups.back());
        else if (c == '}' && dataGroups.size() > 1)
            dataGroups.pop_back();
        if (c == '\0') {
            leaveOut();
            continue;
        }
        if (uchar(c) >= 0x80) {
            out += "\\'";
            appendHex(out, uchar(c));
            inWord = false;
            continue;
        }
        if (c != '\\' || q >= size) {
            out += c;
            inWord = inWord && (detail::isAsciiDigit(c) || c == '-');
            continue;
        }
        if (!detail::isAsciiLetter(data[q])) {
            if (data[q] == '*')
                dataGroups.back() = 1;
            if (needsEscape(data[q])) {
                leaveOut();
            } else {
                out += c;
                out += data[q];
                inWord = false;
            }
            ++q;
            continue;
        }
        // A control word as it stands (its number follows as plain bytes);
        // \binN's data as hex digits instead.
        const qsizetype start = q;
        while (q < size && detail::isAsciiLetter(data[q]))
            ++q;
        const bool bin = q - start == 3 && std::memcmp(data + start, "bin", 3) == 0 && q < size
            && detail::isAsciiDigit(data[q]);
        if (!bin) {
            const std::string_view word(data + start, size_t(q - start));
            if (word == "pict" || word == "objdata")
                dataGroups.back() = 1;
            out += c;
            out.append(data + start, q - start);
            inWord = true;
            continue;
        }
        const qint64 n = detail::lexBinLength(data, size, &q);
        const qsizetype end = qMin<qint64>(q + n, size);
        leaveOut(); // no blank where nothing follows: it would read as text
        for (; q < end && dataGroups.back(); ++q)
            appendHex(out, uchar(data[q]));
        q = end;
        inWord = false;
    }
    return out;
}

} // namespace mirka::rtf
