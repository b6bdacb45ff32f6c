#include "search/textfold.h"

namespace mirka::textfold {

namespace {

// Marks that belong to the character before them: combining marks and the
// sound marks of kana, whose half-width forms are not combining.
bool joinsPrevious(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x3099 || u == 0x309A || u == 0xFF9E || u == 0xFF9F || c.combiningClass() != 0;
}

void foldKana(QString &s)
{
    for (QChar &c : s) {
        const char16_t u = c.unicode();
        if ((u >= 0x30A1 && u <= 0x30F6) || u == 0x30FD || u == 0x30FE)
            c = QChar(char16_t(u - 0x60));
    }
}

// Folds source into out; starts (when given) gets the source position of
// each folded character.
void foldInto(const QString &source, Options options, QString &out, QList<int> *starts)
{
    const qsizetype n = source.size();
    const QChar *s = source.constData();
    out.reserve(n);
    if (starts)
        starts->reserve(n + 1);
    QString piece;
    for (qsizetype i = 0; i < n;) {
        const QChar c = s[i];
        qsizetype j = i + 1;
        if (c.isHighSurrogate() && j < n && s[j].isLowSurrogate())
            ++j;
        const qsizetype baseEnd = j;
        while (j < n && joinsPrevious(s[j]))
            ++j;
        const char16_t u = c.unicode();
        if (j == i + 1 && u < 0x80) { // the common case, kept quick
            out += QChar(!options.caseSensitive && u >= 'A' && u <= 'Z' ? char16_t(u + 32) : u);
            if (starts)
                starts->append(int(i));
            i = j;
            continue;
        }
        const char32_t code = baseEnd - i == 2 ? QChar::surrogateToUcs4(c, s[i + 1]) : char32_t(u);
        if (j == baseEnd && QChar::decompositionTag(code) == QChar::NoDecomposition) {
            // One character that stays one: no string to make.
            char32_t folded = options.caseSensitive ? code : QChar::toCaseFolded(code);
            if (options.kanaInsensitive && ((folded >= 0x30A1 && folded <= 0x30F6) || folded == 0x30FD || folded == 0x30FE))
                folded -= 0x60;
            if (QChar::requiresSurrogates(folded)) {
                out += QChar(QChar::highSurrogate(folded));
                out += QChar(QChar::lowSurrogate(folded));
            } else {
                out += QChar(char16_t(folded));
            }
            if (starts)
                starts->insert(starts->size(), QChar::requiresSurrogates(folded) ? 2 : 1, int(i));
            i = j;
            continue;
        }
        piece = QString(s + i, j - i).normalized(QString::NormalizationForm_KC);
        if (!options.caseSensitive)
            piece = piece.toCaseFolded();
        if (options.kanaInsensitive)
            foldKana(piece);
        out += piece;
        if (starts)
            starts->insert(starts->size(), piece.size(), int(i));
        i = j;
    }
    if (starts)
        starts->append(int(n));
}

} // namespace

QString fold(const QString &text, Options options)
{
    QString out;
    foldInto(text, options, out, nullptr);
    return out;
}

FoldedText::FoldedText(const QString &text, Options options)
{
    foldInto(text, options, m_text, &m_starts);
}

Range FoldedText::original(int start, int end) const
{
    if (m_starts.isEmpty())
        return {};
    const int last = int(m_text.size());
    start = qBound(0, start, last);
    end = qBound(start, end, last);
    if (end == start)
        return {m_starts[start], m_starts[start]};
    // The end runs to where the next original character starts.
    int k = end;
    while (k < last && m_starts[k] == m_starts[end - 1])
        ++k;
    return {m_starts[start], m_starts[k]};
}

Range FoldedText::findFirst(const QString &foldedNeedle, int from) const
{
    if (foldedNeedle.isEmpty())
        return {-1, -1};
    const qsizetype at = m_text.indexOf(foldedNeedle, from);
    if (at < 0)
        return {-1, -1};
    return original(int(at), int(at + foldedNeedle.size()));
}

QList<Range> FoldedText::findAll(const QString &foldedNeedle) const
{
    QList<Range> out;
    if (foldedNeedle.isEmpty())
        return out;
    for (qsizetype at = m_text.indexOf(foldedNeedle); at >= 0;
         at = m_text.indexOf(foldedNeedle, at + foldedNeedle.size()))
        out << original(int(at), int(at + foldedNeedle.size()));
    return out;
}

} // namespace mirka::textfold
