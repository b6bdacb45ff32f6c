// The RTF writer: what the Windows rich-text control, Word and LibreOffice
// read back with the same text and formatting. Two passes over the
// formatting runs: the first gathers the font and colour tables, the second
// writes the body with only the control words that change.
#include "note/richtext/rtf.h"
#include "note/richtext/rtfwriterimpl.h"

namespace mirka::rtf {

namespace writer {

bool nameLooksJapanese(const QString &name)
{
    for (QChar c : name) {
        if (c.unicode() >= 0x80)
            return true;
    }
    static const char *const hints[] = {"Gothic", "Mincho", "Meiryo", "CJK JP", "IPA", "Yu ",
                                        "Hiragino", "Osaka", "Takao", "MS UI", "MS P"};
    for (const char *h : hints) {
        if (name.contains(QLatin1String(h), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

int Writer::fontIndex(const QString &family)
{
    const auto it = m_fontIndex.constFind(family);
    if (it != m_fontIndex.constEnd())
        return *it;
    const int i = m_fonts.empty() ? 0 : m_fonts.rbegin()->first + 1;
    m_fonts[i] = Font{family, nameLooksJapanese(family) || family == mirka::gothicFamily()};
    m_fontIndex.insert(family, i);
    return i;
}

// Kept groups name fonts and colours by the numbers they were read with:
// those stay, and what the editor adds comes after them.
void Writer::keepTables()
{
    const QVariantList fonts = m_doc->property(documentFontsProperty()).toList();
    for (const QVariant &v : fonts) {
        const QVariantList f = v.toList();
        const int n = f.value(0).toInt();
        const QString name = f.value(1).toString();
        if (f.size() != 3 || n < 0 || n > 32767 || name.isEmpty())
            continue;
        const int charset = f.value(2).toInt();
        m_fonts[n] = Font{name, charset == 128, charset};
        if (!m_fontIndex.contains(name))
            m_fontIndex.insert(name, n);
    }
    const QVariantList colors = m_doc->property(documentColorsProperty()).toList();
    for (qsizetype i = 1; i < colors.size() && i < 32767; ++i) {
        const QColor c = colors.at(i).value<QColor>();
        m_colors.push_back(c);
        if (c.isValid() && !m_colorIndex.contains(c.rgb()))
            m_colorIndex.insert(c.rgb(), int(m_colors.size()));
    }
}

int Writer::colorIndex(const QColor &c)
{
    if (!c.isValid())
        return 0;
    const QRgb rgb = c.rgb();
    const auto it = m_colorIndex.constFind(rgb);
    if (it != m_colorIndex.constEnd())
        return *it;
    m_colors.push_back(QColor(rgb));
    const int i = int(m_colors.size()); // index 0 is "automatic"
    m_colorIndex.insert(rgb, i);
    return i;
}

int Writer::propsOf(int formatIndex)
{
    if (formatIndex < 0 || formatIndex >= int(m_props.size()))
        formatIndex = -1;
    if (formatIndex >= 0 && m_props[size_t(formatIndex)] >= 0)
        return m_props[size_t(formatIndex)];
    const QTextCharFormat cf =
        formatIndex >= 0 ? m_formats.at(formatIndex).toCharFormat() : QTextCharFormat();
    const Shown s = shownFormat(cf, m_doc->defaultFont());
    Props p;
    p.font = fontIndex(s.family);
    p.size = s.size;
    p.bold = s.bold;
    p.italic = s.italic;
    p.underline = s.underline;
    p.strike = s.strike;
    p.vpos = s.vpos;
    if (cf.boolProperty(HiddenText)) {
        p.hidden = true;
        if (cf.underlineStyle() == QTextCharFormat::DotLine)
            p.underline = false; // the mark of hidden text, not an underline
    }
    if (cf.isAnchor() && !cf.anchorHref().isEmpty()) {
        const QString href = cf.anchorHref();
        int &link = m_linkIndex[href];
        if (!link) {
            link = int(m_links.size());
            m_links.push_back(href);
        }
        p.link = link;
    }
    p.fg = colorIndex(s.fg);
    p.bg = colorIndex(s.bg);
    const int i = int(m_runProps.size());
    m_runProps.push_back(p);
    if (formatIndex >= 0)
        m_props[size_t(formatIndex)] = i;
    return i;
}

int Writer::paraOf(int formatIndex)
{
    if (formatIndex >= 0 && formatIndex < int(m_paras.size()) && m_paras[size_t(formatIndex)] >= 0)
        return m_paras[size_t(formatIndex)];
    const QTextBlockFormat bf = formatIndex >= 0 && formatIndex < m_formats.size()
        ? m_formats.at(formatIndex).toBlockFormat()
        : QTextBlockFormat();
    const int i = int(m_paraProps.size());
    ParaProps pp = fromBlockFormat(bf);
    if (const auto *list = qobject_cast<const QTextList *>(m_doc->objectForFormat(bf))) {
        int &ls = m_listIndex[list];
        if (!ls) {
            m_lists.push_back(list->format());
            ls = int(m_lists.size());
        }
        pp.ls = ls; // without an indent of its own, the list level's applies
    }
    m_paraProps.push_back(pp);
    if (formatIndex >= 0 && formatIndex < int(m_paras.size()))
        m_paras[size_t(formatIndex)] = i;
    return i;
}

const CodePage *Writer::codePageOf(const Font &font) const
{
    const int cp = codePageForCharset(writtenCharset(font));
    if (cp < 0)
        return nullptr; // symbol: only ASCII goes out as bytes
    const CodePage *page = cp > 0 ? CodePage::get(cp) : nullptr;
    return page ? page : m_cp932;
}

void Writer::fontName(Out &out, const Font &font) const
{
    const CodePage *cp = codePageOf(font);
    const QString &name = font.name;
    out.raw(" ");
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '{' && c != '}' && c != ';') {
            out.text(char(c));
            continue;
        }
        unsigned char b[2];
        const int n = cp ? cp->encodeExact(c, b) : 0;
        if (n > 0) {
            for (int k = 0; k < n; ++k)
                out.hex(b[k]);
        } else if (c >= 0x20) {
            out.word("\\u", c > 0x7FFF ? int(c) - 0x10000 : int(c));
            out.fallbackChar();
        }
    }
}

void Writer::header(Out &out) const
{
    out.raw("{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041");
    out.raw("{\\fonttbl");
    for (const auto &[i, font] : m_fonts) {
        if (font.name.isEmpty())
            continue;
        out.word("{\\f", i);
        out.word("\\fnil");
        out.word("\\fcharset", writtenCharset(font));
        // The body face stands under the design's name, with the face used
        // here as its alternate, so either system shows the intended face.
        const bool substitute = font.name == mirka::gothicFamily() && font.name != mirka::gothicDesignFamily();
        fontName(out, substitute ? Font{mirka::gothicDesignFamily(), true} : font);
        if (substitute) {
            out.raw("{\\*\\falt");
            fontName(out, font);
            out.raw("}");
        }
        out.raw(";}");
    }
    out.raw("}");
    out.newline();
    out.raw("{\\colortbl ;");
    for (const QColor &c : m_colors) {
        if (!c.isValid()) {
            out.raw(";");
            continue;
        }
        out.word("\\red", c.red());
        out.word("\\green", c.green());
        out.word("\\blue", c.blue());
        out.raw(";");
    }
    out.raw("}");
    out.newline();
    out.raw(listTables(m_lists));
    const QByteArray head = asciiRtf(m_doc->property(documentHeadProperty()).toByteArray());
    if (!head.isEmpty()) {
        out.raw(head);
        out.newline();
    }
    out.word("\\viewkind4\\uc1");
}

void Writer::writePara(Out &out, const ParaProps &p) const
{
    out.word("\\pard");
    switch (p.align) {
    case 1: out.word("\\qr"); break;
    case 2: out.word("\\qc"); break;
    case 3: out.word("\\qj"); break;
    default: break;
    }
    if (p.li)
        out.word("\\li", p.li);
    if (p.ri)
        out.word("\\ri", p.ri);
    if (p.fi)
        out.word("\\fi", p.fi);
    if (p.sb)
        out.word("\\sb", p.sb);
    if (p.sa)
        out.word("\\sa", p.sa);
    if (p.sl) {
        out.word("\\sl", p.sl);
        out.word("\\slmult", p.slMult ? 1 : 0);
    }
    if (p.itap > 0)
        out.word("\\intbl");
    if (p.itap > 1)
        out.word("\\itap", p.itap);
    if (p.ls) {
        out.word("\\ls", p.ls);
        out.word("\\ilvl", p.ilvl);
    }
}

void Writer::writeProps(Out &out, const Props &p, const Props &prev) const
{
    if (p.font != prev.font)
        out.word("\\f", p.font);
    if (p.size != prev.size) {
        // Half points for everyone; the exact size for ourselves when it
        // is finer than that (the default 11.25 pt is).
        out.word("\\fs", (p.size + 25) / 50);
        if (p.size % 50)
            out.word("\\mirkafs", p.size);
    }
    if (p.bold != prev.bold)
        out.word(p.bold ? "\\b" : "\\b0");
    if (p.italic != prev.italic)
        out.word(p.italic ? "\\i" : "\\i0");
    if (p.underline != prev.underline)
        out.word(p.underline ? "\\ul" : "\\ulnone");
    if (p.strike != prev.strike)
        out.word(p.strike ? "\\strike" : "\\strike0");
    if (p.hidden != prev.hidden)
        out.word(p.hidden ? "\\v" : "\\v0");
    if (p.vpos != prev.vpos)
        out.word(p.vpos == 1 ? "\\super" : p.vpos == 2 ? "\\sub" : "\\nosupersub");
    if (p.fg != prev.fg)
        out.word("\\cf", p.fg);
    if (p.bg != prev.bg)
        out.word("\\highlight", p.bg);
}

void Writer::writeText(Out &out, QStringView text, const Props &p, bool fontCurrent)
{
    const Font &font = m_fonts[p.font];
    const CodePage *cp = codePageOf(font);
    // A symbol font's bytes are its glyphs: a reader turns "a" into alpha.
    // What the document holds as letters goes out as \uN, read as it is.
    const bool symbol = !cp;
    // In the font a reader holds, with a charset that names its code page,
    // a character the code page holds is its bytes alone, as the rich-text
    // control writes it: every reader decodes them by that charset.
    const bool bytesOnly = fontCurrent && cp && codePageForCharset(writtenCharset(font)) > 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0x20 && c < 0x7F && !symbol) { // DEL is no text byte in CP932: escaped below
            if (c == '\\' || c == '{' || c == '}') {
                const char s[2] = {'\\', char(c)};
                out.raw(QByteArray(s, 2).constData());
                continue;
            }
            out.text(char(c));
            continue;
        }
        switch (c) {
        case '\t': out.word("\\tab"); continue;
        case 0x2028: out.word("\\line"); continue;
        case 0x00A0: out.raw("\\~"); continue;
        case 0x00AD: out.raw("\\-"); continue;
        case 0x2011: out.raw("\\_"); continue;
        case 0x2029: out.word("\\line"); continue;
        case 0xFFFC:
        case 0xFDD0:
        case 0xFDD1: continue;
        default: break;
        }
        if (c < 0x20)
            continue;
        unsigned char b[2];
        int n = 0;
        if (!QChar::isSurrogate(c) && cp)
            n = cp->encode(c, b);
        else if (QChar::isHighSurrogate(c) && !(i + 1 < text.size() && text.at(i + 1).isLowSurrogate()))
            continue; // a lone half of a pair is no character
        else if (QChar::isLowSurrogate(c) && !(i > 0 && text.at(i - 1).isHighSurrogate()))
            continue;
        // Bytes that read back as a look-alike are only the fallback of its \uN.
        if (bytesOnly && n > 0 && cp->readsAs(b, n, c)) {
            out.hex(b[0]);
            if (n == 2)
                out.hex(b[1]);
            continue;
        }
        const int uc = n > 0 ? n : 1;
        if (uc != m_uc) {
            out.word("\\uc", uc);
            m_uc = uc;
        }
        out.unicode(c > 0x7FFF ? int(c) - 0x10000 : int(c), b, n);
    }
}

QByteArray Writer::run()
{
    // Pass 1: the tables, and which fonts hold Japanese text.
    forEachRun([this](const QTextBlock &block, const QString &text, int formatIndex) {
        if (formatIndex < 0) {
            paraOf(block.blockFormatIndex());
            if (block.length() == 1)
                propsOf(block.charFormatIndex());
            return;
        }
        const Props &p = m_runProps[size_t(propsOf(formatIndex))];
        Font &font = m_fonts[p.font];
        for (QChar ch : text) {
            const char16_t c = ch.unicode();
            if (c < 0x80)
                continue;
            unsigned char b[2];
            if ((c >= 0xFF61 && c <= 0xFF9F) || (m_cp932 && m_cp932->encode(c, b) == 2)) {
                font.japanese = true;
                break;
            }
        }
    }, [this](int formatIndex) { return m_fonts[m_runProps[size_t(propsOf(formatIndex))].font].japanese; });

    Out body;
    body.bytes.reserve(qMax(1024, (m_end - m_start) * 3));
    const QTextFrame *root = m_doc->rootFrame();
    writeItems(body, root, root->firstPosition(), root->lastPosition(), 0, false);

    // A range that ends where a paragraph starts holds the mark before it:
    // one more \\par, as the last one is no mark of its own to a reader.
    const QTextBlock next = m_doc->findBlock(m_end);
    if (m_end > m_start && next.position() == m_end && !visits(next, m_end))
        body.word("\\par");

    Out out;
    out.bytes.reserve(body.bytes.size() + 1024);
    header(out);
    out.bytes.append(' ');
    out.bytes.append(body.bytes);
    out.raw("}");
    out.newline();
    return out.bytes;
}

} // namespace writer

using writer::Writer;

QByteArray write(const QTextDocument *doc)
{
    return write(doc, 0, doc->characterCount() - 1);
}

QByteArray write(const QTextDocument *doc, int start, int end)
{
    const int last = qMax(0, doc->characterCount() - 1);
    start = qBound(0, start, last);
    end = qBound(start, end, last);
    Writer w(doc, start, end);
    return w.run();
}

} // namespace mirka::rtf
