// The RTF writer: what the Windows rich-text control, Word and LibreOffice
// read back with the same text and formatting. Two passes over the
// formatting runs: the first gathers the font and colour tables, the second
// writes the body with only the control words that change.
#include "common/fonts.h"
#include "note/richtext/rtf.h"
#include "note/richtext/rtfcodepage.h"
#include "note/richtext/rtfformat.h"
#include "note/richtext/rtfobjects.h"
#include "note/richtext/rtfwriterparts.h"

#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextList>
#include <QTextTable>
#include <QPixmap>
#include <QUrl>
#include <vector>

namespace mirka::rtf {

namespace {

struct Props {
    int font = -1;
    int size = 0;
    int fg = 0;
    int bg = 0;
    bool bold = false, italic = false, underline = false, strike = false, hidden = false;
    quint8 vpos = 0;
    int link = 0; // index into the link addresses, 0 none
};

struct Font {
    QString name;
    bool japanese = false;
};

class Out {
public:
    QByteArray bytes;

    void word(const char *w)
    {
        bytes.append(w);
        m_delimit = true;
    }
    void word(const char *w, int n)
    {
        bytes.append(w);
        number(n);
        m_delimit = true;
    }
    void raw(const char *s)
    {
        bytes.append(s);
        m_delimit = false;
    }
    void raw(const QByteArray &b)
    {
        bytes.append(b);
        m_delimit = false;
    }
    void text(char c)
    {
        if (m_delimit) {
            bytes.append(' ');
            m_delimit = false;
        }
        bytes.append(c);
    }
    void hex(unsigned char b)
    {
        static const char digits[] = "0123456789abcdef";
        const char s[4] = {'\\', '\'', digits[b >> 4], digits[b & 15]};
        bytes.append(s, 4);
        m_delimit = false;
    }
    void fallbackChar() // '?' after \uN needs no delimiter
    {
        bytes.append('?');
        m_delimit = false;
    }
    void newline()
    {
        bytes.append("\r\n");
        m_delimit = false;
    }

private:
    void number(int n)
    {
        char buf[12];
        int i = 12;
        const bool neg = n < 0;
        unsigned v = neg ? 0u - unsigned(n) : unsigned(n);
        do {
            buf[--i] = char('0' + v % 10);
            v /= 10;
        } while (v);
        if (neg)
            buf[--i] = '-';
        bytes.append(buf + i, 12 - i);
    }
    bool m_delimit = false;
};

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

class Writer {
public:
    Writer(const QTextDocument *doc, int start, int end)
        : m_doc(doc), m_start(start), m_end(end), m_formats(doc->allFormats()),
          m_cp932(CodePage::get(932)), m_cp1252(CodePage::get(1252))
    {
        m_props.assign(size_t(m_formats.size()), -1);
        m_paras.assign(size_t(m_formats.size()), -1);
        fontIndex(doc->defaultFont().family());
    }

    QByteArray run();

private:
    template<typename F> void forEachRun(F &&f) const;
    template<typename F> void forEachRunIn(const QTextBlock &block, F &&f) const;
    void writeItems(Out &out, QTextFrame::iterator it, QTextFrame::iterator end, int depth, bool inCell);
    void writeTable(Out &out, QTextTable *table, int depth);
    void writeBlock(Out &out, const QTextBlock &block, int depth, const char *end);
    void writeObjects(Out &out, int formatIndex, int count);
    bool inRange(int from, int to) const { return from <= m_end && to >= m_start; }
    // A block that starts at the end of the range holds none of it; only the
    // document's closing empty paragraph belongs to a range ending there.
    bool visits(const QTextBlock &block) const
    {
        return block.position() < m_end
            || (block.position() == m_end && block.length() == 1 && !block.next().isValid());
    }
    int propsOf(int formatIndex);
    int paraOf(int formatIndex);
    int fontIndex(const QString &family);
    int colorIndex(const QColor &c);
    void header(Out &out) const;
    void fontName(Out &out, const Font &font) const;
    void writeProps(Out &out, const Props &p, const Props &prev) const;
    void writePara(Out &out, const ParaProps &p) const;
    void writeText(Out &out, QStringView text, const Props &p);

    const QTextDocument *m_doc;
    int m_start, m_end;
    QList<QTextFormat> m_formats;
    const CodePage *m_cp932;
    const CodePage *m_cp1252;
    std::vector<int> m_props; // format index -> index into m_runProps
    std::vector<int> m_paras;
    std::vector<Props> m_runProps;
    std::vector<ParaProps> m_paraProps;
    std::vector<Font> m_fonts;
    QHash<QString, int> m_fontIndex;
    std::vector<QColor> m_colors;
    QHash<QRgb, int> m_colorIndex;
    std::vector<QString> m_links{QString()};
    QHash<QString, int> m_linkIndex;
    std::vector<QTextListFormat> m_lists;
    QHash<const QTextObject *, int> m_listIndex;
    std::vector<signed char> m_isObject; // format index -> 1 picture or kept item, 0 not, -1 unknown
    int m_uc = 1;

    // Pass 2.
    Props m_last;           // what a reader holds
    ParaProps m_lastPara;
    bool m_haveLastPara = false;
    int m_link = 0;         // the link whose field is open
    Props m_beforeLink;     // the state the field's group closes back to
};

// Calls f(block, text, formatIndex) for every run of the range, and
// f(block, {}, -1) at the end of every block.
template<typename F> void Writer::forEachRun(F &&f) const
{
    for (QTextBlock block = m_doc->findBlock(m_start); block.isValid() && visits(block);
         block = block.next()) {
        forEachRunIn(block, f);
        f(block, QString(), -1);
    }
}

template<typename F> void Writer::forEachRunIn(const QTextBlock &block, F &&f) const
{
    const int bpos = block.position();
    const bool whole = bpos >= m_start && bpos + block.length() - 1 <= m_end;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment frag = it.fragment();
        if (!frag.isValid())
            continue;
        if (whole) {
            f(block, frag.text(), frag.charFormatIndex());
            continue;
        }
        const int fpos = frag.position();
        const int from = qMax(fpos, m_start);
        const int to = qMin(fpos + frag.length(), m_end);
        if (from >= to)
            continue;
        const QString t = frag.text();
        f(block, QStringView(t).mid(from - fpos, to - from).toString(), frag.charFormatIndex());
    }
}

int Writer::fontIndex(const QString &family)
{
    const auto it = m_fontIndex.constFind(family);
    if (it != m_fontIndex.constEnd())
        return *it;
    const int i = int(m_fonts.size());
    m_fonts.push_back(Font{family, nameLooksJapanese(family) || family == mirka::gothicFamily()});
    m_fontIndex.insert(family, i);
    return i;
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
        pp.ls = ls;
        if (!pp.li) {
            pp.li = listIndentTwips(list->format());
            pp.fi = -360;
        }
    }
    m_paraProps.push_back(pp);
    if (formatIndex >= 0 && formatIndex < int(m_paras.size()))
        m_paras[size_t(formatIndex)] = i;
    return i;
}

void Writer::fontName(Out &out, const Font &font) const
{
    const CodePage *cp = font.japanese ? m_cp932 : m_cp1252;
    const QString &name = font.name;
    out.raw(" ");
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '{' && c != '}' && c != ';') {
            out.text(char(c));
            continue;
        }
        unsigned char b[2];
        const int n = cp ? cp->encode(c, b) : 0;
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
    for (size_t i = 0; i < m_fonts.size(); ++i) {
        out.word("{\\f", int(i));
        out.word("\\fnil");
        out.word("\\fcharset", m_fonts[i].japanese ? 128 : 0);
        // The body face stands under the design's name, with the face used
        // here as its alternate, so either system shows the intended face.
        const bool substitute = m_fonts[i].name == mirka::gothicFamily()
            && m_fonts[i].name != mirka::gothicDesignFamily();
        fontName(out, substitute ? Font{mirka::gothicDesignFamily(), true} : m_fonts[i]);
        if (substitute) {
            out.raw("{\\*\\falt");
            fontName(out, m_fonts[i]);
            out.raw("}");
        }
        out.raw(";}");
    }
    out.raw("}");
    out.newline();
    out.raw("{\\colortbl ;");
    for (const QColor &c : m_colors) {
        out.word("\\red", c.red());
        out.word("\\green", c.green());
        out.word("\\blue", c.blue());
        out.raw(";");
    }
    out.raw("}");
    out.newline();
    out.raw(listTables(m_lists));
    const QByteArray head = m_doc->property(documentHeadProperty()).toByteArray();
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
        out.word("\\ilvl0");
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

void Writer::writeText(Out &out, QStringView text, const Props &p)
{
    const CodePage *cp = m_fonts[size_t(p.font)].japanese ? m_cp932 : m_cp1252;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0x20 && c < 0x7F) { // DEL is no text byte in CP932: escaped below
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
        const int uc = n > 0 ? n : 1;
        if (uc != m_uc) {
            out.word("\\uc", uc);
            m_uc = uc;
        }
        out.word("\\u", c > 0x7FFF ? int(c) - 0x10000 : int(c));
        if (n > 0) {
            for (int k = 0; k < n; ++k)
                out.hex(b[k]);
        } else {
            out.fallbackChar();
        }
    }
}

// The blocks and tables of a frame or table cell, in order. In a cell the
// last paragraph ends with the cell mark instead of \par.
void Writer::writeItems(Out &out, QTextFrame::iterator it, QTextFrame::iterator end, int depth, bool inCell)
{
    bool first = true;
    for (; it != end && !it.atEnd(); ++it) {
        QTextFrame::iterator next = it;
        ++next;
        const bool last = next == end || next.atEnd();
        if (QTextFrame *frame = it.currentFrame()) {
            if (!inRange(frame->firstPosition(), frame->lastPosition()))
                continue;
            if (auto *table = qobject_cast<QTextTable *>(frame))
                writeTable(out, table, qMin(depth + 1, 16));
            else
                writeItems(out, frame->begin(), frame->end(), depth, inCell);
            first = false;
            continue;
        }
        const QTextBlock block = it.currentBlock();
        // Before a table at the start of a frame or cell the document holds
        // an empty paragraph that is no part of the text.
        if (first && !last && block.length() == 1 && next.currentFrame()) {
            first = false;
            continue;
        }
        first = false;
        if (!inRange(block.position(), block.position() + block.length() - 1) || !visits(block))
            continue;
        writeBlock(out, block, depth, inCell && last ? (depth > 1 ? "\\nestcell" : "\\cell") : "\\par");
    }
}

void Writer::writeTable(Out &out, QTextTable *table, int depth)
{
    const QTextTableFormat format = table->format();
    const QList<QTextLength> widths = format.columnWidthConstraints();
    const int columns = table->columns();
    QByteArray rowDef("\\trowd\\trgaph108");
    int right = 0;
    for (int c = 0; c < columns; ++c) {
        int w = 9000 / qMax(1, columns);
        if (c < widths.size() && widths.at(c).type() == QTextLength::FixedLength)
            w = qMax(1, qRound(widths.at(c).rawValue() * kTwipsPerPixel));
        else if (c < widths.size() && widths.at(c).type() == QTextLength::PercentageLength)
            w = qMax(1, qRound(widths.at(c).rawValue() * 90));
        right += w;
        rowDef += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10"
                  "\\clbrdrr\\brdrs\\brdrw10\\cellx"
            + QByteArray::number(right);
    }
    const char *cellEnd = depth > 1 ? "\\nestcell" : "\\cell";
    for (int r = 0; r < table->rows(); ++r) {
        if (depth == 1) {
            out.raw(rowDef.constData());
            out.newline();
        }
        for (int c = 0; c < columns; ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.row() != r || cell.column() != c) {
                // A cell another one spans: an empty cell of its own.
                out.word("\\pard\\intbl");
                if (depth > 1)
                    out.word("\\itap", depth);
                out.word(cellEnd);
                m_haveLastPara = false;
                continue;
            }
            writeItems(out, cell.begin(), cell.end(), depth, true);
        }
        if (depth == 1) {
            out.word("\\row");
        } else {
            out.raw("{\\*\\nesttableprops");
            out.raw(rowDef.constData());
            out.word("\\nestrow");
            out.raw("}{\\nonesttables\\par}");
        }
        out.newline();
    }
}

void Writer::writeBlock(Out &out, const QTextBlock &block, int depth, const char *end)
{
    ParaProps pp = m_paraProps[size_t(paraOf(block.blockFormatIndex()))];
    pp.itap = depth;
    if (!m_haveLastPara || pp != m_lastPara) {
        writePara(out, pp);
        m_lastPara = pp;
        m_haveLastPara = true;
    }
    if (QTextList *list = block.textList()) {
        // The label as text, for readers without lists.
        out.raw("{\\listtext ");
        const QTextListFormat::Style style = list->format().style();
        const QString label = style == QTextListFormat::ListDisc ? QStringLiteral("\u2022")
            : style == QTextListFormat::ListCircle               ? QStringLiteral("\u25CB")
            : style == QTextListFormat::ListSquare               ? QStringLiteral("\u25A0")
                                                                 : list->itemText(block);
        writeText(out, label, m_runProps[size_t(propsOf(-1))]);
        out.word("\\tab");
        out.raw("}");
    }
    forEachRunIn(block, [&](const QTextBlock &, const QString &text, int formatIndex) {
        const Props &p = m_runProps[size_t(propsOf(formatIndex))];
        if (p.link != m_link) {
            if (m_link) {
                out.raw("}}}");
                m_last = m_beforeLink;
            }
            m_link = p.link;
            if (m_link) {
                m_beforeLink = m_last;
                out.raw(hyperlinkFieldStart(m_links[size_t(m_link)]));
            }
        }
        writeProps(out, p, m_last);
        m_last = p;
        if (text.contains(QChar::ObjectReplacementCharacter))
            writeObjects(out, formatIndex, int(text.count(QChar::ObjectReplacementCharacter)));
        writeText(out, text, p);
    });
    if (m_link) {
        out.raw("}}}");
        m_last = m_beforeLink;
        m_link = 0;
    }
    // An empty paragraph's own format: the size and weight of an empty line.
    if (block.length() == 1) {
        Props p = m_runProps[size_t(propsOf(block.charFormatIndex()))];
        p.link = 0;
        writeProps(out, p, m_last);
        m_last = p;
    }
    out.word(end);
    out.newline();
}

// Pictures as they were read, or as PNG; kept items byte for byte.
void Writer::writeObjects(Out &out, int formatIndex, int count)
{
    if (formatIndex < 0 || formatIndex >= m_formats.size())
        return;
    const QTextCharFormat cf = m_formats.at(formatIndex).toCharFormat();
    QByteArray bytes = cf.property(KeptRtf).toByteArray();
    if (bytes.isEmpty() && cf.isImageFormat()) {
        const QTextImageFormat f = cf.toImageFormat();
        const QVariant res = m_doc->resource(QTextDocument::ImageResource, QUrl(f.name()));
        QImage image = res.value<QImage>();
        if (image.isNull() && res.userType() == QMetaType::QByteArray)
            image = QImage::fromData(res.toByteArray());
        if (image.isNull() && res.userType() == QMetaType::QPixmap)
            image = res.value<QPixmap>().toImage();
        if (!image.isNull())
            bytes = pictGroup(image, QSizeF(f.width() > 0 ? f.width() : image.width(),
                                            f.height() > 0 ? f.height() : image.height()));
    }
    if (bytes.isEmpty())
        return;
    for (int i = 0; i < count; ++i)
        out.raw(bytes);
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
        Font &font = m_fonts[size_t(p.font)];
        if (font.japanese)
            return;
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
    });

    Out body;
    body.bytes.reserve(qMax(1024, (m_end - m_start) * 3));
    QTextFrame *root = m_doc->rootFrame();
    writeItems(body, root->begin(), root->end(), 0, false);

    // A range that ends where a paragraph starts holds the mark before it:
    // one more \par, as the last one is no mark of its own to a reader.
    const QTextBlock next = m_doc->findBlock(m_end);
    if (m_end > m_start && next.position() == m_end && !visits(next))
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

} // namespace

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
