// The reader's kept groups: pictures, and what the editor does not show
// (footnotes, comments, objects, shapes, headers and footers) kept byte for
// byte as one placeholder character; the document-level groups.
#include "note/richtext/rtflexer.h"
#include "note/richtext/rtfobjects.h"
#include "note/richtext/rtfreaderimpl.h"

#include <QAtomicInt>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

namespace mirka::rtf::detail {

namespace {

QString labelOf(int kind)
{
    switch (kind) {
    case KeepNote: return QStringLiteral("*");
    case KeepComment: return QStringLiteral("\u203B"); // ※
    case KeepObject: return QStringLiteral("[オブジェクト]");
    case KeepShape: return QStringLiteral("[図形]");
    default: return QStringLiteral("[図]");
    }
}

// A comment's author initials, from its \atnid group.
QString initialsOf(const QByteArray &prefix)
{
    const qsizetype at = prefix.indexOf("\\atnid");
    if (at < 0)
        return {};
    qsizetype p = at + 6;
    if (p < prefix.size() && prefix.at(p) == ' ')
        ++p;
    QString s;
    for (; p < prefix.size() && s.size() < 8 && prefix.at(p) != '}' && prefix.at(p) != '\\'; ++p)
        s += QLatin1Char(prefix.at(p));
    return s.trimmed();
}

// Whether an RTF fragment holds a \uN word.
bool hasUnicodeWord(const char *d, qsizetype n)
{
    for (qsizetype i = 0; i + 2 < n; ++i) {
        if (d[i] != '\\')
            continue;
        if (d[i + 1] == 'u' && (isAsciiDigit(d[i + 2]) || d[i + 2] == '-'))
            return true;
        ++i; // an escaped character: \\u is no word
    }
    return false;
}

// A group the end of the file cut, made ready for its closing braces: cut
// inside \binN's data or at its end, N becomes the bytes that are there,
// so that the braces are no data of it; cut after a lone backslash, that
// goes, or it would escape the first brace.
void fitCutGroup(QByteArray &raw)
{
    const char *d = raw.constData();
    const qsizetype size = raw.size();
    for (qsizetype q = 0; q < size;) {
        if (d[q++] != '\\')
            continue;
        if (q >= size)
            return raw.chop(1);
        if (!isAsciiLetter(d[q])) {
            ++q;
            continue;
        }
        const qsizetype start = q;
        while (q < size && isAsciiLetter(d[q]))
            ++q;
        if (q - start != 3 || std::memcmp(d + start, "bin", 3) != 0)
            continue;
        const qsizetype digits = q;
        const qint64 n = lexBinLength(d, size, &q);
        if (q + n < size) {
            q += n;
            continue;
        }
        if (q + n > size) {
            qsizetype end = digits;
            while (end < size && isAsciiDigit(d[end]))
                ++end;
            raw.replace(digits, end - digits, QByteArray::number(size - q));
        }
        return; // the data runs to the end, a last backslash with it
    }
}

// Picture resources are named uniquely in the process, so pictures pasted
// into a document never take the name of one already there.
QUrl newPictureName()
{
    static QAtomicInt counter;
    return QUrl(QStringLiteral("mirka-picture:%1").arg(counter.fetchAndAddRelaxed(1) + 1));
}

} // namespace

void Reader::keepGroup(int kind, bool star)
{
    if (m_stack.size() <= 1)
        return; // the document's own group: see enterSkip

    // Text shown between the brace and the word is the body's already: the
    // kept group then starts at the word. A lead byte waiting for its trail
    // is such text too (shown as a bad character), not part of the group;
    // so are half a surrogate pair and a list label.
    if (st().dest == Dest::Body) {
        flushPending();
        if (!m_listText.isEmpty()) {
            if (m_listTextDepth >= m_stack.size())
                m_listText.clear(); // read within this group: its paragraph is the kept group's
            else
                listTextEnded(); // waiting for its paragraph: shown now
        }
    }
    // So are row definition words: they took effect outside the group, and
    // written back inside it they would undo the row's definition.
    m_keepOpening.clear();
    if (m_emitted != st().emittedAt || m_rowWords != st().rowWordsAt)
        m_keepOpening = star ? QByteArrayLiteral("{\\*") : QByteArrayLiteral("{");
    const qsizetype wordStart = m_wordStart;
    enterSkip();
    m_keepKind = kind;
    m_keepWordStart = wordStart;
}

void Reader::keptGroupEnded(qsizetype start, qsizetype end)
{
    const int kind = m_keepKind;
    m_keepKind = -1;
    QByteArray raw = m_keepOpening.isEmpty() ? QByteArray(m_data + start, end - start)
                                             : m_keepOpening + QByteArray(m_data + m_keepWordStart, end - m_keepWordStart);
    // A \uN before the word skips as many bytes as the group began with;
    // written back where another \uc holds, those bytes would show.
    if (m_keepOpening.isEmpty() && hasUnicodeWord(m_data + start, m_keepWordStart - start))
        raw.insert(1, "\\uc" + QByteArray::number(st().uc) + ' ');
    m_keepOpening.clear();
    if (m_keepClose > 0) {
        fitCutGroup(raw);
        raw.append(QByteArray(m_keepClose, '}'));
        m_keepClose = 0;
    }
    if (kind == KeepToPrefix) {
        if (m_keepPrefix.size() < (1 << 20))
            m_keepPrefix += raw;
        return;
    }
    if (kind == KeepToHead) {
        m_head += raw;
        return;
    }
    if (kind < 0 || st().dest != Dest::Body)
        return;
    ++m_kept;
    const QTextCharFormat base = charFormat(keyFor(st().ch, 'a'));
    if (kind == KeepPicture) {
        const Picture pic = decodePicture(raw.constData(), raw.size());
        if (!pic.image.isEmpty()) {
            const QUrl name = newPictureName();
            m_cursor.document()->addResource(QTextDocument::ImageResource, name, pic.image);
            QTextImageFormat f;
            f.merge(base);
            f.setName(name.toString());
            f.setWidth(pic.size.width());
            f.setHeight(pic.size.height());
            f.setProperty(KeptRtf, pic.flat.isEmpty() ? raw : pic.flat);
            insertObject(f);
            return;
        }
    }
    QString label = labelOf(kind);
    if (!m_keepPrefix.isEmpty()) {
        if (kind == KeepComment && !initialsOf(m_keepPrefix).isEmpty())
            label = initialsOf(m_keepPrefix);
        raw.prepend(m_keepPrefix);
        m_keepPrefix.clear();
    }
    if (kind == KeepNote && m_markAt == m_emitted && m_cursor.position() > 0) {
        // The note of the mark just before it: one item, the mark showing.
        flushRun();
        QTextCursor mark(m_cursor);
        mark.setPosition(m_cursor.position() - 1);
        mark.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        QTextCharFormat f = mark.charFormat();
        if (f.objectType() == KeptObjectType && f.property(KeptRtf).toByteArray() == "\\chftn ") {
            f.setProperty(KeptRtf, f.property(KeptRtf).toByteArray() + raw);
            mark.setCharFormat(f);
            return;
        }
    }
    insertObject(keptFormat(base, raw, label));
}

void Reader::insertObject(const QTextCharFormat &f)
{
    flushLead();
    if (!m_listText.isEmpty())
        listTextEnded();
    ensureBlock();
    flushRun();
    m_cursor.insertText(QString(QChar::ObjectReplacementCharacter), f);
    m_blockHasContent = true;
    m_bodyStarted = true;
    ++m_emitted;
}

void Reader::docLevelWord(std::string_view w, bool hasParam, int param)
{
    if (m_insert || m_head.size() > (1 << 16))
        return;
    m_head += '\\';
    m_head.append(w.data(), qsizetype(w.size()));
    if (hasParam)
        m_head += QByteArray::number(param);
    m_head += ' ';
}

} // namespace mirka::rtf::detail
