#include "search/pagetext.h"

#include <QHash>
#include <QStringDecoder>

namespace mirka::pagetext {

namespace {

using Bytes = QByteArrayView;

// One MIME entity: its headers (names in lower case, folded lines joined)
// and its body.
struct Entity {
    QHash<QByteArray, QByteArray> headers;
    Bytes body;
};

bool isHeaderName(Bytes name)
{
    for (char c : name)
        if (!(QChar::isLetterOrNumber(uchar(c)) && uchar(c) < 0x80) && c != '-')
            return false;
    return true;
}

Entity parseEntity(Bytes data)
{
    Entity e;
    qsizetype pos = 0;
    QByteArray name, value;
    auto keep = [&] {
        if (!name.isEmpty())
            e.headers.insert(name.trimmed().toLower(), value.trimmed());
        name.clear();
        value.clear();
    };
    while (pos < data.size()) {
        qsizetype eol = data.indexOf('\n', pos);
        if (eol < 0)
            eol = data.size();
        Bytes line = data.sliced(pos, eol - pos);
        pos = eol + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            break;
        if ((line[0] == ' ' || line[0] == '\t') && !name.isEmpty()) {
            value += ' ' + line.trimmed().toByteArray();
            continue;
        }
        keep();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isHeaderName(line.first(colon))) // no header block at all
            return {{}, data};
        name = line.first(colon).toByteArray();
        value = line.sliced(colon + 1).toByteArray();
    }
    keep();
    e.body = data.sliced(qMin(pos, data.size()));
    return e;
}

// A parameter of a header value: boundary="..." or charset=...
QByteArray parameter(const QByteArray &value, const QByteArray &name)
{
    for (const QByteArray &part : value.split(';')) {
        const qsizetype eq = part.indexOf('=');
        if (eq < 0 || part.first(eq).trimmed().toLower() != name)
            continue;
        QByteArray v = part.sliced(eq + 1).trimmed();
        if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"'))
            v = v.sliced(1, v.size() - 2);
        return v;
    }
    return {};
}

QByteArray fromQuotedPrintable(Bytes in)
{
    QByteArray bytes = in.toByteArray();
    bytes.replace("=\r\n", "").replace("=\n", ""); // soft line breaks
    return QByteArray::fromPercentEncoding(bytes, '=');
}

// The charset a page names in its first kilobytes (<meta charset=...> or
// content="text/html; charset=...").
QByteArray metaCharset(const QByteArray &html)
{
    const QByteArray head = html.first(qMin<qsizetype>(html.size(), 4096)).toLower();
    const qsizetype at = head.indexOf("charset=");
    if (at < 0)
        return {};
    qsizetype from = at + 8;
    while (from < head.size() && (head[from] == '"' || head[from] == '\'' || head[from] == ' '))
        ++from;
    qsizetype to = from;
    while (to < head.size() && (QChar::isLetterOrNumber(uchar(head[to])) || head[to] == '-' || head[to] == '_'))
        ++to;
    return head.sliced(from, to - from);
}

QString decode(const QByteArray &bytes, QByteArray charset)
{
    if (charset.isEmpty())
        charset = "utf-8";
    QStringDecoder decoder(charset.constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return decoder.decode(bytes);
}

void collect(const Entity &e, QString &out, qsizetype maxChars, int depth)
{
    if (out.size() >= maxChars || depth > 8)
        return;
    const QByteArray type = e.headers.value("content-type", "text/html");
    const QByteArray mime = type.split(';').first().trimmed().toLower();
    if (mime.startsWith("multipart/")) {
        const QByteArray boundary = "--" + parameter(type, "boundary");
        if (boundary.size() <= 2)
            return;
        // Each part runs from the line after one delimiter to the line
        // end before the next.
        qsizetype at = e.body.indexOf(boundary);
        while (at >= 0 && out.size() < maxChars) {
            qsizetype start = at + boundary.size();
            if (e.body.sliced(start).startsWith("--"))
                break;
            const qsizetype eol = e.body.indexOf('\n', start);
            if (eol < 0)
                break;
            start = eol + 1;
            const qsizetype next = e.body.indexOf(boundary, start);
            const qsizetype end = next < 0 ? e.body.size() : next;
            collect(parseEntity(e.body.sliced(start, end - start)), out, maxChars, depth + 1);
            at = next;
        }
        return;
    }
    if (mime != "text/html" && mime != "text/plain" && mime != "application/xhtml+xml")
        return;
    const QByteArray encoding = e.headers.value("content-transfer-encoding").trimmed().toLower();
    QByteArray bytes = encoding == "quoted-printable" ? fromQuotedPrintable(e.body)
        : encoding == "base64"                        ? QByteArray::fromBase64(e.body.toByteArray())
                                                      : e.body.toByteArray();
    QByteArray charset = parameter(type, "charset");
    if (mime != "text/plain" && charset.isEmpty())
        charset = metaCharset(bytes);
    const QString text = decode(bytes, charset);
    if (!out.isEmpty())
        out += u'\n';
    out += mime == "text/plain" ? text : fromHtml(text);
}

const QHash<QString, QChar> &namedReferences()
{
    static const QHash<QString, QChar> names{
        {QStringLiteral("amp"), u'&'},    {QStringLiteral("lt"), u'<'},      {QStringLiteral("gt"), u'>'},
        {QStringLiteral("quot"), u'"'},   {QStringLiteral("apos"), u'\''},   {QStringLiteral("nbsp"), u' '},
        {QStringLiteral("copy"), u'©'},   {QStringLiteral("reg"), u'®'},     {QStringLiteral("yen"), u'¥'},
        {QStringLiteral("hellip"), u'…'}, {QStringLiteral("mdash"), u'—'},   {QStringLiteral("ndash"), u'–'},
        {QStringLiteral("laquo"), u'«'},  {QStringLiteral("raquo"), u'»'},   {QStringLiteral("middot"), u'·'},
        {QStringLiteral("times"), u'×'},  {QStringLiteral("lsquo"), u'‘'},   {QStringLiteral("rsquo"), u'’'},
        {QStringLiteral("ldquo"), u'“'},  {QStringLiteral("rdquo"), u'”'},   {QStringLiteral("bull"), u'•'},
    };
    return names;
}

// Resolves the reference at html[i] ('&'); the characters it took in *used.
QString reference(QStringView html, qsizetype i, qsizetype *used)
{
    *used = 1;
    const qsizetype semi = html.indexOf(u';', i + 1);
    if (semi < 0 || semi - i > 12)
        return QStringLiteral("&");
    const QStringView name = html.sliced(i + 1, semi - i - 1);
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint code = name.size() > 1 && (name[1] == u'x' || name[1] == u'X') ? name.sliced(2).toUInt(&ok, 16)
                                                                                  : name.sliced(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return QStringLiteral("&");
        *used = semi - i + 1;
        const char32_t c = code;
        return QString::fromUcs4(&c, 1);
    }
    const auto it = namedReferences().find(name.toString());
    if (it == namedReferences().end())
        return QStringLiteral("&");
    *used = semi - i + 1;
    return QString(*it);
}

bool isBlockTag(QStringView name)
{
    static const char *const blocks[] = {"p",  "div", "br", "li", "tr", "td", "th", "h1", "h2", "h3", "h4",
                                         "h5", "h6",  "ul", "ol", "dl", "dt", "dd", "table", "section",
                                         "article", "header", "footer", "nav", "blockquote", "pre", "hr",
                                         "title", "figure", "figcaption", "main", "aside", "form", "option"};
    for (const char *b : blocks)
        if (name.compare(QLatin1String(b), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

QString fromHtml(QStringView html)
{
    QString out;
    out.reserve(html.size() / 3);
    bool blank = true; // what was written last is a blank or a line end
    auto blankOut = [&](QChar c) {
        if (!blank) {
            out += c;
            blank = true;
        } else if (c == u'\n' && !out.isEmpty() && out.back() == u' ') {
            out.back() = u'\n';
        }
    };
    const qsizetype n = html.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = html[i];
        if (c == u'<') {
            if (html.sliced(i).startsWith(u"<!--")) {
                const qsizetype end = html.indexOf(u"-->", i + 4);
                i = end < 0 ? n : end + 3;
                continue;
            }
            qsizetype j = i + 1;
            const bool closing = j < n && html[j] == u'/';
            if (closing)
                ++j;
            const qsizetype nameStart = j;
            while (j < n && (html[j].isLetterOrNumber() || html[j] == u'-'))
                ++j;
            const QStringView name = html.sliced(nameStart, j - nameStart);
            if (name.isEmpty() && !closing && (j >= n || (html[j] != u'!' && html[j] != u'?'))) {
                blank = false; // a lone '<' is text
                out += c;
                ++i;
                continue;
            }
            const qsizetype close = html.indexOf(u'>', j);
            i = close < 0 ? n : close + 1;
            // What scripts, styles and ruby readings hold is not the page's text.
            for (const char *skipped : {"script", "style", "rt", "rp", "noscript", "template"}) {
                if (!closing && name.compare(QLatin1String(skipped), Qt::CaseInsensitive) == 0) {
                    const QString end = QStringLiteral("</") + QLatin1String(skipped);
                    const qsizetype at = html.indexOf(end, i, Qt::CaseInsensitive);
                    i = at < 0 ? n : at;
                    break;
                }
            }
            if (isBlockTag(name))
                blankOut(u'\n');
            continue;
        }
        if (c == u'&') {
            qsizetype used = 1;
            const QString r = reference(html, i, &used);
            i += used;
            if (r == QStringLiteral(" ")) {
                blankOut(u' ');
            } else {
                out += r;
                blank = false;
            }
            continue;
        }
        if (c.isSpace()) {
            blankOut(u' ');
        } else {
            out += c;
            blank = false;
        }
        ++i;
    }
    return out.trimmed();
}

QString fromSavedPage(const QByteArray &file, qsizetype maxChars)
{
    QString out;
    collect(parseEntity(file), out, maxChars, 0);
    if (out.size() > maxChars)
        out.truncate(maxChars);
    return out;
}

} // namespace mirka::pagetext
