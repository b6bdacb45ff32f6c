// The RTF reader: groups and destinations, the token loop, and the entry
// points. Control words are in rtfwords.cpp, text and code pages in
// rtftext.cpp.
#include "note/richtext/rtf.h"
#include "note/richtext/rtflexer.h"
#include "note/richtext/rtfobjects.h"
#include "note/richtext/rtfreaderimpl.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <cstring>

namespace mirka::rtf {

namespace detail {

qsizetype skipPreamble(const QByteArray &bytes)
{
    qsizetype p = 0;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        p = 3;
    while (p < bytes.size() && (bytes[p] == ' ' || bytes[p] == '\t' || bytes[p] == '\r' || bytes[p] == '\n'))
        ++p;
    return p;
}

} // namespace detail

using detail::skipPreamble;

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

namespace detail {

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
    st().start = m_p - 1;
    st().emittedAt = m_emitted;
    st().rowWordsAt = m_rowWords;
    if (parent == Dest::Upr) {
        // {\upr{ansi version}{\*\ud{unicode version}}}: only the latter.
        qsizetype q = m_p;
        while (q < m_size && (m_data[q] == '\r' || m_data[q] == '\n' || m_data[q] == ' '))
            ++q;
        const bool ud = m_size - q >= 5 && std::memcmp(m_data + q, "\\*\\ud", 5) == 0
            && (q + 5 >= m_size || !isAsciiLetter(m_data[q + 5]));
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
        // The end of the document: what follows is no part of it.
        m_done = true;
        return;
    }
    const State &child = st();
    const State &parent = m_stack[m_stack.size() - 2];
    const Dest d = child.dest;
    // Half a character left in a destination belongs to it, not to the
    // text the group returns to.
    if (d != parent.dest)
        flushPending();
    if (d == Dest::FontTable)
        commitFont();
    if (d != parent.dest && d == Dest::LevelText)
        levelTextEnded();
    const int field = child.field != parent.field ? child.field : -1;
    const quint8 listGroup = child.listGroup != parent.listGroup ? child.listGroup : 0;
    if (listGroup == 2) {
        // A level's own indents, for its paragraphs that have none.
        m_level.li = child.para.li;
        m_level.fi = child.para.fi;
        m_levelFont = child.ch.font;
    }
    m_stack.pop_back();
    if (d == Dest::ColorTable || d == Dest::FontTable)
        m_charFormats.clear();
    propsChanged();
    if (listGroup)
        listWord(Kw::None, listGroup);
    // A field whose group was skipped or kept whole shows nothing more: a
    // kept group holds its instruction, which would show it twice.
    if (field >= 0 && d != Dest::Skip)
        fieldEnded(field);
}

void Reader::enterSkip()
{
    // A destination word in the document's own group names no group of its
    // own: skipping or keeping from there would take the whole document.
    if (m_stack.size() <= 1)
        return;
    m_skipDepth = 1;
    st().dest = Dest::Skip;
}

// Skips to the end of the current group counting braces; only \bin needs
// reading on the way, as its data may hold braces.
void Reader::skipGroupFast()
{
    const qsizetype start = st().start;
    if (skipGroup(m_data, m_size, &m_p, &m_skipDepth)) {
        popGroup();
        if (m_keepKind != -1)
            keptGroupEnded(start, m_p);
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
        if (m_progress && m_p >= m_nextReport) {
            if (!(*m_progress)(m_p, m_size)) {
                m_stopped = true;
                break;
            }
            m_nextReport = m_p + 16384;
        }
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
            if (m_p + 1 < m_size && m_data[m_p + 1] == '\'' && textSpan())
                break;
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
            if (textSpan())
                break;
            if (c == ';' && st().dest == Dest::FontTable) {
                // Only a literal semicolon ends a font's name: an escaped
                // one (\'3b, \u59) is part of it.
                flushPending();
                commitFont();
                ++m_p;
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
    fitLabels();
}

void Reader::controlWord()
{
    ++m_p; // backslash
    if (m_p >= m_size)
        return;
    const char c = m_data[m_p];
    if (!isAsciiLetter(c)) {
        ++m_p;
        symbol(c);
        return;
    }
    m_wordStart = m_p - 1;
    const ControlWord w = lexControlWord(m_data, m_size, &m_p);
    if (w.word.size() > size_t(kMaxWordLength)) {
        m_star = false;
        return;
    }
    word(w.word, w.hasParam, w.param);
}

void Reader::symbol(char c)
{
    switch (c) {
    case '*': {
        // Only right after a group's brace does \* make that group a
        // destination; after text it marks nothing.
        qsizetype q = m_p - 3;
        while (q >= 0 && (m_data[q] == '\r' || m_data[q] == '\n'))
            --q;
        m_star = q >= 0 && m_data[q] == '{' && q == st().start;
        return;
    }
    case '\'': {
        m_star = false;
        const int v = lexHex(m_data, m_size, &m_p);
        if (v < 0)
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

} // namespace detail

bool read(const QByteArray &rtf, QTextDocument *doc)
{
    return read(rtf, doc, Progress());
}

bool read(const QByteArray &rtf, QTextDocument *doc, const Progress &progress)
{
    if (!looksLikeRtf(rtf))
        return false;
    doc->setUndoRedoEnabled(false);
    doc->clear();
    doc->setProperty(documentHeadProperty(), QVariant());
    doc->setProperty(documentFontsProperty(), QVariant());
    doc->setProperty(documentColorsProperty(), QVariant());
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    detail::Reader reader(rtf, cursor, false);
    if (progress)
        reader.setProgress(&progress);
    reader.run();
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(true);
    return !reader.stopped();
}

bool insert(const QByteArray &rtf, QTextCursor &cursor)
{
    if (!looksLikeRtf(rtf))
        return false;
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    detail::Reader reader(rtf, cursor, true);
    reader.run();
    cursor.endEditBlock();
    return true;
}

} // namespace mirka::rtf
