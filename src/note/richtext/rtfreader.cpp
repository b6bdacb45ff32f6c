// The RTF reader. One pass over the bytes, no recursion: a stack of group
// states, a code-page byte decoder that keeps a lead byte across control
// words and group boundaries, and runs of text inserted with one cached
// QTextCharFormat each.
#include "note/richtext/rtf.h"
#include "note/richtext/rtfcodepage.h"
#include "note/richtext/rtfformat.h"

#include <QColor>
#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mirka::rtf {

static qsizetype skipPreamble(const QByteArray &bytes)
{
    qsizetype p = 0;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        p = 3;
    while (p < bytes.size() && (bytes[p] == ' ' || bytes[p] == '\t' || bytes[p] == '\r' || bytes[p] == '\n'))
        ++p;
    return p;
}

bool looksLikeRtf(const QByteArray &bytes)
{
    const qsizetype p = skipPreamble(bytes);
    return bytes.size() - p >= 5 && std::memcmp(bytes.constData() + p, "{\\rtf", 5) == 0;
}

QByteArray fromString(const QString &rtf)
{
    QByteArray out;
    out.reserve(rtf.size());
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const char16_t c = rtf.at(i).unicode();
        if (c < 0x80) {
            out.append(char(c));
            continue;
        }
        // A character of its own, whatever the code page: a group of its own
        // with no fallback keeps the surrounding state as it was.
        out.append("{\\uc0\\u");
        out.append(QByteArray::number(int(c > 0x7FFF ? int(c) - 0x10000 : int(c))));
        out.append('}');
    }
    return out;
}

namespace {

enum class Dest : quint8 { Body, FontTable, ColorTable, Upr, Skip };

enum class Kw : quint8 {
    None, SkipDest, FontTbl, ColorTbl, Upr, Ud, Ansi, Mac, Pc, Pca, AnsiCpg, Deff,
    Plain, Bold, Italic, Underline, UlNone, Strike, Super, Sub, NoSuperSub, Hidden,
    Font, AssocFont, AssocBold, AssocItalic, AssocSize, Rtlch, Ltrch, Loch, Hich, Dbch, FontSize, MirkaFontSize, Cf, Bg,
    Pard, Ql, Qr, Qc, Qj, Li, Ri, Fi, Sb, Sa, Sl, SlMult,
    Par, Line, Tab, SoftBreak, Cell, Row,
    Char, Uc, U, Bin, FCharset, Cpg, Red, Green, Blue,
};

struct KwInfo {
    Kw kw;
    char16_t ch = 0; // for Kw::Char
};

const std::unordered_map<std::string_view, KwInfo> &keywords()
{
    static const std::unordered_map<std::string_view, KwInfo> table = [] {
        std::unordered_map<std::string_view, KwInfo> t;
        for (const char *d : {"pict", "object", "info", "stylesheet", "header", "headerl", "headerr",
                              "headerf", "footer", "footerl", "footerr", "footerf", "footnote",
                              "annotation", "atnid", "atnauthor", "atntime", "atnref", "atndate",
                              "atnicn", "fldinst", "nonshppict", "shp", "shpinst", "shptxt", "sp",
                              "template", "xe", "tc", "txe", "rxe", "bkmkstart", "bkmkend", "filetbl",
                              "revtbl", "rsidtbl", "listtable", "listoverridetable", "pgdsctbl",
                              "xmlnstbl", "themedata", "colorschememapping", "latentstyles",
                              "datastore", "generator", "docvar", "pn", "pntxta", "pntxtb",
                              "fname", "falt", "panose", "author", "operator", "title", "subject",
                              "keywords", "comment", "doccomm", "company", "manager", "category",
                              "hlinkbase", "creatim", "revtim", "printim", "buptim", "userprops",
                              "objdata", "objclass", "objname", "private", "mmathPr", "ftnsep",
                              "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn", "protusertbl",
                              "wgrffmtfilter", "passwordhash", "blipuid", "picprop", "do",
                              "formfield", "datafield", "background", "fchars", "lchars"})
            t.emplace(d, KwInfo{Kw::SkipDest});
        const std::pair<const char *, Kw> words[] = {
            {"fonttbl", Kw::FontTbl}, {"colortbl", Kw::ColorTbl}, {"upr", Kw::Upr}, {"ud", Kw::Ud},
            {"ansi", Kw::Ansi}, {"mac", Kw::Mac}, {"pc", Kw::Pc}, {"pca", Kw::Pca},
            {"ansicpg", Kw::AnsiCpg}, {"deff", Kw::Deff}, {"plain", Kw::Plain}, {"b", Kw::Bold},
            {"i", Kw::Italic}, {"ulnone", Kw::UlNone}, {"strike", Kw::Strike},
            {"striked", Kw::Strike}, {"super", Kw::Super}, {"sub", Kw::Sub},
            {"nosupersub", Kw::NoSuperSub}, {"v", Kw::Hidden}, {"f", Kw::Font},
            {"af", Kw::AssocFont}, {"ab", Kw::AssocBold}, {"ai", Kw::AssocItalic},
            {"afs", Kw::AssocSize}, {"rtlch", Kw::Rtlch}, {"ltrch", Kw::Ltrch}, {"loch", Kw::Loch}, {"hich", Kw::Hich}, {"dbch", Kw::Dbch},
            {"fs", Kw::FontSize}, {"mirkafs", Kw::MirkaFontSize}, {"cf", Kw::Cf},
            {"cb", Kw::Bg}, {"highlight", Kw::Bg}, {"chcbpat", Kw::Bg}, {"pard", Kw::Pard},
            {"ql", Kw::Ql}, {"qr", Kw::Qr}, {"qc", Kw::Qc}, {"qj", Kw::Qj}, {"qd", Kw::Qj},
            {"li", Kw::Li}, {"lin", Kw::Li}, {"ri", Kw::Ri}, {"rin", Kw::Ri}, {"fi", Kw::Fi},
            {"sb", Kw::Sb}, {"sa", Kw::Sa}, {"sl", Kw::Sl}, {"slmult", Kw::SlMult},
            {"par", Kw::Par}, {"line", Kw::Line}, {"lbr", Kw::Line}, {"tab", Kw::Tab},
            {"page", Kw::SoftBreak}, {"sect", Kw::SoftBreak}, {"column", Kw::SoftBreak},
            {"cell", Kw::Cell}, {"nestcell", Kw::Cell}, {"row", Kw::Row}, {"nestrow", Kw::Row},
            {"uc", Kw::Uc}, {"u", Kw::U}, {"bin", Kw::Bin}, {"fcharset", Kw::FCharset},
            {"cpg", Kw::Cpg}, {"red", Kw::Red}, {"green", Kw::Green}, {"blue", Kw::Blue},
        };
        for (const auto &w : words)
            t.emplace(w.first, KwInfo{w.second});
        for (const char *u : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave",
                              "ulldash", "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd",
                              "ulthldash", "ululdbwave", "ulw", "ulwave"})
            t.emplace(u, KwInfo{Kw::Underline});
        const std::pair<const char *, char16_t> chars[] = {
            {"emdash", 0x2014}, {"endash", 0x2013}, {"emspace", 0x2003}, {"enspace", 0x2002},
            {"qmspace", 0x2005}, {"bullet", 0x2022}, {"lquote", 0x2018}, {"rquote", 0x2019},
            {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"zwj", 0x200D}, {"zwnj", 0x200C},
            {"ltrmark", 0x200E}, {"rtlmark", 0x200F}, {"zwbo", 0x200B}, {"zwnbo", 0x2060},
        };
        for (const auto &c : chars)
            t.emplace(c.first, KwInfo{Kw::Char, c.second});
        return t;
    }();
    return table;
}

struct State {
    CharProps ch;
    ParaProps para;
    Dest dest = Dest::Body;
    quint8 uc = 1;
};

struct FontDef {
    QString name;
    int charset = 1;
    int cpg = 0;
};

constexpr int kMaxStack = 4096;
constexpr int kMaxWordLength = 32;
constexpr int kMaxTableSize = 32767; // fonts and colours: more is no real document

bool isEastAsian(char32_t c)
{
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7AF)
        || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF)
        || c >= 0x20000;
}

class Reader {
public:
    Reader(const QByteArray &data, QTextCursor &cursor, bool insertMode)
        : m_data(data.constData()), m_size(data.size()), m_cursor(cursor), m_insert(insertMode)
    {
        m_docCp = CodePage::get(1252);
    }

    void run();

private:
    // ---- state
    State &st() { return m_stack.back(); }
    void pushGroup();
    void popGroup();
    void enterSkip();
    void skipGroupFast();

    // ---- tokens
    void controlWord();
    void word(std::string_view w, bool hasParam, int param);
    void symbol(char c);

    // ---- text
    void feedByte(unsigned char b);
    void flushLead();
    void put(char32_t c);
    void deliver(char32_t c);
    void emitBody(char32_t c);
    void flushRun();
    void ensureBlock();
    void paragraphEnd();
    void finish();

    const CodePage *currentCodePage();
    const CodePage *codePageOfFont(int font);
    RunKey keyFor(const CharProps &ch, char32_t c) const;
    const QTextCharFormat &charFormat(const RunKey &key);
    const QTextBlockFormat &blockFormat(const ParaProps &p);
    void commitFont();
    void propsChanged() { m_propsDirty = true; m_cpDirty = true; }

    const char *m_data;
    qsizetype m_size;
    qsizetype m_p = 0;
    QTextCursor &m_cursor;
    bool m_insert;
    bool m_done = false;

    std::vector<State> m_stack;
    int m_overflow = 0;     // groups nested past kMaxStack, counted only
    int m_skipDepth = 0;    // > 0 while skipping the rest of a group
    int m_ucSkip = 0;       // fallback characters still to skip after \uN
    bool m_star = false;    // \* seen: the next control word may be skipped
    char16_t m_high = 0;    // a high surrogate from \uN waiting for its pair

    // Decoder.
    const CodePage *m_docCp = nullptr;
    const CodePage *m_cp = nullptr;
    bool m_cpDirty = true;
    int m_lead = -1;
    bool m_leadRaw = false; // the lead byte came as a raw byte, not as \'hh
    const CodePage *m_leadCp = nullptr;

    // Tables.
    QHash<int, FontDef> m_fonts;
    int m_deff = -1;
    bool m_fontOpen = false;
    int m_fontNum = 0;
    FontDef m_fontDef;
    std::vector<QColor> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSet = false;

    // Output.
    QString m_run;
    RunKey m_runKey;
    bool m_propsDirty = true;
    RunKey m_stateKey;
    bool m_pendingPar = false;
    ParaProps m_parProps; // of the pending \par
    bool m_blockHasContent = false;
    bool m_lastWasCell = false;
    ParaProps m_lastPara;
    QHash<RunKey, QTextCharFormat> m_charFormats;
    QHash<ParaProps, QTextBlockFormat> m_blockFormats;
};

void Reader::pushGroup()
{
    m_star = false;
    m_ucSkip = 0;
    if (int(m_stack.size()) >= kMaxStack) {
        ++m_overflow;
        return;
    }
    const Dest parent = st().dest;
    m_stack.push_back(m_stack.back());
    if (parent == Dest::Upr) {
        // {\upr{ansi version}{\*\ud{unicode version}}}: only the latter.
        qsizetype q = m_p;
        while (q < m_size && (m_data[q] == '\r' || m_data[q] == '\n' || m_data[q] == ' '))
            ++q;
        const bool ud = m_size - q >= 5 && std::memcmp(m_data + q, "\\*\\ud", 5) == 0
            && (q + 5 >= m_size || !std::isalpha(uchar(m_data[q + 5])));
        if (ud) {
            m_p = q + 5;
            if (m_p < m_size && m_data[m_p] == ' ')
                ++m_p;
            st().dest = Dest::Body;
        } else {
            enterSkip();
        }
    }
}

void Reader::popGroup()
{
    m_star = false;
    m_ucSkip = 0;
    if (m_overflow > 0) {
        --m_overflow;
        return;
    }
    if (m_stack.size() == 1) {
        // The end of the document, unless more than padding follows: then
        // the brace was a stray one, and the rest is read on.
        for (qsizetype q = m_p; q < m_size; ++q) {
            const char c = m_data[q];
            if (c != '\0' && c != '\r' && c != '\n' && c != ' ' && c != '\t' && c != '}') {
                return;
            }
        }
        m_done = true;
        return;
    }
    const Dest d = st().dest;
    if (d == Dest::FontTable)
        commitFont();
    m_stack.pop_back();
    if (d == Dest::ColorTable || d == Dest::FontTable)
        m_charFormats.clear();
    propsChanged();
}

void Reader::enterSkip()
{
    m_skipDepth = 1;
    st().dest = Dest::Skip;
}

// Skips to the end of the current group counting braces; only \bin needs
// reading on the way, as its data may hold braces.
void Reader::skipGroupFast()
{
    while (m_p < m_size) {
        const char c = m_data[m_p++];
        if (c == '{') {
            ++m_skipDepth;
        } else if (c == '}') {
            if (--m_skipDepth == 0) {
                popGroup();
                return;
            }
        } else if (c == '\\' && m_p < m_size) {
            if (!std::isalpha(uchar(m_data[m_p]))) {
                ++m_p;
                continue;
            }
            const qsizetype start = m_p;
            while (m_p < m_size && std::isalpha(uchar(m_data[m_p])))
                ++m_p;
            if (m_p - start == 3 && std::memcmp(m_data + start, "bin", 3) == 0) {
                qint64 n = 0;
                while (m_p < m_size && std::isdigit(uchar(m_data[m_p]))) {
                    n = qMin<qint64>(n * 10 + (m_data[m_p] - '0'), m_size);
                    ++m_p;
                }
                if (m_p < m_size && m_data[m_p] == ' ')
                    ++m_p;
                m_p = qMin<qint64>(m_p + n, m_size);
            }
        }
    }
}

void Reader::run()
{
    m_p = skipPreamble(QByteArray::fromRawData(m_data, m_size));
    State root;
    m_stack.reserve(64);
    m_stack.push_back(root);
    ++m_p; // the opening brace of the document
    while (m_p < m_size && !m_done) {
        if (m_skipDepth > 0) {
            skipGroupFast();
            continue;
        }
        const char c = m_data[m_p];
        if (m_lead >= 0 && m_leadRaw && CodePage::isTrailByte(uchar(c))) {
            // Raw double-byte text: after a raw lead byte, even '\\', '{'
            // and '}' are trail bytes.
            feedByte(uchar(c));
            ++m_p;
            continue;
        }
        switch (c) {
        case '{':
            ++m_p;
            pushGroup();
            break;
        case '}':
            ++m_p;
            popGroup();
            break;
        case '\\':
            controlWord();
            break;
        case '\r':
        case '\n':
            ++m_p;
            break;
        default: {
            m_star = false;
            if (m_ucSkip > 0) {
                --m_ucSkip;
                ++m_p;
                break;
            }
            // Plain ASCII text in the body goes in as one span.
            if (st().dest == Dest::Body && m_lead < 0 && !m_high && uchar(c) >= 0x20 && uchar(c) < 0x80
                && !st().ch.hidden) {
                qsizetype q = m_p;
                while (q < m_size) {
                    const uchar b = uchar(m_data[q]);
                    if (b < 0x20 || b >= 0x80 || b == '\\' || b == '{' || b == '}')
                        break;
                    ++q;
                }
                ensureBlock();
                if (m_propsDirty) {
                    m_stateKey = keyFor(st().ch, 'a');
                    m_propsDirty = false;
                    m_lastPara = st().para;
                }
                RunKey key = m_stateKey;
                if (st().ch.hasEastAsianProps())
                    key = keyFor(st().ch, 'a');
                if (key != m_runKey && !m_run.isEmpty())
                    flushRun();
                m_runKey = key;
                m_run.append(QLatin1String(m_data + m_p, q - m_p));
                m_blockHasContent = true;
                m_lastWasCell = false;
                m_p = q;
                break;
            }
            feedByte(uchar(c));
            m_leadRaw = m_lead >= 0;
            ++m_p;
            break;
        }
        }
    }
    finish();
}

void Reader::controlWord()
{
    ++m_p; // backslash
    if (m_p >= m_size)
        return;
    const char c = m_data[m_p];
    if (!std::isalpha(uchar(c))) {
        ++m_p;
        symbol(c);
        return;
    }
    const qsizetype start = m_p;
    while (m_p < m_size && std::isalpha(uchar(m_data[m_p])))
        ++m_p;
    const qsizetype len = m_p - start;
    bool hasParam = false;
    bool negative = false;
    qint64 value = 0;
    if (m_p < m_size && m_data[m_p] == '-' && m_p + 1 < m_size && std::isdigit(uchar(m_data[m_p + 1]))) {
        negative = true;
        ++m_p;
    }
    while (m_p < m_size && std::isdigit(uchar(m_data[m_p]))) {
        hasParam = true;
        value = qMin<qint64>(value * 10 + (m_data[m_p] - '0'), 0x7FFFFFFF);
        ++m_p;
    }
    if (m_p < m_size && m_data[m_p] == ' ')
        ++m_p;
    if (len > kMaxWordLength) {
        m_star = false;
        return;
    }
    const int param = int(negative ? -value : value);
    word(std::string_view(m_data + start, size_t(len)), hasParam, param);
}

void Reader::symbol(char c)
{
    switch (c) {
    case '*':
        m_star = true;
        return;
    case '\'': {
        m_star = false;
        int v = 0;
        int digits = 0;
        while (digits < 2 && m_p < m_size && std::isxdigit(uchar(m_data[m_p]))) {
            const char h = m_data[m_p++];
            v = v * 16 + (std::isdigit(uchar(h)) ? h - '0' : (std::tolower(uchar(h)) - 'a' + 10));
            ++digits;
        }
        if (!digits)
            return;
        if (m_ucSkip > 0) {
            --m_ucSkip;
            return;
        }
        feedByte(uchar(v));
        return;
    }
    case '\r':
    case '\n':
        m_star = false;
        if (st().dest == Dest::Body) {
            m_ucSkip = 0;
            paragraphEnd();
        }
        return;
    default:
        break;
    }
    m_star = false;
    char32_t ch = 0;
    switch (c) {
    case '\\':
    case '{':
    case '}':
        if (m_ucSkip > 0) {
            --m_ucSkip;
            return;
        }
        feedByte(uchar(c));
        return;
    case '~': ch = 0x00A0; break;
    case '-': ch = 0x00AD; break;
    case '_': ch = 0x2011; break;
    case '\t': ch = '\t'; break;
    default: return; // \: \| and the unknown
    }
    if (m_ucSkip > 0) {
        --m_ucSkip;
        return;
    }
    flushLead();
    put(ch);
}

void Reader::word(std::string_view w, bool hasParam, int param)
{
    const auto &table = keywords();
    const auto it = table.find(w);
    const KwInfo info = it == table.end() ? KwInfo{Kw::None} : it->second;
    const bool star = m_star;
    m_star = false;
    if (star && info.kw != Kw::Ud) {
        enterSkip();
        return;
    }
    State &s = st();
    CharProps &ch = s.ch;
    ParaProps &pa = s.para;
    const bool on = !hasParam || param != 0;
    switch (info.kw) {
    case Kw::None:
        return;
    case Kw::SkipDest:
        enterSkip();
        return;
    case Kw::FontTbl:
        s.dest = Dest::FontTable;
        m_fontOpen = false;
        return;
    case Kw::ColorTbl:
        s.dest = Dest::ColorTable;
        m_colors.clear();
        m_colorSet = false;
        m_red = m_green = m_blue = 0;
        return;
    case Kw::Upr:
        s.dest = Dest::Upr;
        return;
    case Kw::Ud:
        if (s.dest == Dest::Upr || s.dest == Dest::Skip)
            s.dest = Dest::Body;
        return;
    case Kw::Ansi: m_docCp = CodePage::get(1252); m_cpDirty = true; return;
    case Kw::Mac: m_docCp = CodePage::get(10000); m_cpDirty = true; return;
    case Kw::Pc: m_docCp = CodePage::get(437); m_cpDirty = true; return;
    case Kw::Pca: m_docCp = CodePage::get(850); m_cpDirty = true; return;
    case Kw::AnsiCpg:
        if (const CodePage *cp = CodePage::get(param))
            m_docCp = cp;
        m_cpDirty = true;
        return;
    case Kw::Deff:
        m_deff = param;
        propsChanged();
        return;
    case Kw::Plain:
        ch = CharProps();
        propsChanged();
        return;
    case Kw::Bold: ch.bold = on; break;
    case Kw::Italic: ch.italic = on; break;
    case Kw::Underline: ch.underline = on; break;
    case Kw::UlNone: ch.underline = false; break;
    case Kw::Strike: ch.strike = on; break;
    case Kw::Super: ch.vpos = on ? 1 : 0; break;
    case Kw::Sub: ch.vpos = on ? 2 : 0; break;
    case Kw::NoSuperSub: ch.vpos = 0; break;
    case Kw::Hidden: ch.hidden = on; break;
    case Kw::Font:
        if (s.dest == Dest::FontTable) {
            commitFont();
            m_fontOpen = true;
            m_fontNum = param;
            m_fontDef = FontDef();
            m_cpDirty = true;
            return;
        }
        if (ch.charType == 2)
            ch.fontEA = param;
        else
            ch.font = param;
        ch.encFont = param;
        break;
    case Kw::AssocFont:
        // The associated font matters for double-byte text only.
        if (ch.charType == 2 && !ch.rtlch) {
            ch.fontEA = param;
            ch.encFont = param;
        }
        break;
    case Kw::AssocBold:
        if (ch.charType == 2 && !ch.rtlch)
            ch.boldEA = on ? 1 : 0;
        break;
    case Kw::AssocItalic:
        if (ch.charType == 2 && !ch.rtlch)
            ch.italicEA = on ? 1 : 0;
        break;
    case Kw::AssocSize:
        if (ch.charType == 2 && !ch.rtlch && hasParam && param > 0)
            ch.sizeEA = qBound(100, qMin(param, 3276) * 50, 163800);
        break;
    case Kw::Rtlch: ch.rtlch = true; break;
    case Kw::Ltrch: ch.rtlch = false; break;
    case Kw::Loch: ch.charType = 0; break;
    case Kw::Hich: ch.charType = 1; break;
    case Kw::Dbch: ch.charType = 2; break;
    case Kw::FontSize:
        if (hasParam && param > 0)
            ch.size = qBound(100, qMin(param, 3276) * 50, 163800);
        break;
    case Kw::MirkaFontSize:
        if (hasParam && param > 0)
            ch.size = qBound(100, param, 163800);
        break;
    case Kw::Cf: ch.fg = qMax(0, param); break;
    case Kw::Bg: ch.bg = qMax(0, param); break;
    case Kw::Pard: pa = ParaProps(); break;
    case Kw::Ql: pa.align = 0; break;
    case Kw::Qr: pa.align = 1; break;
    case Kw::Qc: pa.align = 2; break;
    case Kw::Qj: pa.align = 3; break;
    case Kw::Li: pa.li = clampTwips(param); break;
    case Kw::Ri: pa.ri = clampTwips(param); break;
    case Kw::Fi: pa.fi = clampTwips(param); break;
    case Kw::Sb: pa.sb = qMax(0, clampTwips(param)); break;
    case Kw::Sa: pa.sa = qMax(0, clampTwips(param)); break;
    case Kw::Sl: pa.sl = clampTwips(param); break;
    case Kw::SlMult: pa.slMult = on; break;
    case Kw::Par:
        if (s.dest == Dest::Body) {
            m_ucSkip = 0;
            paragraphEnd();
        }
        return;
    case Kw::SoftBreak:
        if (s.dest == Dest::Body && !m_pendingPar && (m_blockHasContent || !m_run.isEmpty())) {
            m_ucSkip = 0;
            paragraphEnd();
        }
        return;
    case Kw::Row:
        if (s.dest == Dest::Body) {
            m_ucSkip = 0;
            if (m_lastWasCell && m_run.endsWith(QLatin1Char('\t')))
                m_run.chop(1);
            paragraphEnd();
        }
        return;
    case Kw::Line:
    case Kw::Tab:
    case Kw::Cell:
    case Kw::Char: {
        if (m_ucSkip > 0) {
            --m_ucSkip;
            return;
        }
        flushLead();
        const char32_t c = info.kw == Kw::Line ? char32_t(QChar::LineSeparator)
            : info.kw == Kw::Char             ? char32_t(info.ch)
                                              : U'\t';
        put(c);
        m_lastWasCell = info.kw == Kw::Cell;
        return;
    }
    case Kw::Uc:
        s.uc = quint8(qBound(0, param, 16));
        return;
    case Kw::U: {
        flushLead();
        int v = param;
        if (v < 0)
            v += 65536;
        m_ucSkip = s.uc;
        if (v < 0 || v > 0xFFFF) {
            put(0xFFFD);
            return;
        }
        const char16_t u = char16_t(v);
        if (QChar::isHighSurrogate(u)) {
            if (m_high)
                deliver(0xFFFD);
            m_high = u;
            return;
        }
        if (QChar::isLowSurrogate(u)) {
            if (m_high) {
                const char32_t full = QChar::surrogateToUcs4(m_high, u);
                m_high = 0;
                deliver(full);
            } else {
                put(0xFFFD);
            }
            return;
        }
        put(u);
        return;
    }
    case Kw::Bin: {
        const qint64 n = qBound<qint64>(0, qint64(param), qint64(m_size - m_p));
        m_p += n;
        return;
    }
    case Kw::FCharset:
        if (s.dest == Dest::FontTable) {
            m_fontDef.charset = param;
            m_cpDirty = true;
        }
        return;
    case Kw::Cpg:
        if (s.dest == Dest::FontTable) {
            m_fontDef.cpg = param;
            m_cpDirty = true;
        }
        return;
    case Kw::Red: m_red = qBound(0, param, 255); m_colorSet = true; return;
    case Kw::Green: m_green = qBound(0, param, 255); m_colorSet = true; return;
    case Kw::Blue: m_blue = qBound(0, param, 255); m_colorSet = true; return;
    }
    propsChanged();
}

void Reader::commitFont()
{
    if (!m_fontOpen)
        return;
    m_fontOpen = false;
    m_fontDef.name = m_fontDef.name.trimmed();
    if (m_fonts.size() < kMaxTableSize || m_fonts.contains(m_fontNum))
        m_fonts.insert(m_fontNum, m_fontDef);
    m_fontDef = FontDef();
    m_charFormats.clear();
    m_cpDirty = true;
}

const CodePage *Reader::codePageOfFont(int font)
{
    if (font < 0)
        font = m_deff;
    const auto it = m_fonts.constFind(font);
    if (it == m_fonts.constEnd())
        return m_docCp;
    if (it->cpg > 0) {
        if (const CodePage *cp = CodePage::get(it->cpg))
            return cp;
    }
    const int cp = codePageForCharset(it->charset);
    if (cp < 0)
        return nullptr; // symbol fonts: bytes are the characters
    if (cp == 0)
        return m_docCp;
    const CodePage *page = CodePage::get(cp);
    return page ? page : m_docCp;
}

const CodePage *Reader::currentCodePage()
{
    if (m_cpDirty) {
        if (st().dest == Dest::FontTable) {
            const CodePage *cp = m_docCp;
            if (m_fontDef.cpg > 0 && CodePage::get(m_fontDef.cpg))
                cp = CodePage::get(m_fontDef.cpg);
            else if (const int n = codePageForCharset(m_fontDef.charset); n > 0 && CodePage::get(n))
                cp = CodePage::get(n);
            else if (n < 0)
                cp = nullptr;
            m_cp = cp;
        } else {
            m_cp = codePageOfFont(st().ch.encFont);
        }
        m_cpDirty = false;
    }
    return m_cp;
}

void Reader::feedByte(unsigned char b)
{
    m_star = false;
    if (m_lead >= 0) {
        const unsigned char lead = uchar(m_lead);
        const CodePage *cp = m_leadCp;
        m_lead = -1;
        if (CodePage::isTrailByte(b)) {
            put(cp->pair(lead, b));
            return;
        }
        put(0xFFFD);
    }
    if (b == 0)
        return;
    const CodePage *cp = currentCodePage();
    if (cp && cp->isLeadByte(b)) {
        m_lead = b;
        m_leadCp = cp;
        m_leadRaw = false;
        return;
    }
    put(cp ? char32_t(cp->single(b)) : char32_t(b));
}

void Reader::flushLead()
{
    if (m_lead >= 0) {
        m_lead = -1;
        put(0xFFFD);
    }
}

void Reader::put(char32_t c)
{
    if (m_high) {
        m_high = 0;
        deliver(0xFFFD);
    }
    deliver(c);
}

void Reader::deliver(char32_t c)
{
    switch (st().dest) {
    case Dest::Body:
        emitBody(c);
        return;
    case Dest::FontTable:
        if (c == ';') {
            commitFont();
        } else if (m_fontOpen) {
            if (m_fontDef.name.size() < 256)
                m_fontDef.name.append(QString::fromUcs4(&c, 1));
        }
        return;
    case Dest::ColorTable:
        if (c == ';') {
            if (m_colors.size() < size_t(kMaxTableSize))
                m_colors.push_back(m_colorSet ? QColor(m_red, m_green, m_blue) : QColor());
            m_colorSet = false;
            m_red = m_green = m_blue = 0;
            m_charFormats.clear();
        }
        return;
    default:
        return;
    }
}

void Reader::emitBody(char32_t c)
{
    const CharProps &ch = st().ch;
    if (ch.hidden)
        return;
    if (c < 0x20 && c != '\t')
        return;
    // Characters the document model reads as structure.
    if (c == 0x2029)
        c = QChar::LineSeparator;
    else if (c == 0xFDD0 || c == 0xFDD1 || c == 0xFFFC)
        return;
    ensureBlock();
    if (m_propsDirty) {
        m_stateKey = keyFor(ch, 'a');
        m_propsDirty = false;
        m_lastPara = st().para;
    }
    RunKey key = m_stateKey;
    if (ch.hasEastAsianProps())
        key = keyFor(ch, c);
    if (key != m_runKey && !m_run.isEmpty())
        flushRun();
    m_runKey = key;
    if (c > 0xFFFF) {
        m_run.append(QChar::highSurrogate(c));
        m_run.append(QChar::lowSurrogate(c));
    } else {
        m_run.append(QChar(char16_t(c)));
    }
    m_blockHasContent = true;
    m_lastWasCell = false;
}

RunKey Reader::keyFor(const CharProps &ch, char32_t c) const
{
    RunKey k;
    int font = ch.font >= 0 ? ch.font : m_deff;
    bool bold = ch.bold, italic = ch.italic;
    k.size = ch.size;
    const bool eastAsian = isEastAsian(c);
    if (eastAsian && ch.fontEA >= 0)
        font = ch.fontEA;
    // A \dbch run's associated properties cover its blanks and punctuation too.
    if (eastAsian || ch.charType == 2) {
        if (ch.boldEA >= 0)
            bold = ch.boldEA;
        if (ch.italicEA >= 0)
            italic = ch.italicEA;
        if (ch.sizeEA > 0)
            k.size = ch.sizeEA;
    }
    k.font = font;
    k.fg = ch.fg;
    k.bg = ch.bg;
    k.flags = quint8((bold ? 1 : 0) | (italic ? 2 : 0) | (ch.underline ? 4 : 0) | (ch.strike ? 8 : 0)
                     | (ch.vpos << 4));
    return k;
}

const QTextCharFormat &Reader::charFormat(const RunKey &key)
{
    auto it = m_charFormats.find(key);
    if (it != m_charFormats.end())
        return *it;
    QTextCharFormat f;
    const auto font = m_fonts.constFind(key.font);
    if (font != m_fonts.constEnd() && !font->name.isEmpty())
        f.setFontFamilies(QStringList(font->name));
    const QColor fg = key.fg > 0 && key.fg < int(m_colors.size()) ? m_colors[size_t(key.fg)] : QColor();
    const QColor bg = key.bg > 0 && key.bg < int(m_colors.size()) ? m_colors[size_t(key.bg)] : QColor();
    applyCharProps(f, key, fg, bg);
    return *m_charFormats.insert(key, f);
}

const QTextBlockFormat &Reader::blockFormat(const ParaProps &p)
{
    auto it = m_blockFormats.find(p);
    if (it != m_blockFormats.end())
        return *it;
    return *m_blockFormats.insert(p, toBlockFormat(p));
}

void Reader::flushRun()
{
    if (m_run.isEmpty())
        return;
    m_cursor.insertText(m_run, charFormat(m_runKey));
    m_run.clear();
}

// A \par takes effect when something follows it: only then does it end a
// paragraph with its properties and start the next.
void Reader::ensureBlock()
{
    if (!m_pendingPar)
        return;
    m_pendingPar = false;
    m_cursor.setBlockFormat(blockFormat(m_parProps));
    const State &s = st();
    m_cursor.insertBlock(blockFormat(s.para), charFormat(keyFor(s.ch, 'a')));
    m_blockHasContent = false;
}

void Reader::paragraphEnd()
{
    flushLead();
    if (m_high) {
        m_high = 0;
        deliver(0xFFFD);
    }
    ensureBlock();
    flushRun();
    m_parProps = st().para;
    m_pendingPar = true;
    m_lastWasCell = false;
}

void Reader::finish()
{
    if (m_stack.empty())
        return;
    m_stack.resize(1);
    m_stack.back().dest = Dest::Body;
    flushLead();
    if (m_high) {
        m_high = 0;
        deliver(0xFFFD);
    }
    flushRun();
    // A last \par stands for the document's final paragraph mark: it makes
    // no empty paragraph of its own. Inserted text has no final mark: the
    // paragraph it ends in keeps its properties.
    if (m_insert)
        return;
    if (m_pendingPar)
        m_cursor.setBlockFormat(blockFormat(m_parProps));
    else if (m_blockHasContent)
        m_cursor.setBlockFormat(blockFormat(m_lastPara));
}

} // namespace

bool read(const QByteArray &rtf, QTextDocument *doc)
{
    if (!looksLikeRtf(rtf))
        return false;
    doc->setUndoRedoEnabled(false);
    doc->clear();
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    Reader reader(rtf, cursor, false);
    reader.run();
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(true);
    return true;
}

bool insert(const QByteArray &rtf, QTextCursor &cursor)
{
    if (!looksLikeRtf(rtf))
        return false;
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    Reader reader(rtf, cursor, true);
    reader.run();
    cursor.endEditBlock();
    return true;
}

} // namespace mirka::rtf
