// The reader's text: code-page decoding of bytes, the font and colour
// tables, and runs of text and paragraphs going into the document.
#include "note/richtext/rtflexer.h"
#include "note/richtext/rtfobjects.h"
#include "note/richtext/rtfreaderimpl.h"

#include "common/fonts.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

namespace mirka::rtf::detail {

bool isEastAsian(char32_t c)
{
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7AF)
        || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF)
        || c >= 0x20000;
}

void Reader::commitFont()
{
    if (!m_fontOpen)
        return;
    m_fontOpen = false;
    m_fontDef.name = m_fontDef.name.trimmed();
    // Of a face and its alternate, the one installed here.
    const QString alt = m_fontDef.alt.trimmed();
    if (!alt.isEmpty() && !mirka::fontInstalled(m_fontDef.name) && mirka::fontInstalled(alt))
        m_fontDef.name = alt;
    m_fontDef.symbol = symbolFontOf(m_fontDef.name);
    if (m_fonts.size() < kMaxTableSize || m_fonts.contains(m_fontNum)) {
        m_fonts.insert(m_fontNum, m_fontDef);
        ++m_fontCount;
    }
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
        if (st().dest == Dest::FontTable || st().dest == Dest::FontAlt) {
            const CodePage *cp = m_docCp;
            if (m_fontDef.cpg > 0 && CodePage::get(m_fontDef.cpg))
                cp = CodePage::get(m_fontDef.cpg);
            else if (const int n = codePageForCharset(m_fontDef.charset); n > 0 && CodePage::get(n))
                cp = CodePage::get(n);
            else if (n < 0)
                cp = nullptr;
            m_cp = cp;
            m_cpFor = CodePageFor();
        } else if (const CodePageFor key{st().ch.encFont, m_deff, m_docCp, m_fontCount}; !(key == m_cpFor)) {
            // Properties change far more often than the font: its code
            // page is looked up again only when something it hangs on has.
            m_cp = codePageOfFont(st().ch.encFont);
            const int font = st().ch.encFont >= 0 ? st().ch.encFont : m_deff;
            const auto it = m_fonts.constFind(font);
            m_symbolFont = it == m_fonts.constEnd() ? 0 : it->symbol;
            m_cpFor = key;
        }
        m_cpDirty = false;
    }
    return m_cp;
}

void Reader::feedByte(unsigned char b)
{
    m_star = false;
    if (m_utf8Need > 0) {
        if ((b & 0xC0) == 0x80) {
            m_utf8 = m_utf8 << 6 | (b & 0x3F);
            if (--m_utf8Need == 0) {
                const bool ok = m_utf8 >= m_utf8Min && m_utf8 <= 0x10FFFF && !(m_utf8 >= 0xD800 && m_utf8 <= 0xDFFF);
                put(ok ? m_utf8 : 0xFFFD);
            }
            return;
        }
        m_utf8Need = 0;
        put(0xFFFD);
    }
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
    if (b < 0x20 && st().dest == Dest::LevelText) {
        // A list level's length and level numbers.
        m_levelText.append(QChar(b));
        return;
    }
    if (b == 0)
        return;
    const CodePage *cp = currentCodePage();
    if (b >= 0x80 && cp && cp->isUtf8()) {
        // Lead bytes of two, three and four; an overlong form, a surrogate
        // or a value past U+10FFFF is a bad character.
        if (b >= 0xC2 && b <= 0xF4) {
            m_utf8Need = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
            m_utf8 = b & (0x3F >> m_utf8Need);
            m_utf8Min = m_utf8Need == 1 ? 0x80 : m_utf8Need == 2 ? 0x800 : 0x10000;
        } else {
            put(0xFFFD);
        }
        return;
    }
    if (cp && cp->isLeadByte(b)) {
        m_lead = b;
        m_leadCp = cp;
        m_leadRaw = false;
        return;
    }
    put(cp ? char32_t(cp->single(b)) : m_symbolFont && b >= 0x20 ? char32_t(0xF000 + b) : char32_t(b));
}

// A lead byte waiting for its trail, or the first half of a surrogate pair
// waiting for its second, is a bad character once anything else comes.
void Reader::flushPending()
{
    flushLead();
    flushHigh();
}

void Reader::flushHigh()
{
    if (m_high) {
        m_high = 0;
        deliver(0xFFFD);
    }
}

void Reader::flushLead()
{
    if (m_utf8Need > 0) {
        m_utf8Need = 0;
        put(0xFFFD);
    }
    if (m_lead >= 0) {
        m_lead = -1;
        put(0xFFFD);
    }
}

void Reader::put(char32_t c)
{
    // Symbol fonts' characters, as bytes or as \uN in the private use area.
    if (c >= 0xF020 && c <= 0xF0FF && (currentCodePage(), m_symbolFont)) {
        if (const char32_t u = symbolToUnicode(m_symbolFont, uchar(c - 0xF000))) {
            flushHigh();
            m_fromSymbol = true;
            deliver(u);
            m_fromSymbol = false;
            return;
        }
    }
    flushHigh();
    deliver(c);
}

namespace {

// One character onto a string, without a string made for it.
void appendChar(QString &s, char32_t c)
{
    if (c <= 0xFFFF) {
        s.append(QChar(char16_t(c)));
    } else {
        s.append(QChar::highSurrogate(c));
        s.append(QChar::lowSurrogate(c));
    }
}

} // namespace

void Reader::deliver(char32_t c)
{
    switch (st().dest) {
    case Dest::Body:
        emitBody(c);
        return;
    case Dest::FontTable:
        if (m_fontOpen && c >= 0x20) {
            if (m_fontDef.name.size() < 256)
                appendChar(m_fontDef.name, c);
        }
        return;
    case Dest::FontAlt:
        if (m_fontOpen && m_fontDef.alt.size() < 256)
            appendChar(m_fontDef.alt, c);
        return;
    case Dest::FieldInst:
        if (st().field >= 0) {
            QString &inst = m_fieldDefs[size_t(st().field)].inst;
            if (inst.size() < 4096)
                appendChar(inst, c);
        }
        return;
    case Dest::LevelText:
        if (m_levelText.size() < 256)
            appendChar(m_levelText, c);
        return;
    case Dest::ListText:
        if (m_listText.size() < 256 && (c >= 0x20 || c == '\t'))
            appendChar(m_listText, c);
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
    if (c < 0x20 && c != '\t')
        return;
    if (!m_listText.isEmpty())
        listTextEnded();

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
    bool fromSymbol = m_fromSymbol;
    if (!fromSymbol && c >= 0xF020 && c <= 0xF0FF) {
        // Drawn in a symbol font that did not decode it (a font undefined
        // in \dbch text, a label without a list): it shows, and a save
        // reads back as, that font's character.
        const auto font = m_fonts.constFind(key.font);
        if (font != m_fonts.constEnd() && font->symbol) {
            if (const char32_t u = symbolToUnicode(font->symbol, uchar(c - 0xF000))) {
                c = u;
                fromSymbol = true;
            }
        }
    }
    if (fromSymbol) {
        // A symbol font's character as the Unicode one it shows, in the
        // text font; what a symbol font holds as itself keeps that font.
        const auto deff = m_fonts.constFind(m_deff);
        key.font = deff == m_fonts.constEnd() || deff->symbol ? -1 : m_deff;
    }
    if (key != m_runKey && !m_run.isEmpty())
        flushRun();
    m_runKey = key;
    appendChar(m_run, c);
    m_blockHasContent = true;
    m_bodyStarted = true;
    ++m_emitted;
}

// Text as most files hold it, printable ASCII and \'hh escapes (or raw
// bytes) in the body, goes straight into the run; whatever needs more (a
// control word, a character the document reads as structure, a lead byte
// without its trail here) ends the span and takes the byte-by-byte way.
bool Reader::textSpan()
{
    if (st().dest != Dest::Body || m_lead >= 0 || m_utf8Need || m_high || m_ucSkip > 0 || !m_listText.isEmpty())
        return false;
    const CodePage *cp = currentCodePage();
    if (!cp || m_symbolFont)
        return false;
    const bool utf8 = cp->isUtf8(); // its bytes above 0x7F take the byte-by-byte way
    const char *d = m_data;
    // Progress is reported between spans.
    const qsizetype end = m_progress ? qMin(m_size, m_nextReport) : m_size;
    const bool eastAsianProps = st().ch.hasEastAsianProps();
    RunKey keys[2];
    int kind = -1; // which of keys the run has
    const char16_t *pairs = eastAsianProps ? nullptr : cp->pairTable();
    constexpr int kBuf = 512;
    char16_t buf[kBuf];
    int n = 0;
    qint64 shown = 0;
    qsizetype q = m_p;
    while (q < end) {
        // The bulk of double-byte text, \'hh\'hh a character, once the run
        // has its format: only characters that need no second look.
        for (const qsizetype stop = qMin(end, m_size - 7); kind == 0 && pairs && q < stop; q += 8) {
            const char *e = d + q;
            if (e[0] != '\\' || e[1] != '\'' || e[4] != '\\' || e[5] != '\'')
                break;
            const int h = hexDigit(e[2]), l = hexDigit(e[3]), th = hexDigit(e[6]), tl = hexDigit(e[7]);
            if ((h | l | th | tl) < 0 || !cp->isLeadByte(uchar(h << 4 | l)) || !CodePage::isTrailByte(uchar(th << 4 | tl)))
                break;
            const char16_t c = pairs[(h << 12) | (l << 8) | (th << 4) | tl];
            if (c < 0x2100 || (c >= 0xFDD0 && c < 0xFE00) || c >= 0xFFFC)
                break;
            buf[n++] = c;
            ++shown;
            if (n == kBuf) {
                m_run.append(QStringView(buf, n));
                n = 0;
            }
        }
        if (q >= end)
            break;
        const uchar b = uchar(d[q]);
        char32_t c;
        qsizetype next;
        if (b == '\\' || b >= 0x80) {
            // \'hh escapes, or raw bytes: a lead byte takes its trail the same way.
            const bool escape = b == '\\';
            const int v = escape ? escapedByte(d, m_size, q) : b;
            if (v <= 0 || (utf8 && v >= 0x80))
                break;
            next = q + (escape ? 4 : 1);
            if (cp->isLeadByte(uchar(v))) {
                const int t = escape ? escapedByte(d, m_size, next) : next < m_size ? uchar(d[next]) : -1;
                if (t < 0 || !CodePage::isTrailByte(uchar(t)))
                    break;
                next += escape ? 4 : 1;
                c = cp->pair(uchar(v), uchar(t));
            } else {
                c = cp->single(uchar(v));
            }
            if (c < 0x20 || c == 0x2029 || (c >= 0xFDD0 && (c <= 0xFDD1 || c == 0xFFFC || c > 0xFFFF)))
                break;
        } else if (b >= 0x20 && b != '{' && b != '}') {
            c = b;
            next = q + 1;
        } else if (b == '\r' || b == '\n') {
            ++q;
            continue;
        } else {
            break;
        }
        const int k = eastAsianProps && isEastAsian(c) ? 1 : 0;
        if (k != kind) {
            if (kind < 0) {
                m_star = false;
                ensureBlock();
                if (m_propsDirty) {
                    m_stateKey = keyFor(st().ch, 'a');
                    m_propsDirty = false;
                    m_lastPara = st().para;
                }
                keys[0] = m_stateKey;
                keys[1] = eastAsianProps ? keyFor(st().ch, 0x3042) : m_stateKey;
            }
            m_run.append(QStringView(buf, n));
            n = 0;
            if (keys[k] != m_runKey && !m_run.isEmpty())
                flushRun();
            m_runKey = keys[k];
            kind = k;
        }
        buf[n++] = char16_t(c);
        if (n == kBuf) {
            m_run.append(QStringView(buf, n));
            n = 0;
        }
        ++shown;
        q = next;
    }
    m_run.append(QStringView(buf, n));
    if (q == m_p)
        return false;
    m_p = q;
    if (shown) {
        m_blockHasContent = true;
        m_bodyStarted = true;
        m_emitted += shown;
    }
    return true;
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
    k.link = ch.link;
    k.fg = ch.fg;
    k.bg = ch.bg;
    k.flags = quint8((bold ? 1 : 0) | (italic ? 2 : 0) | (ch.underline ? 4 : 0) | (ch.strike ? 8 : 0)
                     | (ch.vpos << 4) | (ch.hidden ? 64 : 0));
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
    if (key.link > 0 && key.link < int(m_links.size())) {
        f.setAnchor(true);
        f.setAnchorHref(m_links[size_t(key.link)]);
        // A link looks like one even when the field result has no look of its own.
        if (!fg.isValid())
            f.setForeground(QColor(0, 0, 255));
        if (!(key.flags & 4))
            f.setFontUnderline(true);
    }
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
    if (m_tableDirty || st().para.itap != int(m_tables.size()))
        syncTables(st().dest == Dest::Body ? st().para.itap : int(m_tables.size()));
    if (!m_pendingPar)
        return;
    m_pendingPar = false;
    // Formats are set only when they change: each setting is an edit of
    // its own, which a run of empty paragraphs would otherwise pay twice.
    if (m_parProps.ls
        || (!(m_blockPropsKnown && m_parProps == m_blockProps) && m_cursor.blockFormat() != blockFormat(m_parProps)))
        finishBlock(m_parProps);
    const State &s = st();
    m_cursor.insertBlock(blockFormat(s.para), charFormat(keyFor(s.ch, 'a')));
    m_blockProps = s.para;
    m_blockPropsKnown = true;
    m_split = true;
    m_blockHasContent = false;
}

void Reader::finishBlock(const ParaProps &p)
{
    m_blockPropsKnown = false;
    if (const ListLevelDef *level = listLevel(p)) {
        // A list paragraph without indents of its own takes its level's.
        ParaProps own = p;
        if (!own.li && !own.fi) {
            own.li = level->li;
            own.fi = level->fi;
        }
        QTextBlockFormat f = blockFormat(own);
        if (own.fi < 0) {
            f.setTextIndent(0);
            f.setProperty(ListLabelIndent, own.fi);
        }
        f.setProperty(ListLevel, p.ilvl);
        m_cursor.setBlockFormat(f);
    } else {
        m_cursor.setBlockFormat(blockFormat(p));
    }
    if (p.ls)
        listFor(p);
}

// The tab after a list label too wide for its hanging indent takes the
// item's first line to the next default tab stop (every half inch), as a
// reader of RTF shows it, instead of the label running into the text.
void Reader::fitLabels()
{
    constexpr double kTabStop = 720 / kTwipsPerPixel;
    for (const QPointer<QTextList> &list : std::as_const(m_textLists)) {
        // Labels are counted once a change: the indents are set after.
        std::vector<std::pair<QTextBlock, double>> indents;
        for (int i = 0; list && i < list->count(); ++i) {
            const QTextBlock b = list->item(i);
            const QTextBlockFormat f = b.blockFormat();
            if (!f.hasProperty(ListLabelIndent))
                continue;
            const QFont font = QTextCursor(b).charFormat().font().resolve(b.document()->defaultFont());
            const double end = f.leftMargin() + f.intProperty(ListLabelIndent) / kTwipsPerPixel
                + QFontMetricsF(font).horizontalAdvance(listLabel(b));
            const double indent = end < f.leftMargin() ? 0 : (std::floor(end / kTabStop) + 1) * kTabStop - f.leftMargin();
            if (indent != f.textIndent())
                indents.emplace_back(b, indent);
        }
        for (const auto &[b, indent] : indents) {
            QTextBlockFormat f = b.blockFormat();
            f.setTextIndent(indent);
            QTextCursor(b).setBlockFormat(f);
        }
    }
}

void Reader::paragraphEnd()
{
    flushPending();
    if (!m_listText.isEmpty())
        listTextEnded();
    ensureBlock();
    flushRun();
    markEmptyBlock();
    m_parProps = st().para;
    m_pendingPar = true;
    m_bodyStarted = true;
    ++m_emitted; // a paragraph mark is shown as much as a letter
}

// An empty paragraph shows the format its mark (\par or \cell) was given:
// the size and weight of an empty line.
void Reader::markEmptyBlock()
{
    if (!m_blockHasContent && (!m_insert || m_cursor.block().length() == 1)) {
        const QTextCharFormat &f = charFormat(keyFor(st().ch, 'a'));
        if (m_cursor.block().charFormat() != f)
            m_cursor.setBlockCharFormat(f);
    }
}

void Reader::finish()
{
    if (m_stack.empty())
        return;
    if (m_skipDepth > 0 && m_keepKind != -1) {
        // A kept group cut short by the end of the file: closed, so that
        // writing it back keeps the braces balanced.
        const qsizetype start = st().start;
        m_stack.resize(qMax<size_t>(1, m_stack.size() - 1));
        m_keepClose = m_skipDepth;
        m_skipDepth = 0;
        keptGroupEnded(start, m_size);
    }
    m_stack.resize(1);
    m_stack.back().dest = Dest::Body;
    flushPending();
    flushRun();
    if (!m_insert && (m_kept > 0 || !m_head.isEmpty())) {
        QTextDocument *doc = m_cursor.document();
        doc->setProperty(documentHeadProperty(), m_head);
        QVariantList fonts, colors;
        // In the order of their numbers: of two fonts of one name, the
        // writer names the first, so each save writes the same.
        QList<int> numbers = m_fonts.keys();
        std::sort(numbers.begin(), numbers.end());
        for (int n : numbers)
            fonts.append(QVariant(QVariantList{n, m_fonts[n].name, m_fonts[n].charset}));
        for (const QColor &c : m_colors)
            colors.append(c);
        doc->setProperty(documentFontsProperty(), fonts);
        doc->setProperty(documentColorsProperty(), colors);
    }
    if (!m_tables.empty()) {
        finishBlock(m_pendingPar ? m_parProps : m_lastPara);
        m_pendingPar = false;
        while (!m_tables.empty())
            closeTable();
        return;
    }
    // A last \par stands for the document's final paragraph mark: it makes
    // no empty paragraph of its own. Inserted text has no final mark: the
    // paragraph it ends in keeps its properties.
    if (m_insert) {
        if (m_split && m_keepTail)
            m_cursor.setBlockFormat(m_tailFormat);
            m_blockPropsKnown = false;
        return;
    }
    if (m_pendingPar)
        finishBlock(m_parProps);
    else if (m_blockHasContent)
        finishBlock(m_lastPara);
}

} // namespace mirka::rtf::detail
