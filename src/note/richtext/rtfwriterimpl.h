#pragma once
// The RTF writer's inner parts, shared by its source files: the output
// buffer, the run properties and the Writer class.
#include "common/fonts.h"
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
#include <cstring>
#include <map>
#include <vector>


namespace mirka::rtf::writer {

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
    int charset = -1; // as read; -1: from japanese
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
    // \uN and what follows it, in one append: its code-page bytes as \'hh,
    // or '?' when it has none.
    void unicode(int u, const unsigned char *b, int n)
    {
        static const char digits[] = "0123456789abcdef";
        char buf[32];
        char num[12];
        int i = 12;
        unsigned v = u < 0 ? 0u - unsigned(u) : unsigned(u);
        do {
            num[--i] = char('0' + v % 10);
            v /= 10;
        } while (v);
        if (u < 0)
            num[--i] = '-';
        int k = 0;
        buf[k++] = '\\';
        buf[k++] = 'u';
        std::memcpy(buf + k, num + i, size_t(12 - i));
        k += 12 - i;
        if (n <= 0)
            buf[k++] = '?';
        for (int j = 0; j < n && j < 2; ++j) {
            buf[k++] = '\\';
            buf[k++] = '\'';
            buf[k++] = digits[b[j] >> 4];
            buf[k++] = digits[b[j] & 15];
        }
        bytes.append(buf, k);
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

bool nameLooksJapanese(const QString &name);

class Writer {
public:
    Writer(const QTextDocument *doc, int start, int end)
        : m_doc(doc), m_start(start), m_end(end), m_formats(doc->allFormats()),
          m_cp932(CodePage::get(932))
    {
        m_props.assign(size_t(m_formats.size()), -1);
        m_paras.assign(size_t(m_formats.size()), -1);
        keepTables();
        fontIndex(doc->defaultFont().family());
    }

    QByteArray run();

private:
    struct NoSkip { bool operator()(int) const { return false; } };
    // skip(formatIndex): runs whose text is not wanted, left uncopied.
    template<typename F, typename S = NoSkip> void forEachRun(F &&f, S skip = {}) const;
    // pos: the block's position, carried along by the callers, as Qt
    // looks it up through the whole document each time it is asked.
    template<typename F, typename S = NoSkip> void forEachRunIn(const QTextBlock &block, int pos, F &&f, S skip = {}) const;
    void writeItems(Out &out, const QTextFrame *parent, int from, int to, int depth, bool inCell);
    void writeTable(Out &out, QTextTable *table, int depth);
    void writeBlock(Out &out, const QTextBlock &block, int pos, int depth, const char *end);
    void writeObjects(Out &out, int formatIndex, int count);
    bool inRange(int from, int to) const { return from <= m_end && to >= m_start; }
    bool isObject(int formatIndex)
    {
        if (formatIndex < 0 || formatIndex >= m_formats.size())
            return false;
        if (size_t(formatIndex) >= m_isObject.size())
            m_isObject.resize(size_t(m_formats.size()), -1);
        signed char &known = m_isObject[size_t(formatIndex)];
        if (known < 0)
            known = m_formats.at(formatIndex).objectType() != QTextFormat::NoObject ? 1 : 0;
        return known == 1;
    }
    // A block that starts at the end of the range holds none of it; only the
    // document's closing empty paragraph belongs to a range ending there.
    bool visits(const QTextBlock &block, int pos) const
    {
        return pos < m_end || (pos == m_end && block.length() == 1 && !block.next().isValid());
    }
    int propsOf(int formatIndex);
    int paraOf(int formatIndex);
    void keepTables();
    int fontIndex(const QString &family);
    int colorIndex(const QColor &c);
    void header(Out &out) const;
    void fontName(Out &out, const Font &font) const;
    static int writtenCharset(const Font &font)
    {
        return font.japanese ? 128 : font.charset >= 0 ? font.charset : 0;
    }
    // The code page a reader decodes this font's bytes with: the written
    // charset's own, or for the default and unknown ones the document's.
    const CodePage *codePageOf(const Font &font) const;
    void writeProps(Out &out, const Props &p, const Props &prev) const;
    void writePara(Out &out, const ParaProps &p) const;
    // fontCurrent: p's font is the one a reader holds at this point.
    void writeText(Out &out, QStringView text, const Props &p, bool fontCurrent = true);

    const QTextDocument *m_doc;
    int m_start, m_end;
    QList<QTextFormat> m_formats;
    const CodePage *m_cp932;
    std::vector<int> m_props; // format index -> index into m_runProps
    std::vector<int> m_paras;
    std::vector<Props> m_runProps;
    std::vector<ParaProps> m_paraProps;
    std::map<int, Font> m_fonts; // by number: kept tables may number them sparsely (Word's from 31500)
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
    int m_ucBeforeLink = 1;
};

// Calls f(block, text, formatIndex) for every run of the range, and
// f(block, {}, -1) at the end of every block.
template<typename F, typename S> void Writer::forEachRun(F &&f, S skip) const
{
    QTextBlock block = m_doc->findBlock(m_start);
    for (int pos = block.position(); block.isValid() && visits(block, pos);) {
        forEachRunIn(block, pos, f, skip);
        f(block, QString(), -1);
        pos += block.length();
        block = block.next();
    }
}

template<typename F, typename S> void Writer::forEachRunIn(const QTextBlock &block, int bpos, F &&f, S skip) const
{
    const bool whole = bpos >= m_start && bpos + block.length() - 1 <= m_end;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment frag = it.fragment();
        if (!frag.isValid() || skip(frag.charFormatIndex()))
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

} // namespace mirka::rtf::writer
