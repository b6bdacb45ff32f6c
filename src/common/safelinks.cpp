#include "common/safelinks.h"

#include <QRegularExpression>
#include <QStringList>

namespace mirka::safelinks {

QString unescapeHtml(const QString &value)
{
    qsizetype amp = value.indexOf(u'&');
    if (amp < 0)
        return value;
    QString out;
    out.reserve(value.size());
    qsizetype last = 0;
    for (; amp >= 0; amp = value.indexOf(u'&', amp + 1)) {
        const qsizetype semi = value.indexOf(u';', amp + 1);
        if (semi < 0)
            break;
        const QStringView name = QStringView(value).mid(amp + 1, semi - amp - 1);
        if (name.isEmpty() || name.size() > 10)
            continue;
        bool ok = false;
        uint code = 0;
        if (name.startsWith(u'#'))
            code = name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive) ? name.mid(2).toUInt(&ok, 16)
                                                                              : name.mid(1).toUInt(&ok, 10);
        else if (name == QLatin1String("amp"))
            code = '&', ok = true;
        else if (name == QLatin1String("lt"))
            code = '<', ok = true;
        else if (name == QLatin1String("gt"))
            code = '>', ok = true;
        else if (name == QLatin1String("quot"))
            code = '"', ok = true;
        else if (name == QLatin1String("apos"))
            code = '\'', ok = true;
        else if (name == QLatin1String("nbsp"))
            code = 0xA0, ok = true;
        // An unknown name stays as written.
        if (!ok)
            continue;
        out += QStringView(value).mid(last, amp - last);
        // A number past Unicode is a character that makes no scheme.
        const char32_t c = code > 0 && code <= 0x10FFFF ? code : 0xFFFD;
        out += QString::fromUcs4(&c, 1);
        last = amp = semi;
        ++last;
    }
    out += QStringView(value).mid(last);
    return out;
}

bool isLinkable(const QString &address)
{
    QString a = address;
    a.remove(QRegularExpression(QStringLiteral("[\\t\\n\\r]")));
    qsizetype start = 0, end = a.size();
    while (start < end && a[start].unicode() <= 0x20)
        ++start;
    while (end > start && a[end - 1].unicode() <= 0x20)
        --end;
    a = a.mid(start, end - start);
    if (a.startsWith(u'#'))
        return true;
    static const QRegularExpression scheme(QStringLiteral("^([a-zA-Z][a-zA-Z0-9+.-]*):"));
    const QRegularExpressionMatch m = scheme.match(a);
    static const QStringList linkable = {"http", "https", "file", "mailto"};
    return m.hasMatch() && linkable.contains(m.captured(1).toLower());
}

QString linkOrText(const QString &address, const QString &text)
{
    if (isLinkable(address))
        return QStringLiteral("<a href=\"%1\">%2</a>").arg(address.toHtmlEscaped(), text.toHtmlEscaped());
    return QStringLiteral("%1 (%2)").arg(text.toHtmlEscaped(), address.toHtmlEscaped());
}

QString withLinkableLinksOnly(const QString &html)
{
    // Qt writes each link as <a href="…">…</a>, never one inside another,
    // with its attribute values quoted and escaped.
    static const QRegularExpression open(QStringLiteral("<a\\s[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression href(QStringLiteral("\\shref\\s*=\\s*\"([^\"]*)\""),
                                         QRegularExpression::CaseInsensitiveOption);
    QString out;
    out.reserve(html.size());
    qsizetype pos = 0;
    QRegularExpressionMatch m = open.match(html, pos);
    while (m.hasMatch()) {
        const QRegularExpressionMatch link = href.match(m.captured(0));
        out += QStringView(html).mid(pos, m.capturedStart() - pos);
        pos = m.capturedEnd();
        if (!link.hasMatch() || isLinkable(unescapeHtml(link.captured(1)))) {
            out += m.captured(0);
        } else {
            const qsizetype close = html.indexOf(QLatin1String("</a>"), pos, Qt::CaseInsensitive);
            const qsizetype textEnd = close < 0 ? html.size() : close;
            out += QStringView(html).mid(pos, textEnd - pos);
            pos = close < 0 ? html.size() : close + 4;
        }
        m = open.match(html, pos);
    }
    out += QStringView(html).mid(pos);
    return out;
}

} // namespace mirka::safelinks
